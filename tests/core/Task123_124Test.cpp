// Tasks 123 and 124: consecutive reactions with reagent B in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task123 : public InTempDir {};
class Task124 : public InTempDir {};

TEST_F(Task123, ChartOfTheExample) {
  RunWith(123, {2, 0.5, 0.2});
  EXPECT_EQ(ChartPointCount, 13);
}

TEST_F(Task124, TheChartEndsWhereBRunsOut) {
  RunWith(101, {1, 1});
  const double stale = ChartX[18];
  RunWith(124, {1, 1, 1});
  // B runs out at X = 0.811: the chart ends at the row of 0.800.
  EXPECT_EQ(ChartPointCount, 16);
  EXPECT_EQ(PrepareChartPointCount(124), 16);
  EXPECT_EQ(ChartX[18], stale);
  EXPECT_EQ(ChartY1[0], 0.0);
  EXPECT_DOUBLE_EQ(ChartY1[10], 0.25);  // phiS = X * (1 - X)
  EXPECT_DOUBLE_EQ(ChartY2[10], 0.125);
}

TEST_F(Task123, EqualConstantsStopWhenBRunsOut) {
  const auto lines = RunWith(123, {1, 1, 1});
  ASSERT_EQ(lines.size(), 6u + 10u + 2u);
  EXPECT_EQ(lines[15], "  0.500  0.500  0.250  0.125  0.125");
  EXPECT_EQ(lines[16], "Максимальная отн. концентрация продукта R Cr = 0.250");
  EXPECT_EQ(lines[17], "наблюдается при степени конверсии         Xa = 0.500");
  EXPECT_EQ(ChartPointCount, 10);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_DOUBLE_EQ(ChartY1[10], 0.5);  // phiR = 1 - X
}

TEST_F(Task123, OnlyTheFirstReactionGivesAllRowsAndNoS) {
  auto lines = RunWith(123, {1, 0, 0});
  ASSERT_EQ(lines.size(), 6u + 20u + 2u);
  EXPECT_EQ(lines[25], "  0.999  0.001  0.999  0.000  0.000");
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта R Cr = 0.999");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии         Xa = 0.999");
  EXPECT_EQ(ChartPointCount, 20);
  lines = RunWith(124, {1, 0, 0});
  ASSERT_EQ(lines.size(), 6u + 20u + 2u);
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта S Cs = 0.000");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии         Xa = 0.000");
  EXPECT_EQ(ChartY1[20], 0.0);
}

TEST_F(Task123, ZeroFirstRateConstantIsRefusedInBothTasks) {
  WriteFile("opt.out", "old");
  for (int code : {123, 124}) {
    SetParams({0, 1, 1});
    TaskCode = code;
    try {
      RunCurrentTask();
      ADD_FAILURE() << code;
    } catch (const InvalidDataError& e) {
      EXPECT_STREQ(e.what(), "Недопустимые исходные данные: k(1) = 0");
    }
  }
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

}  // namespace
