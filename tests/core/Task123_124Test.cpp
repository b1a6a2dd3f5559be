// Tasks 123 and 124: consecutive reactions with reagent B in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task123 : public InTempDir {};
class Task124 : public InTempDir {};

TEST_F(Task123, ReportByteForByte) {
  RunWith(123, {2, 0.5, 0.2});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, м куб./(кмоль*с)\r\n"
         "k(1) = 2.000  k(2) = 0.500\r\n"
         "k(3) = 0.200\r\n"
         "    Результаты расчета\r\n"
         "   Xa     Ca     Cr     Cs     Cd\r\n"
         "  0.050  0.950  0.049  0.001  0.000\r\n"
         "  0.100  0.900  0.097  0.003  0.000\r\n"
         "  0.150  0.850  0.144  0.006  0.000\r\n"
         "  0.200  0.800  0.188  0.011  0.000\r\n"
         "  0.250  0.750  0.231  0.019  0.001\r\n"
         "  0.300  0.700  0.271  0.028  0.001\r\n"
         "  0.350  0.650  0.308  0.039  0.002\r\n"
         "  0.400  0.600  0.343  0.054  0.004\r\n"
         "  0.450  0.550  0.374  0.071  0.006\r\n"
         "  0.500  0.500  0.400  0.091  0.009\r\n"
         "  0.550  0.450  0.421  0.115  0.014\r\n"
         "  0.600  0.400  0.436  0.142  0.021\r\n"
         "  0.650  0.350  0.444  0.174  0.032\r\n"
         "Максимальная отн. концентрация продукта R Cr = 0.444\r\n"
         "наблюдается при степени конверсии         Xa = 0.667\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  EXPECT_EQ(ChartPointCount, 13);
}

TEST_F(Task124, ReportByteForByte) {
  RunWith(101, {1, 1});
  const double stale = ChartX[18];
  RunWith(124, {1, 1, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, м куб./(кмоль*с)\r\n"
         "k(1) = 1.000  k(2) = 1.000\r\n"
         "k(3) = 1.000\r\n"
         "    Результаты расчета\r\n"
         "   Xa     Ca     Cr     Cs     Cd\r\n"
         "  0.050  0.950  0.048  0.002  0.000\r\n"
         "  0.100  0.900  0.090  0.009  0.001\r\n"
         "  0.150  0.850  0.128  0.019  0.003\r\n"
         "  0.200  0.800  0.160  0.032  0.008\r\n"
         "  0.250  0.750  0.188  0.047  0.016\r\n"
         "  0.300  0.700  0.210  0.063  0.027\r\n"
         "  0.350  0.650  0.227  0.080  0.043\r\n"
         "  0.400  0.600  0.240  0.096  0.064\r\n"
         "  0.450  0.550  0.247  0.111  0.091\r\n"
         "  0.500  0.500  0.250  0.125  0.125\r\n"
         "  0.550  0.450  0.247  0.136  0.166\r\n"
         "  0.600  0.400  0.240  0.144  0.216\r\n"
         "  0.650  0.350  0.227  0.148  0.275\r\n"
         "  0.700  0.300  0.210  0.147  0.343\r\n"
         "  0.750  0.250  0.188  0.141  0.422\r\n"
         "  0.800  0.200  0.160  0.128  0.512\r\n"
         "Максимальная отн. концентрация продукта S Cs = 0.148\r\n"
         "наблюдается при степени конверсии         Xa = 0.667\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
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
