// Tasks 103 and 104: second-order reactions with reagent B in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task103 : public InTempDir {};
class Task104 : public InTempDir {};

TEST_F(Task103, WorkedExampleChart) {
  // These data never push a selectivity out of its bounds, so no random
  // offset enters the solution and the chart is exactly reproducible.
  RunWith(103, {1, 0.5, 0.2, 1, 2, 0.01});
  EXPECT_EQ(ChartPointCount, 14);
  EXPECT_DOUBLE_EQ(ChartY1[0], 1 / 1.2);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[14], 0.7);
  EXPECT_NEAR(ChartY2[12], 0.308, 0.0005);  // cr / Ca0 near its maximum
  EXPECT_NEAR(ChartY1[12], 0.308 / 0.6, 0.001);
}

TEST_F(Task103, BUsedUpEndsTheSweepAndTheChartAtTheLastRow) {
  RunWith(101, {1, 1});  // fills all 21 chart points
  const double stale = ChartX[15];
  const auto lines = RunWith(103, {1, 0.5, 0.2, 1, 0.5, 0.01});
  // cb is last positive at xa = 0.419: the rows stop at 0.400.
  ASSERT_EQ(lines.size(), 9u + 8u + 10u);
  EXPECT_EQ(lines[16], " 0.400 0.600 0.028 0.261 0.072 0.067 0.003");
  EXPECT_EQ(lines[17], "При степени конверсии Xa = 0.419 достигается");
  EXPECT_EQ(lines[19], "по продукту R, кмоль/с             =0.00268");
  EXPECT_EQ(lines[23], "                      ващества В Св=0.0003");
  EXPECT_EQ(ChartPointCount, 8);
  EXPECT_EQ(PrepareChartPointCount(103), 8);
  EXPECT_EQ(ChartX[15], stale);  // kept, but not drawn
}

TEST_F(Task103, BUsedUpAtTheFirstStepLeavesOnlyTheOrigin) {
  RunWith(101, {1, 1});
  const auto lines = RunWith(103, {1, 0.5, 0.2, 1, 0.0005, 0.01});
  ASSERT_EQ(lines.size(), 9u + 10u);
  EXPECT_EQ(lines[8], "  xa    ca    cb    cr    cs    ct    Fr");
  EXPECT_EQ(lines[9], "При степени конверсии Xa = 0.000 достигается");
  EXPECT_EQ(lines[11], "по продукту R, кмоль/с             =0.00000");
  EXPECT_EQ(lines[18], "                      вещества Т Сt=0.0000");
  EXPECT_EQ(ChartPointCount, 0);
  EXPECT_EQ(PrepareChartPointCount(103), 0);
}

TEST_F(Task103, EqualProductionRatesKeepTheEarliest) {
  // Without feed every production rate is 0, never above the starting best.
  const auto lines = RunWith(103, {1, 0.5, 0.2, 1, 2, 0});
  ASSERT_EQ(lines.size(), 9u + 14u + 10u);
  EXPECT_EQ(lines[23], "При степени конверсии Xa = 0.000 достигается");
  EXPECT_EQ(lines[25], "по продукту R, кмоль/с             =0.00000");
  EXPECT_EQ(lines[28], "                      вещества А Са=0.0000");
}

TEST_F(Task103, ZeroDivisorsAreRefusedAndTheOldReportStays) {
  WriteFile("opt.out", "old");
  ChartPointCount = 5;
  EXPECT_EQ(DataErrorOf(103, {0, 0.5, 0.2, 1, 2, 0.01}), "Недопустимые исходные данные: k(1) = 0");
  EXPECT_EQ(DataErrorOf(103, {1, 0, 0.2, 1, 2, 0.01}), "Недопустимые исходные данные: k(2) = 0");

  EXPECT_EQ(DataErrorOf(103, {1, 0.5, 0.2, 0, 2, 0.01}), "Недопустимые исходные данные: Ca0 = 0");
  EXPECT_EQ(ReadFile("opt.out"), "old");
  EXPECT_EQ(ChartPointCount, 5);
  // Unusual but harmless data still run.
  EXPECT_EQ(DataErrorOf(103, {1, 0.5, 0, 1, 2, 0}), "");
  EXPECT_EQ(DataErrorOf(103, {1, 0.5, 0.2, 1, 0, 0.01}), "");
}

