// reactopt-batch under overlapping runs, kills, hostile files and failing
// output: every "opt.out" is one whole report, and every failure is told.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "TestSupport.h"
#include "base/Cp1251.h"
#include "cli/BatchRun.h"

extern char** environ;

namespace {

// Starts reactopt-batch with `args`, its standard output going to `out` ("" for
// /dev/null, "-" for closed) and its standard error to /dev/null.
pid_t Start(std::vector<std::string> args, const std::string& out = "") {
  args.insert(args.begin(), REACTOPT_BATCH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out == "-")
    posix_spawn_file_actions_addclose(&actions, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0666);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, REACTOPT_BATCH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The same run in a forked copy of this process: no program to load, so that
// two runs start at nearly the same moment and overlap for sure.
pid_t Fork(const std::vector<std::string>& args, const std::string& out = "") {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    dup2(fd, 1);
    std::ostringstream err;
    const int status = BatchMain(args, std::cout, err);
    std::cout.flush();
    std::fflush(nullptr);
    _exit(status);
  }
  return pid;
}

int Wait(pid_t pid) { return WaitFor(pid); }

using Outcome = BatchOutcome;

Outcome Shell(const std::string& line) { return RunBatchLine(line); }

// The working directory, as messages name it.
std::string Here() { return std::filesystem::current_path().string(); }

// Runs a shell command line as an unprivileged user (file permissions do not
// bind root) in the folder "locked", which takes no new file, beside an
// "opt.out" that anyone may write, holding "old".
// The user runs a copy of the program in the test's folder: the build's own
// may sit in a folder only its owner can enter.
Outcome InLockedFolder(const std::string& line) {
  chmod(".", 0777);
  std::filesystem::copy_file(REACTOPT_BATCH, "reactopt-batch",
                             std::filesystem::copy_options::overwrite_existing);
  mkdir("locked", 0777);
  WriteFile("locked/opt.out", "old");
  chmod("locked/opt.out", 0666);
  chmod("locked", 0555);
  for (const char* file : {"stdout.txt", "stderr.txt"}) {
    WriteFile(file, "");
    chmod(file, 0666);
  }
  const int status = InChild(
      [&] {
        const std::string command = "export B=\"$PWD/reactopt-batch\"; cd locked && timeout 20 sh -c '" +
                                    line + "' >../stdout.txt 2>../stderr.txt";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        return 126;
      },
      true);
  chmod("locked", 0755);
  Outcome o{status, ReadFile("stdout.txt"), ReadFile("stderr.txt")};
  std::remove("stdout.txt");
  std::remove("stderr.txt");
  return o;
}

// The report the program prints for `report` bytes: UTF-8, LF line ends.
std::string Printed(const std::string& report) {
  std::string text = cp1251::ToUtf8(report), lf;
  for (char c : text)
    if (c != '\r') lf += c;
  return lf;
}

class BatchFaults : public InTempDir {
 protected:
  // The reports of tasks 119 and 104 made alone: one long, one short.
  void MakeReferences() {
    ASSERT_EQ(Wait(Start({"119", "1", "1", "1"})), 0);
    long_ = ReadFile("opt.out");
    ASSERT_EQ(Wait(Start({"104", "1", "1", "1", "1", "1"})), 0);
    short_ = ReadFile("opt.out");
    ASSERT_NE(long_.size(), short_.size());
  }
  bool OneOfTheReports(const std::string& bytes) const { return bytes == long_ || bytes == short_; }
  std::string long_, short_;
};

}  // namespace

