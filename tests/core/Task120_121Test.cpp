// Tasks 120 and 121: reactions of mixed order in a stirred tank and in a
// plug-flow reactor.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task120 : public InTempDir {};
class Task121 : public InTempDir {};

TEST_F(Task120, ReportByteForByte) {
  RunWith(120, {0.5, 1, 0.05, 1, 1.5});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости: \r\n"
         "k(1) = 0.5000 1/с;\r\n"
         "k(2) = 1.0000 м куб./(кмоль*с);\r\n"
         "k(3) = 0.0500 1/с;\r\n"
         "Ca0  = 1.000 кмоль/м куб.;\r\n"
         "Cb0  = 1.500 кмоль/м куб.;\r\n"
         "    Результаты расчета\r\n"
         "   XA     CA     CB     XS\r\n"
         "  0.050  0.950  1.461  0.037\r\n"
         "  0.100  0.900  1.422  0.074\r\n"
         "  0.150  0.850  1.383  0.110\r\n"
         "  0.200  0.800  1.345  0.146\r\n"
         "  0.250  0.750  1.307  0.181\r\n"
         "  0.300  0.700  1.269  0.215\r\n"
         "  0.350  0.650  1.232  0.249\r\n"
         "  0.400  0.600  1.195  0.282\r\n"
         "  0.450  0.550  1.157  0.314\r\n"
         "  0.500  0.500  1.120  0.346\r\n"
         "  0.550  0.450  1.082  0.376\r\n"
         "  0.600  0.400  1.044  0.406\r\n"
         "  0.650  0.350  1.004  0.434\r\n"
         "  0.700  0.300  0.963  0.461\r\n"
         "  0.750  0.250  0.917  0.485\r\n"
         "  0.800  0.200  0.866  0.507\r\n"
         "  0.850  0.150  0.802  0.524\r\n"
         "  0.900  0.100  0.709  0.528\r\n"
         "  0.950  0.050  0.526  0.487\r\n"
         "  0.990  0.010  0.147  0.225\r\n"
         "Максимальный выход по продукту     S = 0.529\r\n"
         "наблюдается при степени конверсии XA = 0.887\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
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

TEST_F(Task121, ReportByteForByte) {
  RunWith(121, {1, 1, 1, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости: \r\n"
         "k(1) = 1.0000 1/с;\r\n"
         "k(2) = 1.0000 м куб./(кмоль*с);\r\n"
         "Ca0  = 1.000 кмоль/м куб.;\r\n"
         "  V  = 1.000 м куб.\r\n"
         "    Результаты расчета\r\n"
         "   XA     XR     W0\r\n"
         "  0.050  0.050 19.496\r\n"
         "  0.100  0.100  9.491\r\n"
         "  0.150  0.149  6.153\r\n"
         "  0.200  0.197  4.481\r\n"
         "  0.250  0.244  3.476\r\n"
         "  0.300  0.289  2.804\r\n"
         "  0.350  0.332  2.321\r\n"
         "  0.400  0.372  1.958\r\n"
         "  0.450  0.408  1.673\r\n"
         "  0.500  0.441  1.443\r\n"
         "  0.550  0.469  1.252\r\n"
         "  0.600  0.492  1.091\r\n"
         "  0.650  0.508  0.953\r\n"
         "  0.700  0.518  0.831\r\n"
         "  0.750  0.518  0.721\r\n"
         "  0.800  0.509  0.621\r\n"
         "  0.850  0.487  0.527\r\n"
         "  0.900  0.448  0.434\r\n"
         "  0.950  0.378  0.334\r\n"
         "  0.999  0.156  0.143\r\n"
         "Максимальная отн. концентрация продукта R Cr = 0.519\r\n"
         "наблюдается при степени конверсии         Xa = 0.730\r\n"
         "и скорости подачи исходного вещества      Wo = 0.764\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
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
