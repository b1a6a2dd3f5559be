// Tasks 118 and 125: the reversible consecutive scheme in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task118 : public InTempDir {};
class Task125 : public InTempDir {};

TEST_F(Task118, WorkedExampleByteForByte) {
  RunWith(118, {0.5, 0.1, 0.05, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 0.5000  k(2) = 0.1000\r\n"
         "k(-2)= 0.0500\r\n"
         "Объем реактора, м куб. = 1.0\r\n"
         "    Результаты расчета\r\n"
         "   Xa       Xr      W0 \r\n"
         "  0.050    0.049   9.50000\r\n"
         "  0.100    0.098   4.50000\r\n"
         "  0.150    0.145   2.83333\r\n"
         "  0.200    0.191   2.00000\r\n"
         "  0.250    0.235   1.50000\r\n"
         "  0.300    0.277   1.16667\r\n"
         "  0.350    0.318   0.92857\r\n"
         "  0.400    0.356   0.75000\r\n"
         "  0.450    0.391   0.61111\r\n"
         "  0.500    0.423   0.50000\r\n"
         "  0.550    0.452   0.40909\r\n"
         "  0.600    0.476   0.33333\r\n"
         "  0.650    0.495   0.26923\r\n"
         "  0.700    0.508   0.21429\r\n"
         "  0.750    0.513   0.16667\r\n"
         "  0.800    0.509   0.12500\r\n"
         "  0.850    0.493   0.08824\r\n"
         "  0.900    0.462   0.05556\r\n"
         "  0.950    0.411   0.02632\r\n"
         "  0.999    0.335   0.00050\r\n"
         "Максимальный выход продукта R,            Xr = 0.513\r\n"
         "Оптимальная степень конверсии вещества А, Xa = 0.755\r\n"
         "Скорость подачи, м куб./с,                W0 = 0.16225\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(PrepareChartPointCount(118), 20);
}

TEST_F(Task125, WorkedExampleByteForByte) {
  RunWith(125, {0.5, 0.1, 0.05, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 0.5000  k(2) = 0.1000\r\n"
         "k(-2)= 0.0500\r\n"
         "Скорость подачи, м куб./с = 1.0000\r\n"
         "    Результаты расчета\r\n"
         "   Xa       Xr      Vr \r\n"
         "  0.050    0.049   0.10526\r\n"
         "  0.100    0.098   0.22222\r\n"
         "  0.150    0.145   0.35294\r\n"
         "  0.200    0.191   0.50000\r\n"
         "  0.250    0.235   0.66667\r\n"
         "  0.300    0.277   0.85714\r\n"
         "  0.350    0.318   1.07692\r\n"
         "  0.400    0.356   1.33333\r\n"
         "  0.450    0.391   1.63636\r\n"
         "  0.500    0.423   2.00000\r\n"
         "  0.550    0.452   2.44444\r\n"
         "  0.600    0.476   3.00000\r\n"
         "  0.650    0.495   3.71429\r\n"
         "  0.700    0.508   4.66667\r\n"
         "  0.750    0.513   6.00000\r\n"
         "  0.800    0.509   8.00000\r\n"
         "  0.850    0.493   11.33333\r\n"
         "  0.900    0.462   18.00000\r\n"
         "  0.950    0.411   38.00000\r\n"
         "  0.999    0.335   1998.00000\r\n"
         "Максимальный выход продукта R,            Xr = 0.513\r\n"
         "Оптимальная степень конверсии вещества А, Xa = 0.755\r\n"
         "Объем реактора, м куб.,                   Vr = 6.16\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
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