TEST_F(BatchFaults, TwoTasksInOneFolderAtOnceLeaveOneWholeReport) {
  MakeReferences();
  int spliced = 0, misprinted = 0;
  for (int round = 0; round < 200; ++round) {
    const pid_t a = Fork({"--print", "119", "1", "1", "1"}, "a.txt");
    const pid_t b = Fork({"--print", "104", "1", "1", "1", "1", "1"}, "b.txt");
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);
    if (!OneOfTheReports(ReadFile("opt.out"))) ++spliced;
    // Each run prints its own report, whichever is on disk.
    if (ReadFile("a.txt") != Printed(long_) || ReadFile("b.txt") != Printed(short_)) ++misprinted;
  }
  EXPECT_EQ(spliced, 0);
  EXPECT_EQ(misprinted, 0);
  std::filesystem::remove("a.txt");
  std::filesystem::remove("b.txt");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST_F(BatchFaults, ARunKilledAtAnyMomentLeavesAWholeReport) {
  MakeReferences();
  std::mt19937 random(2024);
  int killed = 0;
  for (int round = 0; round < 150; ++round) {
    const bool longOne = round % 2 == 0;
    const pid_t pid = longOne ? Fork({"119", "1", "1", "1"}) : Fork({"104", "1", "1", "1", "1", "1"});
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 2500));
    kill(pid, SIGKILL);
    if (Wait(pid) == -SIGKILL) ++killed;
    ASSERT_TRUE(OneOfTheReports(ReadFile("opt.out"))) << "round " << round;
  }
  EXPECT_GT(killed, 0);
}

TEST_F(BatchFaults, SpecialFilesEndTheRunAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(mkfifo("DataFile.dat", 0666), 0);
  Outcome o = Shell("$B 101");
  const std::string data = "reactopt-batch: Cannot open file " + Here() + "/DataFile.dat: ";
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, data + "это не обычный файл\n");
  std::filesystem::remove("DataFile.dat");
  ASSERT_EQ(mkdir("DataFile.dat", 0777), 0);
  EXPECT_EQ(Shell("$B 101").err, data + "Is a directory\n");
  std::filesystem::remove("DataFile.dat");

  // A chart FIFO that nobody reads ends the run after a short wait.
  ASSERT_EQ(mkfifo("chart.csv", 0666), 0);
  o = Shell("$B --chart chart.csv 101 1 1");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: chart.csv: nothing reads from it\n");

  WriteFile("target.txt", "precious");
  std::filesystem::remove("opt.out");
  ASSERT_EQ(symlink("target.txt", "opt.out"), 0);
  EXPECT_EQ(Shell("$B 101 1 1").status, 0);
  EXPECT_EQ(ReadFile("target.txt"), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink("opt.out"));

  // A 2 GB sparse data file whose first line never ends.
  WriteFile("DataFile.dat", "0 ");
  ASSERT_EQ(truncate("DataFile.dat", 2LL << 30), 0);
  o = Shell("$B 101");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "Недопустимые исходные данные: k1 = 0\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(BatchFaults, FailedOutputIsAnError) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  WriteFile("zad101.txt", ReadFile(REACTOPT_TASKS_DIR "/zad101.txt"));
  for (const char* command : {"$B --print 101 1 1 >/dev/full", "$B --variants 2 --out kit 101 >/dev/full"}) {
    const Outcome full = Shell(command);
    EXPECT_EQ(full.status, 1) << command;
    EXPECT_EQ(full.err, "reactopt-batch: standard output: No space left on device\n") << command;
  }
  Outcome o = Shell("$B --print 101 1 1 >&-");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("standard output"), std::string::npos);
  EXPECT_EQ(Shell("$B --help >/dev/full").status, 1);
  // Without --print nothing goes to standard output.
  EXPECT_EQ(Shell("$B 101 1 1 >&-").status, 0);
  // A closed standard output is never taken by a file the run writes.
  EXPECT_EQ(Wait(Start({"--print", "101", "1", "1"}, "-")), 1);
  EXPECT_EQ(ReadFile("opt.out").substr(0, 4), Cp("Исхо"));
}

