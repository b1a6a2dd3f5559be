// Tasks 113 and 114: the parallel-consecutive scheme in a plug-flow reactor and
// in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task113 : public InTempDir {};
class Task114 : public InTempDir {};

std::vector<std::string> Summary(const std::vector<std::string>& lines) {
  return std::vector<std::string>(lines.end() - 4, lines.end());
}

std::vector<std::string> SummaryOf(const char* cr, const char* xa, const char* cs, const char* cd) {
  return {std::string("Максимальная отн. концентрация продукта R      Cr =") + cr,
          std::string("наблюдается при степени конверсии              Xa =") + xa,
          std::string("Относительные концентрации остальных продуктов Cs =") + cs,
          std::string("                                               Cd =") + cd};
}

TEST_F(Task113, PlugFlowOptima) {
  // Without D the optimum is the plug-flow one, CA = 1/e.
  EXPECT_EQ(Summary(RunWith(113, {1, 1, 0})), SummaryOf(" 0.368", " 0.632", " 0.264", " 0.000"));
  const auto lines = RunWith(113, {1, 1, 1});
  EXPECT_EQ(Summary(lines), SummaryOf(" 0.250", " 0.750", " 0.125", " 0.375"));
  EXPECT_EQ(lines[6], "  0.050  0.025  0.000  0.025");
}

TEST_F(Task113, ChartStartsAtTheInitialSelectivityAndHas21Points) {
  // The solver alone: a run through the entry point prepares the count for the chart.
  ChartPointCount = 7;
  SetParams({1, 1, 3});
  TaskCode = 113;
  RunCurrentTask();
  EXPECT_EQ(ChartY1[0], 0.25);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(ChartX[10], 0.5);
  EXPECT_EQ(ChartPointCount, 7);  // not the task's to set
  EXPECT_EQ(PrepareChartPointCount(113), 20);
}

TEST_F(Task114, StirredTankOptima) {
  EXPECT_EQ(Summary(RunWith(114, {1, 1, 0})), SummaryOf(" 0.250", " 0.500", " 0.250", " 0.000"));
  EXPECT_EQ(Summary(RunWith(114, {1, 1, 1})), SummaryOf(" 0.172", " 0.586", " 0.121", " 0.293"));
  EXPECT_EQ(ChartY1[0], 0.5);
  // The selectivity to R of the tank, 1 - Xa when k3 = 0.
  RunWith(114, {1, 1, 0});
  EXPECT_DOUBLE_EQ(ChartY1[10], 0.5);
  EXPECT_DOUBLE_EQ(ChartY2[10], 0.25);
  EXPECT_DOUBLE_EQ(ChartY1[20], 0.001);
}

TEST_F(Task113, ZeroDivisorIsRefusedInBothTasks) {
  WriteFile("opt.out", "old");
  for (int code : {113, 114}) {
    SetParams({0, 1, 0});
    TaskCode = code;
    try {
      RunCurrentTask();
      ADD_FAILURE() << code;
    } catch (const InvalidDataError& e) {
      EXPECT_STREQ(e.what(), "Недопустимые исходные данные: k(1) + k(3) = 0");
    }
  }
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

}  // namespace
