// Task codes from file names, the dispatcher and the report frame.

#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

int CodeOf(const std::string& name) {
  ParseTaskCode(name);
  return TaskCode;
}

}  // namespace

TEST(TaskCodeFromName, TakesCharactersFourToSix) {
  EXPECT_EQ(CodeOf("zad107.txt"), 107);
  EXPECT_EQ(CodeOf("abc125"), 125);
  EXPECT_EQ(CodeOf("zad10x.txt"), 10);
  EXPECT_EQ(CodeOf("zadxyz.txt"), 0);
  EXPECT_EQ(CodeOf("zad"), 0);
  EXPECT_EQ(CodeOf("ab"), 0);
  EXPECT_EQ(CodeOf("zad1"), 1);
  EXPECT_EQ(CodeOf("zad 12.txt"), 12);
  EXPECT_EQ(CodeOf("zad$65.txt"), 101);
  EXPECT_EQ(CodeOf("zad0x7"), 7);
  EXPECT_EQ(CodeOf("zad-12"), -12);
  EXPECT_EQ(CodeOf("зад101.txt"), 101);  // characters, not bytes
  EXPECT_EQ(CodeOf("задача"), 0);
}

TEST(TaskCodeFromName, FileNamePartAndCharacterCuts) {
  EXPECT_EQ(FileNamePart("/home/u/tasks/zad101.txt"), "zad101.txt");
  EXPECT_EQ(FileNamePart("zad101.txt"), "zad101.txt");
  EXPECT_EQ(FirstChars("задача101.txt", 10), "задача101.");
  EXPECT_EQ(FirstChars("ab", 6), "ab");
}

class Dispatch : public InTempDir {};

TEST_F(Dispatch, AnUnknownCodeRunsNothingAndKeepsTheOldReport) {
  WriteFile("opt.out", "old");
  RunSucceeded = true;
  RunTask("zad10x.txt");
  EXPECT_FALSE(RunSucceeded);
  EXPECT_EQ(ReadFile("opt.out"), "old");
  RunTask("ab");
  EXPECT_FALSE(RunSucceeded);
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

TEST_F(Dispatch, EachRunRewritesTheReport) {
  SetParams({1, 1});
  RunTask("zad101.txt");
  EXPECT_TRUE(RunSucceeded);
  SetParams({2, 1, 0.5, 0.25, 1});
  RunTask("zad102.txt");
  const auto lines = ReportLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "Исходные данные");
  EXPECT_EQ(lines[2], "k(1) = 2.000  k(2) = 1.000");
}

TEST_F(Dispatch, AReportThatCannotBeCreatedEndsTheRun) {
  std::filesystem::create_directory("opt.out");  // not creatable, even for root
  RunSucceeded = false;
  SetParams({1, 1});
  try {
    RunTask("zad101.txt");
    FAIL() << "no error";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.what(),
              "Cannot create file " + std::filesystem::current_path().string() + "/opt.out: Is a directory");
  }
  EXPECT_FALSE(RunSucceeded);
}

TEST_F(Dispatch, ZeroDivisorsAreRefusedBeforeTheReportIsTouched) {
  WriteFile("opt.out", "old");
  SetParams({0, 1});
  try {
    RunTask("zad101.txt");
    FAIL() << "no error";
  } catch (const InvalidDataError& e) {
    EXPECT_STREQ(e.what(), "Недопустимые исходные данные: k1 = 0");
  }
  SetParams({-0.0, 1, 1, 1, 1});
  EXPECT_THROW(RunTask("zad102.txt"), InvalidDataError);
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

TEST(ChartCount, TasksThatDoNotCountDrawAllPoints) {
  ChartPointCount = 3;
  EXPECT_EQ(PrepareChartPointCount(101), 20);
  EXPECT_EQ(ChartPointCount, 20);
  ChartPointCount = 3;
  EXPECT_EQ(PrepareChartPointCount(115), 3);
  EXPECT_EQ(PrepareChartPointCount(120), 3);
  ChartPointCount = 0x10005;  // only the low 16 bits count
  EXPECT_EQ(PrepareChartPointCount(103), 5);
  ChartPointCount = 500;  // never past the buffers
  EXPECT_EQ(PrepareChartPointCount(103), 20);
  ChartPointCount = -1;
  EXPECT_EQ(PrepareChartPointCount(103), 20);
}
