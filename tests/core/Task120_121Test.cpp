// Tasks 120 and 121: reactions of mixed order in a stirred tank and in a
// plug-flow reactor.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task120 : public InTempDir {};
class Task121 : public InTempDir {};

TEST_F(Task120, ChartOfTheExample) {
  RunWith(120, {0.5, 1, 0.05, 1, 1.5});
  EXPECT_EQ(ChartPointCount, 20);
  EXPECT_EQ(ChartX[20], 0.99);
  EXPECT_DOUBLE_EQ(ChartY1[0], 1.5 / 2);
  EXPECT_EQ(ChartY2[0], 0.0);
}

TEST_F(Task120, BUsedUpEndsTheSweepAndTheChartAtTheLastRow) {
  RunWith(101, {1, 1});
  const double stale = ChartX[12];
  const auto lines = RunWith(120, {0, 1, 0.05, 1, 0.5});
  // Every converted A forms S, and CB is last positive at XA = 0.457.
  ASSERT_EQ(lines.size(), 9u + 9u + 2u);
  EXPECT_EQ(lines[17], "  0.450  0.550  0.009  0.450");
  EXPECT_EQ(lines[18], "Максимальный выход по продукту     S = 0.457");
  EXPECT_EQ(lines[19], "наблюдается при степени конверсии XA = 0.457");
  EXPECT_TRUE(RunSucceeded);  // the early stop's flag is the solver's own business
  EXPECT_EQ(ChartPointCount, 9);
  EXPECT_EQ(PrepareChartPointCount(120), 9);
  EXPECT_EQ(ChartY1[9], 1.0);
  EXPECT_EQ(ChartX[12], stale);  // kept, but not drawn
}

TEST_F(Task120, WithoutConsumptionOfBTheSweepRunsTo0990) {
  const auto lines = RunWith(120, {1, 2, 0, 1, 1.5});
  ASSERT_EQ(lines.size(), 9u + 20u + 2u);
  EXPECT_EQ(lines[28], "  0.990  0.010  0.871  0.629");
  EXPECT_EQ(lines[30], "наблюдается при степени конверсии XA = 0.990");
  EXPECT_EQ(ChartPointCount, 20);
}

TEST_F(Task120, ZeroDivisorsAreRefusedAndTheOldReportStays) {
  WriteFile("opt.out", "old");
  EXPECT_EQ(DataErrorOf(120, {0.5, 1, 0.05, 0, 1.5}), "Недопустимые исходные данные: Ca0 = 0");
  EXPECT_EQ(DataErrorOf(120, {0, 0, 0.05, 1, 1.5}), "Недопустимые исходные данные: k(1) = 0, k(2) = 0");
  EXPECT_EQ(DataErrorOf(120, {0, 1, 0.05, 1, 0}), "Недопустимые исходные данные: k(1) = 0, Cb0 = 0");
  EXPECT_EQ(ReadFile("opt.out"), "old");
  EXPECT_EQ(DataErrorOf(120, {0.5, 0, 0.05, 1, 0}), "");
}

TEST_F(Task121, ChartOfTheExample) {
  RunWith(121, {1, 1, 1, 1});
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(PrepareChartPointCount(121), 20);
}

TEST_F(Task121, WithoutConsumptionOfRTheLastStepIsBest) {
  auto lines = RunWith(121, {1, 0, 1, 1});
  EXPECT_EQ(lines[27], "  0.999  0.999  0.143");
  EXPECT_EQ(lines[28], "Максимальная отн. концентрация продукта R Cr = 0.999");
  EXPECT_EQ(lines[29], "наблюдается при степени конверсии         Xa = 0.999");
  EXPECT_EQ(lines[30], "и скорости подачи исходного вещества      Wo = 0.143");
  EXPECT_DOUBLE_EQ(ChartY1[20], 1.0);
  // The feed rate scales with V * k(1) and does not depend on k(2).
  lines = RunWith(121, {2, 0, 1, 3});
  EXPECT_EQ(lines[30], "и скорости подачи исходного вещества      Wo = 0.859");
  EXPECT_EQ(RunWith(121, {2, 5, 1, 3})[27].substr(14), "  0.859");
}

TEST_F(Task121, ZeroDivisorsAreRefused) {
  WriteFile("opt.out", "old");
  EXPECT_EQ(DataErrorOf(121, {0, 1, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
  EXPECT_EQ(DataErrorOf(121, {1, 1, 0, 1}), "Недопустимые исходные данные: Ca0 = 0");
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

}  // namespace