TEST_F(BatchFaults, TheChartNeverReplacesTheReportOrTheData) {
  WriteFile("opt.out", "old report");
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  const std::string data = ReadFile("DataFile.dat");
  ASSERT_EQ(mkdir("sub", 0777), 0);
  ASSERT_EQ(link("DataFile.dat", "hard.dat"), 0);
  ASSERT_EQ(symlink("opt.out", "link.csv"), 0);
  // Nor the statement of the task, though the task was named by its code.
  WriteFile("zad101.txt", "statement");
  ASSERT_EQ(symlink("zad101.txt", "task.lnk"), 0);
  for (const char* chart : {"opt.out", "./opt.out", "sub/../opt.out", "DataFile.dat", "hard.dat", "link.csv",
                            "zad101.txt", "ZAD101.TXT", "sub/../Zad101.txt", "task.lnk"}) {
    const Outcome o = Shell(std::string("$B --chart ") + chart + " 101");
    EXPECT_EQ(o.status, 2) << chart;
    EXPECT_NE(o.err.find(chart), std::string::npos) << o.err;
  }
  EXPECT_EQ(ReadFile("opt.out"), "old report");
  EXPECT_EQ(ReadFile("DataFile.dat"), data);
  // A report that does not exist yet is the same file by its path.
  std::filesystem::remove("opt.out");
  EXPECT_EQ(Shell("$B --chart ./opt.out 101").status, 2);
  EXPECT_FALSE(FileExists("opt.out"));
  // Nor the task file named on the command line.
  WriteFile("sub/zad102.txt", "statement");
  EXPECT_EQ(Shell("$B --chart sub/zad102.txt sub/zad102.txt").status, 2);
  EXPECT_EQ(ReadFile("sub/zad102.txt"), "statement");
  EXPECT_EQ(ReadFile("zad101.txt"), "statement");
  // Any other name takes the chart whole.
  EXPECT_EQ(Shell("$B --chart sub/chart.csv 101").status, 0);
  EXPECT_EQ(ReadFile("sub/chart.csv").substr(0, 10), "k,x,y1,y2\n");
}