TEST_F(Task103, ASingularJacobianEndsTheRunAndKeepsTheOldReport) {
  // With these extreme data the Jacobian of the first step has a zero column.
  RunWith(101, {1, 1});
  WriteFile("opt.out", "old");
  SetParams({1e-20, 3, 1e-20, 1, 2, 0.001});
  TaskCode = 103;
  testing::internal::CaptureStdout();
  try {
    RunCurrentTask();
    ADD_FAILURE() << "no error";
  } catch (const NumericalError& e) {
    // The routine's message, then which data made the balances singular.
    EXPECT_STREQ(e.what(),
                 "ранг матрицы = 0: балансы реактора вырождены при Xa = 0.001 для данных k(1) = 1e-20, "
                 "k(2) = 3, k(3) = 1e-20, Ca0 = 1, Cb0 = 2");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(RunSucceeded);
  EXPECT_EQ(ReadFile("opt.out"), "old");
  // The program goes on: the next run works.
  RunWith(103, {1, 0.5, 0.2, 1, 2, 0.01});
  EXPECT_EQ(ChartPointCount, 14);
}

TEST_F(Task104, ChartOfTheExample) {
  RunWith(104, {1, 0.5, 1, 0.8, 1});
  EXPECT_EQ(ChartPointCount, 20);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(ChartY1[0], 1.0);
}

TEST_F(Task104, WithoutTheSecondReactionTheBestIsTheLastStepWithB) {
  // The selectivity is 1 and B runs out after xa = 0.456; the rounding of the
  // intermediate values shows in the signs of the tiny amounts of S.
  RunWith(104, {1, 0, 1, 0.4567, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, м куб./(кмоль*с)\r\n"
         "k(1) = 1.000  k(2) = 0.000\r\n"
         "Концентрации реагентов, кмоль/м куб.:\r\n"
         "Ca0  = 1.000  Cb0  = 0.457\r\n"
         "Объем реактора, м куб. = 1.000\r\n"
         "    Результаты расчета\r\n"
         "   Xa     Ca     Cb     Cr     Cs     W0\r\n"
         "  0.050  0.950  0.407  0.050  0.000  7.72730\r\n"
         "  0.100  0.900  0.357  0.100 -0.000  3.21030\r\n"
         "  0.150  0.850  0.307  0.150  0.000  1.73797\r\n"
         "  0.200  0.800  0.257  0.200 -0.000  1.02680\r\n"
         "  0.250  0.750  0.207  0.250  0.000  0.62010\r\n"
         "  0.300  0.700  0.157  0.300  0.000  0.36563\r\n"
         "  0.350  0.650  0.107  0.350  0.000  0.19816\r\n"
         "  0.400  0.600  0.057  0.400  0.000  0.08505\r\n"
         "  0.450  0.550  0.007  0.450 -0.000  0.00819\r\n"
         "максимальный выход продукта R: Xr = 0.456\r\n"
         "При скорости подачи \r\n"
         "исходных реагентов          W0opt = 0.000835\r\n"
         "и степени конверсии         Xaopt = 0.456\r\n"
         "Концентрации остальных продуктов\r\n"
         "                               Cs =-0.000\r\n"
         "                               Cb = 0.001\r\n"
         "                               Ca = 0.544\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  EXPECT_EQ(ChartPointCount, 9);
  EXPECT_EQ(ChartY1[9], 1.0);
}

TEST_F(Task104, BUsedUpAtTheFirstStepLeavesOnlyTheOrigin) {
  RunWith(101, {1, 1});
  const auto lines = RunWith(104, {1, 0.5, 1, 0, 1});
  ASSERT_EQ(lines.size(), 8u + 8u);
  EXPECT_EQ(lines[8], "максимальный выход продукта R: Xr = 0.000");
  EXPECT_EQ(lines[10], "исходных реагентов          W0opt = 0.000000");
  EXPECT_EQ(lines[11], "и степени конверсии         Xaopt = 0.000");
  EXPECT_EQ(ChartPointCount, 0);
}

TEST_F(Task104, ZeroDivisorsAreRefusedAndTheOldReportStays) {
  WriteFile("opt.out", "old");
  EXPECT_EQ(DataErrorOf(104, {1, 0.5, 0, 0.8, 1}), "Недопустимые исходные данные: Ca0 = 0");
  EXPECT_EQ(DataErrorOf(104, {0, 0, 1, 0.8, 1}), "Недопустимые исходные данные: k(1) = 0, k(2) = 0");
  EXPECT_EQ(ReadFile("opt.out"), "old");
  // Without the first reaction no A can convert: the balance's root gives R
  // a negative concentration, which no reactor has.
  EXPECT_EQ(DataErrorOf(104, {0, 0.5, 1, 0.8, 1}),
            "Недопустимые исходные данные: Cr = -0.050 при Xa = 0.050 меньше 0");
}

}  // namespace
