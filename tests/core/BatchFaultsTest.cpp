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

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

#include "TestSupport.h"
#include "app/BatchRun.h"
#include "base/Cp1251.h"

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

// Exit status, -signal when killed.
int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs a shell command line with the batch program as $B, limited to 20 s.
Outcome Shell(const std::string& line) {
  const std::string command =
      "export B='" REACTOPT_BATCH "'; timeout 20 sh -c '" + line + "' >stdout.txt 2>stderr.txt";
  const int raw = std::system(command.c_str());
  Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile("stdout.txt"), ReadFile("stderr.txt")};
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
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "Cannot open file DataFile.dat\n");
  std::filesystem::remove("DataFile.dat");
  ASSERT_EQ(mkdir("DataFile.dat", 0777), 0);
  EXPECT_EQ(Shell("$B 101").err, "Cannot open file DataFile.dat\n");
  std::filesystem::remove("DataFile.dat");

  ASSERT_EQ(mkfifo("chart.csv", 0666), 0);
  o = Shell("$B --chart chart.csv 101 1 1");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "Cannot create file chart.csv\n");

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
  Outcome o = Shell("$B --print 101 1 1 >/dev/full");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: standard output: I/O error 28\n");
  o = Shell("$B --print 101 1 1 >&-");
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
  for (const char* chart :
       {"opt.out", "./opt.out", "sub/../opt.out", "DataFile.dat", "hard.dat", "link.csv"}) {
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
  WriteFile("zad101.txt", "statement");
  EXPECT_EQ(Shell("$B --chart zad101.txt zad101.txt").status, 2);
  EXPECT_EQ(ReadFile("zad101.txt"), "statement");
  // Any other name takes the chart whole.
  EXPECT_EQ(Shell("$B --chart sub/chart.csv 101").status, 0);
  EXPECT_EQ(ReadFile("sub/chart.csv").substr(0, 10), "k,x,y1,y2\n");
}

TEST_F(BatchFaults, AChartThatCannotBeWrittenNamesTheCause) {
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
    _exit(status == 1 && err.str() == "I/O error 27\n" ? 0 : 1);
  }
  EXPECT_EQ(Wait(pid), 0);
  EXPECT_LT(ReadFile("opt.out").size(), 1000u);
  EXPECT_FALSE(FileExists("chart.csv"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST_F(BatchFaults, ADataFileWithoutTheTasksBlockSaysSo) {
  const std::string data = ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat");
  WriteFile("DataFile.dat", data.substr(0, data.size() / 3));
  WriteFile("opt.out", "old");
  const Outcome o = Shell("$B 125");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "В файле DataFile.dat нет данных для задачи 125\n");
  EXPECT_EQ(ReadFile("opt.out"), "old");
  WriteFile("DataFile.dat", data.substr(0, data.size() / 3) + "\r\nx\r\n");
  EXPECT_EQ(Shell("$B 125").err, "Invalid numeric input\n");
}
