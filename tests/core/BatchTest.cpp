// reactopt-batch, driven as a teacher's script would drive it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "TestSupport.h"
#include "base/Cp1251.h"
#include "solvers/RunOpt.h"

namespace {

using Outcome = BatchOutcome;

class Batch : public InTempDir {
 protected:
  static Outcome Run(const std::string& args) { return RunBatch(args); }
  static void UseDeliveredDataFile() {
    WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  }
};

}  // namespace

TEST_F(Batch, WritesTheReportAndPrintsItAsUtf8) {
  const Outcome o = Run("--print 101 1 1");
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string report = ReadFile("opt.out");
  EXPECT_EQ(report.substr(0, 17), Cp("Исходные данные\r\n"));
  std::string expected = cp1251::ToUtf8(report);
  std::string lf;
  for (char c : expected)
    if (c != '\r') lf += c;
  EXPECT_EQ(o.out, lf);
  EXPECT_NE(o.out.find("k1 = 1.000  k2 = 1.000\n"), std::string::npos);
}

TEST_F(Batch, TakesTheCodeFromATaskFileName) {
  EXPECT_EQ(Run("some/dir/zad101.txt 1 0.5").status, 0);
  EXPECT_NE(ReadFile("opt.out").find("k2 = 0.500"), std::string::npos);
  const Outcome o = Run("tasks/zadxyz.txt 1 1");
  EXPECT_EQ(o.status, 2);
  EXPECT_FALSE(FileExists("other.out"));
}

TEST_F(Batch, MissingSlotsTakeTheDialogDefaults) {
  UseDeliveredDataFile();
  ASSERT_EQ(Run("102 2").status, 0);
  const std::string report = cp1251::ToUtf8(ReadFile("opt.out"));
  EXPECT_NE(report.find("k(1) = 2.000  k(2) = 0.500"), std::string::npos) << report;
  EXPECT_NE(report.find("м куб./с = 0.010"), std::string::npos) << report;
}

TEST_F(Batch, AllSlotsGivenNeedsNoDataFile) {
  EXPECT_EQ(Run("101 1 1").status, 0);
  const Outcome o = Run("101 1");
  EXPECT_EQ(o.status, 1);
  // Where the runner looked, and where the installed data are (from a build
  // folder, the source tree's).
  char* shipped = realpath(REACTOPT_TASKS_DIR, nullptr);
  EXPECT_EQ(o.err,
            "reactopt-batch: File not found: " + std::filesystem::current_path().string() +
                "/DataFile.dat (the values not given on the command line are read from DataFile.dat "
                "in the current folder; task 101 takes 2; the installed statements and DataFile.dat are in " +
                shipped + ")\n");
  free(shipped);
}

TEST_F(Batch, BadUsageWritesNothing) {
  for (const char* args : {"", "100 1 1", "126 1 1", "abc", "101 1 x", "101 1,000.5 1", "--frobnicate 101",
                           "101 1 2 3 4 5 6 7 8 9 10 11", "101 1 1 7 7 7", "--chart", "--chart '' 101 1 1"}) {
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2) << args;
    EXPECT_NE(o.err.find("usage"), std::string::npos) << args;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << args;
  }
  EXPECT_FALSE(FileExists("opt.out"));
  EXPECT_EQ(Run("101 1 1 7 7 7").err.rfind("reactopt-batch: task 101 takes 2 values, 5 given (usage", 0), 0u);
}

TEST_F(Batch, OutputErrorsExitWithTheRunTimeMessage) {
  std::filesystem::create_directory("opt.out");
  const Outcome o = Run("101 1 1");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "reactopt-batch: Cannot create file " + std::filesystem::current_path().string() +
                       "/opt.out: Is a directory\n");
}

TEST_F(Batch, DataErrorsExitWithTheirMessage) {
  WriteFile("opt.out", "old");
  const Outcome o = Run("101 0 1");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "Недопустимые исходные данные: k1 = 0\n");
  // A negative value, all given: the data file, where there is one, names
  // the field.
  UseDeliveredDataFile();
  EXPECT_EQ(Run("118 1 1 -0,5 1").err,
            "Недопустимые исходные данные: отрицательное значение в поле «Конст. k(-2),1/с»: -0.5\n");
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

TEST_F(Batch, WritesTheAnswerAsCsv) {
  ASSERT_EQ(Run("--answer answer.csv 101 1 1").status, 0);
  EXPECT_EQ(ReadFile("answer.csv"), "label,value\nCRmax,0.250\nXa,0.500\nCS,0.250\n");
  // Labels that hold a comma are quoted.
  const Outcome o = Run("--answer - 112 1 0.01 1 0.01 1");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("\n\"концентрация вещества А на входе в реактор, кмоль/м куб.\","), std::string::npos)
      << o.out;
}

TEST_F(Batch, WritesTheChartPointsAsCsv) {
  ASSERT_EQ(Run("--chart chart.csv 101 1 1").status, 0);
  const std::string csv = ReadFile("chart.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\n', 10) + 1), "k,x,y1,y2\n0,0,1,0\n");
  EXPECT_NE(csv.find("\n10,0.5,0.5,0.25\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n20,1,0,0\n"), std::string::npos) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 22);
  EXPECT_EQ(Run("--chart no/such/dir/c.csv 101 1 1").status, 1);
}

TEST_F(Batch, EveryTaskOfTheCatalogueRunsOnTheDeliveredDefaults) {
  UseDeliveredDataFile();
  for (int code = 101; code <= 125; ++code) {
    if (!FindSolver(code)) continue;
    std::remove("opt.out");
    const Outcome o = Run(std::to_string(code));
    EXPECT_EQ(o.status, 0) << code << ": " << o.err;
    EXPECT_EQ(ReadFile("opt.out").substr(0, 17), Cp("Исходные данные\r\n")) << code;
  }
}