TEST_F(BatchFaults, AChartThatCannotBeWrittenKeepsTheOldReportToo) {
  WriteFile("opt.out", "old");
  // A file-size limit between the report's size and the chart's makes the
  // chart's write fail half-way, as a full disk would.
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    std::ostringstream out, err;
    const int status = BatchMain({"--chart", "chart.csv", "101", "1", "1"}, out, err);
    _exit(status == 1 &&
                  err.str() == "reactopt-batch: cannot write " + Here() + "/chart.csv: File too large\n"
              ? 0
              : 1);
  }
  EXPECT_EQ(Wait(pid), 0);
  // Report and chart go together: neither is written.
  EXPECT_EQ(ReadFile("opt.out"), "old");
  EXPECT_FALSE(FileExists("chart.csv"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST_F(BatchFaults, ADataFileWithoutTheTasksBlockSaysSo) {
  const std::string data = ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat");
  WriteFile("DataFile.dat", data.substr(0, data.size() / 3));
  WriteFile("opt.out", "old");
  const Outcome o = Shell("$B 125");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: В файле DataFile.dat нет данных для задачи 125\n");
  EXPECT_EQ(ReadFile("opt.out"), "old");
  // A damaged record is named by its line and the task whose block holds it
  // (every line of the delivered file is a record).
  const std::string whole = data.substr(0, data.find("\r\n", data.size() / 3) + 2);
  const long lines = std::count(whole.begin(), whole.end(), '\n');
  WriteFile("DataFile.dat", whole + "x\r\n");
  EXPECT_EQ(Shell("$B 125").err, "reactopt-batch: Invalid numeric input: " + Here() +
                                     "/DataFile.dat, строка " + std::to_string(lines + 1) +
                                     " (данные задачи " + std::to_string(101 + lines / 10) + ")\n");
}

TEST_F(BatchFaults, OutputsNamedByTheUserFollowTheUsualRules) {
  ASSERT_EQ(Shell("$B --chart chart.csv 101 1 1").status, 0);
  const std::string csv = ReadFile("chart.csv");
  // "-" and /dev/stdout are standard output, whatever it is; /dev/stdout
  // stays the system's link.
  EXPECT_EQ(Shell("$B --chart - 101 1 1").out, csv);
  EXPECT_EQ(Shell("$B --chart /dev/stdout 101 1 1").out, csv);
  EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
  // A FIFO, here behind a link, is written as a stream; its reader may come
  // a moment later.
  ASSERT_EQ(mkfifo("pipe", 0666), 0);
  ASSERT_EQ(symlink("pipe", "pipe.csv"), 0);
  EXPECT_EQ(Shell("$B --chart pipe.csv 101 1 1 & sleep 0.2; cat pipe >got.csv; wait $!").status, 0);
  EXPECT_EQ(ReadFile("got.csv"), csv);
  EXPECT_TRUE(std::filesystem::is_fifo("pipe"));
  EXPECT_TRUE(std::filesystem::is_symlink("pipe.csv"));
  // A link to a regular file: the file takes the chart whole, the link stays.
  WriteFile("real.csv", "old");
  ASSERT_EQ(symlink("real.csv", "link.csv"), 0);
  EXPECT_EQ(Shell("$B --chart link.csv 101 1 1").status, 0);
  EXPECT_EQ(ReadFile("real.csv"), csv);
  EXPECT_TRUE(std::filesystem::is_symlink("link.csv"));
}

// In a folder that takes no new file the report is rewritten in place.
TEST_F(BatchFaults, InPlaceAReportTheSizeLimitCannotHoldIsRefusedBeforeTheFileIsTouched) {
  const Outcome o = InLockedFolder("ulimit -f 1; $B 104 1 1 1 1 1");
  SKIP_WITHOUT_UNPRIVILEGED_USER(o.status);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: cannot write " + Here() + "/locked/opt.out: File too large\n");
  EXPECT_EQ(ReadFile("locked/opt.out"), "old");
}

TEST_F(BatchFaults, InPlaceOverlappingRunsTakeTurns) {
  ASSERT_EQ(Wait(Start({"101", "1", "1"})), 0);
  const std::string report = ReadFile("opt.out");
  // While another writer holds the file, the run waits for it.
  const Outcome o = InLockedFolder(
      "flock opt.out sh -c \"touch ../held; sleep 2\" & while [ ! -e ../held ]; do sleep 0.05; done; "
      "$B 101 1 1 & sleep 0.5; cat opt.out >../during.txt; wait $!");
  SKIP_WITHOUT_UNPRIVILEGED_USER(o.status);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile("during.txt"), "old");
  EXPECT_EQ(ReadFile("locked/opt.out"), report);
}

TEST_F(BatchFaults, InPlaceAWriteThatFailsHalfWayPutsTheOldReportBack) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
  // A sanitizer build's leak check cannot run under a tracer.
  const Outcome o = InLockedFolder(
      "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
      "strace -qq -o /dev/null -e inject=pwrite64:error=EIO:when=1 $B 101 1 1");
  SKIP_WITHOUT_UNPRIVILEGED_USER(o.status);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: cannot write " + Here() + "/locked/opt.out: Input/output error\n");
  EXPECT_EQ(ReadFile("locked/opt.out"), "old");
}

