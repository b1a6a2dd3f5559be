// Tasks 118 and 125: the reversible consecutive scheme in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task118 : public InTempDir {};
class Task125 : public InTempDir {};

TEST_F(Task118, ChartOfTheWorkedExample) {
  RunWith(118, {0.5, 0.1, 0.05, 1});
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(PrepareChartPointCount(118), 20);
}

TEST_F(Task118, WithoutTheSecondReactionTheLastStepIsBest) {
  auto lines = RunWith(118, {1, 0, 0.5, 2});
  EXPECT_EQ(lines[27], "Максимальный выход продукта R,            Xr = 0.999");
  EXPECT_EQ(lines[28], "Оптимальная степень конверсии вещества А, Xa = 0.999");
  EXPECT_EQ(lines[29], "Скорость подачи, м куб./с,                W0 = 0.00200");
  EXPECT_EQ(ChartY1[20], 1.0);
  lines = RunWith(125, {1, 0, 0.5, 2});
  EXPECT_EQ(lines[28], "Оптимальная степень конверсии вещества А, Xa = 0.999");
  EXPECT_EQ(lines[29], "Объем реактора, м куб.,                   Vr = 1998.00");
}

TEST_F(Task118, AZeroGivenQuantityGivesZerosInEveryRow) {
  for (int code : {118, 125}) {
    const auto lines = RunWith(code, {1, 1, 0.5, 0});
    ASSERT_EQ(lines.size(), 30u) << code;
    for (int row = 7; row < 27; ++row) EXPECT_EQ(lines[row].substr(16), "   0.00000") << code;
    EXPECT_EQ(lines[27], "Максимальный выход продукта R,            Xr = 0.343");
    EXPECT_EQ(lines[28], "Оптимальная степень конверсии вещества А, Xa = 0.828");
  }
}

TEST_F(Task125, ZeroRateConstantIsRefused) {
  WriteFile("opt.out", "old");
  SetParams({0, 0.1, 0.05, 1});
  TaskCode = 125;
  try {
    RunCurrentTask();
    ADD_FAILURE() << "no error";
  } catch (const InvalidDataError& e) {
    EXPECT_STREQ(e.what(), "Недопустимые исходные данные: k(1) = 0");
  }
  EXPECT_EQ(ReadFile("opt.out"), "old");
  // Task 118 does not divide by it.
  RunWith(118, {0, 0.1, 0.05, 1});
  EXPECT_NE(ReadFile("opt.out"), "old");
}

}  // namespace
