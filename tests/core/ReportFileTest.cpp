// The report file under faults: every "opt.out" is one whole report, old or
// new; special files and links never block a run nor send it elsewhere.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>

#include "TestSupport.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

// The names in the working directory.
std::set<std::string> Listing() {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("."))
    names.insert(entry.path().filename().string());
  return names;
}

// The error text of running task 101 with k1 = k2 = 1, or "" when it ran.
std::string Run101() {
  SetParams({1, 1});
  TaskCode = 101;
  try {
    RunCurrentTask();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// "opt.out" as messages name it.
std::string Report() { return std::filesystem::current_path().string() + "/opt.out"; }

class ReportFileTest : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    chmod(dir_.c_str(), 0777);
  }
};

}  // namespace

TEST_F(ReportFileTest, AReportReplacesTheOldOneAndLeavesNoOtherFile) {
  WriteFile("opt.out", std::string(5000, 'x'));  // longer than the report
  ASSERT_EQ(Run101(), "");
  EXPECT_EQ(ReadFile("opt.out"), ReportFile.Bytes());
  EXPECT_EQ(Listing(), std::set<std::string>{"opt.out"});
}

TEST_F(ReportFileTest, TheReplacementKeepsTheOldFilesPermissions) {
  WriteFile("opt.out", "old");
  chmod("opt.out", 0640);
  ASSERT_EQ(Run101(), "");
  struct stat st;
  ASSERT_EQ(stat("opt.out", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ReportFileTest, ASymbolicLinkIsReplacedNotFollowed) {
  WriteFile("elsewhere.txt", "precious");
  ASSERT_EQ(symlink("elsewhere.txt", "opt.out"), 0);
  ASSERT_EQ(Run101(), "");
  EXPECT_EQ(ReadFile("elsewhere.txt"), "precious");
  struct stat st;
  ASSERT_EQ(lstat("opt.out", &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadFile("opt.out"), ReportFile.Bytes());
}

TEST_F(ReportFileTest, SpecialFilesAreRefusedAtOnceAndLeftAlone) {
  ASSERT_EQ(mkfifo("opt.out", 0666), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run101(), "Cannot create file " + Report() + ": это не обычный файл");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  struct stat st;
  ASSERT_EQ(lstat("opt.out", &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(unlink("opt.out"), 0);
  ASSERT_EQ(mkdir("opt.out", 0777), 0);
  EXPECT_EQ(Run101(), "Cannot create file " + Report() + ": Is a directory");
  EXPECT_EQ(Listing(), std::set<std::string>{"opt.out"});
}

TEST_F(ReportFileTest, AReadOnlyReportStaysInAWritableFolder) {
  WriteFile("opt.out", "old");
  chmod("opt.out", 0444);
  const int status = RunUnprivileged([] {
    return Run101() == "Cannot create file " + Report() + ": Permission denied" &&
           ReadFile("opt.out") == "old";
  });
  SKIP_WITHOUT_UNPRIVILEGED_USER(status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Listing(), std::set<std::string>{"opt.out"});
}

TEST_F(ReportFileTest, AFolderThatTakesNoNewFileHasItsReportRewrittenInPlace) {
  WriteFile("opt.out", std::string(3000, 'x'));
  chmod("opt.out", 0666);
  chmod(dir_.c_str(), 0555);
  const int status =
      RunUnprivileged([] { return Run101() == "" && ReadFile("opt.out") == ReportFile.Bytes(); });
  chmod(dir_.c_str(), 0777);
  SKIP_WITHOUT_UNPRIVILEGED_USER(status);
  EXPECT_EQ(status, 0);
}

TEST_F(ReportFileTest, AFailedWriteKeepsTheOldReportAndRemovesTheTemporaryFile) {
  WriteFile("opt.out", "old");
  // A file-size limit below the report's size: the write fails half-way, as
  // on a full disk.
  const int status = InChild(
      [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
        return Run101() == "I/O error 27: " + Report() + ": File too large" ? 0 : 1;
      },
      false);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile("opt.out"), "old");
  EXPECT_EQ(Listing(), std::set<std::string>{"opt.out"});
}