TEST_F(BatchFaults, TheNextRunRemovesTheTemporaryFilesOfKilledRuns) {
  // A run killed by the file-size limit's signal while writing its report
  // leaves its temporary file, named after its process.
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::ostringstream out, err;
    _exit(BatchMain({"101", "1", "1"}, out, err));
  }
  ASSERT_EQ(Wait(pid), -SIGXFSZ);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(".")) left.push_back(entry.path().filename());
  ASSERT_EQ(left.size(), 1u);
  const std::string prefix = ".opt.out." + std::to_string(pid) + ".";
  ASSERT_EQ(left[0].rfind(prefix, 0), 0u) << left[0];
  // ".opt.out.PID.HOST.SALT.tmp": the same with a running process (this one),
  // with another machine, and in the older form without the machine.
  const std::string rest = left[0].substr(prefix.size());
  const std::string running = ".opt.out." + std::to_string(getpid()) + "." + rest;
  std::string elsewhere = left[0];
  elsewhere[prefix.size()] = elsewhere[prefix.size()] == '0' ? '1' : '0';
  const std::string older = prefix + rest.substr(9);
  for (const std::string& name : {running, elsewhere, older}) WriteFile(name, "partial");

  ASSERT_EQ(Wait(Start({"101", "1", "1"})), 0);
  EXPECT_FALSE(FileExists(left[0]));
  EXPECT_FALSE(FileExists(older));
  EXPECT_TRUE(FileExists(running));
  EXPECT_TRUE(FileExists(elsewhere));
}

namespace {

// Whether this build runs under AddressSanitizer, which cannot start within
// a small address-space limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

bool HaveStrace() { return std::system("command -v strace >/dev/null 2>&1") == 0; }

// A tracer for one command: `faults` as strace's -e argument. A sanitizer
// build's leak check cannot run under a tracer.
std::string Traced(const std::string& faults) {
  return "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -o /dev/null -e " +
         faults + " ";
}

// Every entry of `folder` with its bytes ("<folder>" for a folder), hidden
// ones included.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> entries;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    entries[entry.path().filename()] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
  return entries;
}

std::vector<std::string> KitArgs(int seed) {
  return {"--variants", "3", "--seed", std::to_string(seed), "--out", "kit", "101", "103"};
}

std::string KitLine(int seed) {
  std::string line = "$B";
  for (const std::string& a : KitArgs(seed)) line += " " + a;
  return line;
}

class KitFaults : public BatchFaults {
 protected:
  static constexpr const char* kTasks[] = {"DataFile.dat", "zad101.txt", "zad103.txt"};
  // The kits of seeds 1 and 2 as the folder holds them when made alone.
  void MakeKits() {
    // The tasks the kit reads, for the runs forked from this test too.
    for (const char* task : kTasks) WriteFile(task, ReadFile(std::string(REACTOPT_TASKS_DIR "/") + task));
    for (int seed : {2, 1}) {
      ASSERT_EQ(Shell(KitLine(seed)).status, 0);
      (seed == 1 ? old_ : new_) = Contents("kit");
    }
    ASSERT_NE(old_, new_);
    ASSERT_EQ(old_.size(), 4u);
  }
  // "old", "new", or the names and sizes the folder holds.
  std::string Which(const std::map<std::string, std::string>& kit) const {
    if (kit == old_) return "old";
    if (kit == new_) return "new";
    std::string names;
    const auto same = [](const std::map<std::string, std::string>& set, const std::string& name,
                         const std::string& bytes) { return set.count(name) && set.at(name) == bytes; };
    for (const auto& [name, bytes] : kit)
      names += name + (same(old_, name, bytes)   ? " (old) "
                       : same(new_, name, bytes) ? " (new) "
                                                 : " (other) ");
    return names;
  }
  // What lies beside the kit but the tasks: no half-made folder, no kit aside.
  static std::string Beside() {
    std::string names;
    for (const auto& [name, bytes] : Contents("."))
      if (name != "kit" && std::find(std::begin(kTasks), std::end(kTasks), name) == std::end(kTasks))
        names += name + " ";
    return names;
  }
  std::map<std::string, std::string> old_, new_;
};

}  // namespace

