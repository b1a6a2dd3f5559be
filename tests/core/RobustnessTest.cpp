// Hostile files, folders and data: a clear error or a report, never a crash,
// a hang or a lost file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "TestSupport.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

namespace {

// Runs `check` without root's rights, since file permissions do not bind root.
#define EXPECT_UNPRIVILEGED(check)             \
  do {                                         \
    const int status = RunUnprivileged(check); \
    SKIP_WITHOUT_UNPRIVILEGED_USER(status);    \
    EXPECT_EQ(status, 0);                      \
  } while (0)

// The error text of running task 101, or "" when it ran.
std::string RunError() {
  SetParams({1, 1});
  try {
    RunTask("zad101.txt");
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// The message of a report that cannot be created for want of rights.
std::string NoRightToCreate() {
  return "Cannot create file " + std::filesystem::current_path().string() + "/opt.out: Permission denied";
}

class Robustness : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    chmod(dir_.c_str(), 0777);
  }
};

}  // namespace

TEST_F(Robustness, AReadOnlyReportIsNotOverwritten) {
  WriteFile("opt.out", "old");
  chmod("opt.out", 0444);
  EXPECT_UNPRIVILEGED(([] { return RunError() == NoRightToCreate() && ReadFile("opt.out") == "old"; }));
}

TEST_F(Robustness, AnUnwritableFolderStopsTheRunWithAMessage) {
  chmod(dir_.c_str(), 0555);
  EXPECT_UNPRIVILEGED(([] { return RunError() == NoRightToCreate(); }));
  chmod(dir_.c_str(), 0777);
  EXPECT_FALSE(FileExists("opt.out"));
}

TEST_F(Robustness, AnUnreadableDataFileIsAnInputError) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  chmod("DataFile.dat", 0);
  EXPECT_UNPRIVILEGED(([] {
    TaskCode = 101;
    try {
      ReadTaskData();
    } catch (const InOutError& e) {
      return e.what() ==
             "I/O error 13: " + std::filesystem::current_path().string() + "/DataFile.dat: Permission denied";
    }
    return false;
  }));
}

TEST_F(Robustness, AHugeDataFileIsReadOnlyUpToTheWantedBlock) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  ASSERT_EQ(truncate("DataFile.dat", 8LL << 30), 0);  // 8 GiB, sparse
  const auto start = std::chrono::steady_clock::now();
  TaskCode = 125;
  ReadTaskData();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_GT(TaskFieldTable[4].Flag, 0);
}

TEST_F(Robustness, BinaryGarbageAsADataFileIsAnInputErrorOrEmptyRecords) {
  std::mt19937 random(12345);
  for (int trial = 0; trial < 200; ++trial) {
    std::string bytes(1 + random() % 4000, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    if (trial % 2) bytes.insert(0, "1 ");
    WriteFile("DataFile.dat", bytes);
    TaskCode = 101 + trial % 25;
    try {
      ReadTaskData();
    } catch (const InOutError& e) {
      // A file that runs out before the task's block says so.
      const std::string missing = "В файле DataFile.dat нет данных для задачи " + std::to_string(TaskCode);
      EXPECT_TRUE(std::string(e.what()).rfind("Invalid numeric input: ", 0) == 0 || e.what() == missing)
          << e.what();
    }
    for (int i = 1; i <= 10; ++i) EXPECT_LE(TaskFieldTable[i].LabelText.size(), 17u);
  }
}

TEST_F(Robustness, ExtremeDataGiveAReportOrARefusalForEveryTask) {
  const double extremes[] = {1e300, -1e300, 1e-300, -1e-300};
  for (int code = 101; code <= 125; ++code) {
    if (!FindSolver(code)) continue;
    for (int pattern = 0; pattern < 16; ++pattern) {
      for (int j = 1; j <= 10; ++j) TaskParams.Slot(j) = extremes[(pattern + j * (pattern / 4 + 1)) % 4];
      TaskCode = code;
      std::remove("opt.out");
      try {
        RunCurrentTask();
        EXPECT_TRUE(FileExists("opt.out")) << code;
      } catch (const InvalidDataError&) {
        EXPECT_FALSE(FileExists("opt.out")) << code;
      } catch (const NumericalError&) {
        EXPECT_FALSE(FileExists("opt.out")) << code;
      }
    }
  }
}