TEST_F(KitFaults, AKitThatFailsPartWayLeavesTheOldKitWhole) {
  MakeKits();
  std::vector<std::string> faults = {"ulimit -f 8; ", "ulimit -f 40; "};
  if (HaveStrace()) {
    // A sanitizer's run-time makes writes of its own that must not fail.
    for (int n = 2; n <= 27 && !kSanitized; ++n)
      faults.push_back(Traced("inject=write:error=ENOSPC:when=" + std::to_string(n)));
    for (int n = 1; n <= 5; ++n)
      faults.push_back(Traced("inject=rename,renameat,renameat2:error=EIO:when=" + std::to_string(n)));
  }
  int failed = 0;
  for (const std::string& fault : faults) {
    ASSERT_EQ(Shell(KitLine(1)).status, 0);
    const Outcome o = Shell(fault + KitLine(2));
    const auto kit = Contents("kit");
    if (kit == new_) {
      // Written whole; only the list of its files may have failed.
      EXPECT_TRUE(o.status == 0 || o.err.find("standard output") != std::string::npos) << fault << o.err;
    } else {
      ++failed;
      EXPECT_EQ(o.status, 1) << fault;
      EXPECT_EQ(Which(kit), "old") << fault << o.err;
      EXPECT_EQ(o.err.rfind("reactopt-batch: ", 0), 0u) << fault << o.err;
      EXPECT_NE(o.err.find(Here() + "/kit"), std::string::npos) << fault << o.err;
    }
    EXPECT_EQ(Beside(), "") << fault;
  }
  EXPECT_GE(failed, kSanitized ? 2 : 5);
}

TEST_F(KitFaults, AKitFileThatCannotBeReplacedIsNamedAndTheOldKitStays) {
  MakeKits();
  ASSERT_EQ(Shell(KitLine(1)).status, 0);
  // A folder in place of the quiz: nothing of the new kit is written.
  std::filesystem::remove("kit/moodle.xml");
  ASSERT_EQ(mkdir("kit/moodle.xml", 0777), 0);
  WriteFile("kit/moodle.xml/mine.txt", "mine");
  Outcome o = Shell(KitLine(2));
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: Cannot create file " + Here() + "/kit/moodle.xml: Is a directory\n");
  auto kit = Contents("kit");
  EXPECT_EQ(kit["moodle.xml"], "<folder>");
  kit["moodle.xml"] = old_["moodle.xml"];
  EXPECT_EQ(Which(kit), "old");
  EXPECT_EQ(ReadFile("kit/moodle.xml/mine.txt"), "mine");
}

// Runs a shell command line as an unprivileged user in the test's folder,
// which anyone may write (a sticky folder stays sticky), with a copy of the program and the tasks it reads.
Outcome AsUser(const std::string& line) {
  struct stat here {};
  stat(".", &here);
  chmod(".", 0777 | (here.st_mode & S_ISVTX));
  std::filesystem::copy_file(REACTOPT_BATCH, "reactopt-batch", std::filesystem::copy_options::skip_existing);
  for (const char* task : {"DataFile.dat", "zad101.txt", "zad103.txt"})
    std::filesystem::copy_file(std::string(REACTOPT_TASKS_DIR "/") + task, task,
                               std::filesystem::copy_options::skip_existing);
  const int status = InChild(
      [&] {
        const std::string command = "export B=\"$PWD/reactopt-batch\"; timeout 20 sh -c '" + line +
                                    "' >/tmp/reactopt-user-out.$$ 2>&1; s=$?; cat /tmp/reactopt-user-out.$$; "
                                    "rm -f /tmp/reactopt-user-out.$$; exit $s";
        const int fd = open("user.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(fd, 1);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        return 126;
      },
      true);
  Outcome o{status, "", ReadFile("user.txt")};
  std::remove("user.txt");
  return o;
}

TEST_F(KitFaults, AProtectedKitFileStopsTheKitAndTheOldKitStays) {
  MakeKits();
  std::filesystem::remove_all("kit");
  Outcome o = AsUser(KitLine(1));
  SKIP_WITHOUT_UNPRIVILEGED_USER(o.status);
  ASSERT_EQ(o.status, 0) << o.err;
  ASSERT_EQ(Which(Contents("kit")), "old");
  // Write-protected by its owner, or another user's in a sticky folder.
  chmod("kit/moodle.xml", 0444);
  o = AsUser(KitLine(2));
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: Cannot create file " + Here() + "/kit/moodle.xml: Permission denied\n");
  EXPECT_EQ(Which(Contents("kit")), "old");
  ASSERT_EQ(chown("kit/moodle.xml", 0, 0), 0);
  ASSERT_EQ(chown("kit", 0, 0), 0);
  chmod("kit/moodle.xml", 0666);
  chmod("kit", 01777);
  o = AsUser(KitLine(2));
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err,
            "reactopt-batch: Cannot create file " + Here() + "/kit/moodle.xml: Operation not permitted\n");
  EXPECT_EQ(Which(Contents("kit")), "old");
}

TEST_F(KitFaults, AKitKilledAtAnyMomentLeavesTheOldKitOrTheNew) {
  MakeKits();
  // Kills spread over a whole kit's time, most of it spent drawing.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Wait(Fork(KitArgs(2))), 0);
  const auto span =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::mt19937 random(2026);
  int killed = 0;
  for (int round = 0; round < 300; ++round) {
    const pid_t pid = Fork(KitArgs(1 + round % 2));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (span.count() + 1)));
    kill(pid, SIGKILL);
    if (Wait(pid) == -SIGKILL) ++killed;
    const std::string which = Which(Contents("kit"));
    ASSERT_TRUE(which == "old" || which == "new") << "round " << round << ": " << which;
  }
  EXPECT_GT(killed, 100);
  // The next kit clears what the killed ones left beside the folder.
  ASSERT_EQ(Wait(Fork(KitArgs(1))), 0);
  EXPECT_EQ(Which(Contents("kit")), "old");
  EXPECT_EQ(Beside(), "");
}

TEST_F(KitFaults, KitsIntoOneFolderAtOnceTakeTurns) {
  MakeKits();
  for (int round = 0; round < 60; ++round) {
    const pid_t a = Fork(KitArgs(1)), b = Fork(KitArgs(2));
    ASSERT_EQ(Wait(a), 0) << "round " << round;
    ASSERT_EQ(Wait(b), 0) << "round " << round;
    const std::string which = Which(Contents("kit"));
    ASSERT_TRUE(which == "old" || which == "new") << "round " << round << ": " << which;
    ASSERT_EQ(Beside(), "") << "round " << round;
  }
}

TEST_F(BatchFaults, AFailedRenamePutsBackEveryFileAlreadyReplaced) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is missing";
  // The renames fail one after another; last, a system that cannot exchange
  // two names, where the old files are kept under a second name instead.
  std::vector<std::string> faults;
  for (int when = 1; when <= 3; ++when)
    faults.push_back(Traced("inject=rename,renameat,renameat2:error=EIO:when=" + std::to_string(when)));
  faults.push_back(Traced("inject=renameat2:error=EINVAL -e inject=rename:error=EIO:when=2"));
  for (const std::string& fault : faults) {
    WriteFile("opt.out", "old report");
    WriteFile("c.csv", "old chart");
    WriteFile("a.csv", "old answer");
    const Outcome o = Shell(fault + "$B --chart c.csv --answer a.csv 101 1 1");
    EXPECT_EQ(o.status, 1) << fault;
    EXPECT_NE(o.err.find(": Input/output error"), std::string::npos) << fault << o.err;
    EXPECT_EQ(Contents("."), (std::map<std::string, std::string>{
                                 {"opt.out", "old report"}, {"c.csv", "old chart"}, {"a.csv", "old answer"}}))
        << fault;
  }
}

TEST_F(BatchFaults, NoOutputReplacesATaskStatementOrTheDataFile) {
  const std::string data = ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat");
  WriteFile("DataFile.dat", data);
  ASSERT_EQ(mkdir("sub", 0777), 0);
  for (const char* statement :
       {"zad101.txt", "zad125.txt", "ZAD102.TXT", "sub/zad110.txt", "sub/DataFile.dat"})
    WriteFile(statement, "statement");
  ASSERT_EQ(symlink("zad125.txt", "link.csv"), 0);
  ASSERT_EQ(link("zad125.txt", "hard.csv"), 0);
  struct Case {
    std::string path, task;
  };
  for (const Case& c : std::vector<Case>{{"zad125.txt", "101"},
                                         {"Zad125.TXT", "101"},
                                         {"./sub/../zad102.txt", "101"},
                                         {"link.csv", "101"},
                                         {"hard.csv", "101"},
                                         {"zad117.txt", "101"},
                                         {"datafile.DAT", "101"},
                                         {"sub/zad110.txt", "sub/zad101.txt"},
                                         {"sub/zad124.txt", "sub/zad101.txt"},
                                         {"sub/datafile.dat", "sub/zad101.txt"}})
    for (const char* option : {"--chart", "--answer"}) {
      const Outcome o = Shell(std::string("$B ") + option + " " + c.path + " " + c.task + " 1 1");
      EXPECT_EQ(o.status, 2) << option << " " << c.path;
      EXPECT_NE(o.err.find(c.path), std::string::npos) << o.err;
    }
  for (const char* statement :
       {"zad101.txt", "zad125.txt", "ZAD102.TXT", "sub/zad110.txt", "sub/DataFile.dat"})
    EXPECT_EQ(ReadFile(statement), "statement") << statement;
  EXPECT_EQ(ReadFile("DataFile.dat"), data);
  EXPECT_FALSE(FileExists("zad117.txt") || FileExists("sub/zad124.txt"));
}

TEST_F(KitFaults, AKitBeyondTheMemoryEndsWithAMessage) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer cannot run within an address-space limit";
  // A statement as large as one may be, 400 variants of it: far more than
  // the limit lets the program hold.
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  WriteFile("zad101.txt", std::string(60000, 'x'));
  const Outcome o =
      Shell("ulimit -v 150000; $B --variants 400 --range 1=0.1:9.99 --range 2=0.1:9.99 --out kit 101");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: out of memory\n");
  EXPECT_FALSE(FileExists("kit"));
}

TEST_F(KitFaults, WithoutAnExchangeOfNamesTheKitIsStillWhole) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is missing";
  MakeKits();
  const std::string noExchange = Traced("inject=renameat2:error=EINVAL");
  ASSERT_EQ(Shell(KitLine(1)).status, 0);
  Outcome o = Shell(noExchange + KitLine(2));
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Which(Contents("kit")), "new");
  EXPECT_EQ(Beside(), "");
  // The old kit steps aside for the new one; a failure on the way puts it back.
  o = Shell(Traced("inject=renameat2:error=EINVAL -e inject=rename:error=EIO:when=2") + KitLine(1));
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: cannot write " + Here() + "/kit: Input/output error\n");
  EXPECT_EQ(Which(Contents("kit")), "new");
  EXPECT_EQ(Beside(), "");
}

TEST_F(BatchFaults, AChartThatIsAnotherUsersInAStickyFolderKeepsTheOldReport) {
  WriteFile("opt.out", "old report");
  WriteFile("c.csv", "old chart");
  chmod("c.csv", 0666);
  Outcome o = AsUser("true");
  SKIP_WITHOUT_UNPRIVILEGED_USER(o.status);
  ASSERT_EQ(chown("opt.out", 65534, 65534), 0);
  chmod(".", 01777);
  o = AsUser("$B --chart c.csv 101 1 1");
  chmod(".", 0755);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: cannot write " + Here() + "/c.csv: Operation not permitted\n");
  EXPECT_EQ(ReadFile("opt.out"), "old report");
  EXPECT_EQ(ReadFile("c.csv"), "old chart");
}
