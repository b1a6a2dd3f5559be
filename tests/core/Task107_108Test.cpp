// Tasks 107 and 108: consecutive reactions in a stirred tank of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task107 : public InTempDir {};
class Task108 : public InTempDir {};

// Task 108 has no unit line and five spaces before the results heading; its
// maximum of S lies at two thirds for equal constants.
TEST_F(Task108, FullReportWithEqualConstantsByteForByte) {
  RunWith(108, {1, 1, 1, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "k(1) = 1.0000  k(2) = 1.0000\r\n"
         "k(3) = 1.0000\r\n"
         "Объем реактора, м куб. = 1.0\r\n"
         "     Результаты расчета\r\n"
         " Xa     Ca     Cr     Cs     Cm     W0\r\n"
         "0.050  0.950  0.048  0.002  0.000 19.0000\r\n"
         "0.100  0.900  0.090  0.009  0.001  9.0000\r\n"
         "0.150  0.850  0.128  0.019  0.003  5.6667\r\n"
         "0.200  0.800  0.160  0.032  0.008  4.0000\r\n"
         "0.250  0.750  0.188  0.047  0.016  3.0000\r\n"
         "0.300  0.700  0.210  0.063  0.027  2.3333\r\n"
         "0.350  0.650  0.227  0.080  0.043  1.8571\r\n"
         "0.400  0.600  0.240  0.096  0.064  1.5000\r\n"
         "0.450  0.550  0.248  0.111  0.091  1.2222\r\n"
         "0.500  0.500  0.250  0.125  0.125  1.0000\r\n"
         "0.550  0.450  0.247  0.136  0.166  0.8182\r\n"
         "0.600  0.400  0.240  0.144  0.216  0.6667\r\n"
         "0.650  0.350  0.227  0.148  0.275  0.5385\r\n"
         "0.700  0.300  0.210  0.147  0.343  0.4286\r\n"
         "0.750  0.250  0.188  0.141  0.422  0.3333\r\n"
         "0.800  0.200  0.160  0.128  0.512  0.2500\r\n"
         "0.850  0.150  0.128  0.108  0.614  0.1765\r\n"
         "0.900  0.100  0.090  0.081  0.729  0.1111\r\n"
         "0.950  0.050  0.048  0.045  0.857  0.0526\r\n"
         "0.999  0.001  0.001  0.001  0.997  0.0010\r\n"
         "Максимальная отн. концентрация продукта S  Cs = 0.148\r\n"
         "наблюдается при степени конверсии          Xa = 0.667\r\n"
         "скорость подачи исходных веществ, м куб./с W0 = 0.49925\r\n"
         "Отн. концентрации остальных продуктов      Cr = 0.222\r\n"
         "                                           Ca = 0.333\r\n"
         "                                           Cm = 0.297\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  EXPECT_EQ(ChartY1[0], 0.0);
  EXPECT_EQ(ChartY1[10], 0.25);
  EXPECT_EQ(ChartY2[10], 0.125);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(ChartY2[20], 0.000998001000000001);
}

TEST_F(Task107, EqualConstantsPeakAtHalfConversion) {
  const auto lines = RunWith(107, {1, 1, 0, 1});
  ASSERT_EQ(lines.size(), 6u + 1u + 20u + 6u);
  EXPECT_EQ(lines[1], "Константы скорости, 1/с");
  EXPECT_EQ(lines[5], "    Результаты расчета");
  EXPECT_EQ(lines[26], "0.999  0.001  0.001  0.998  0.000  0.0010");
  EXPECT_EQ(lines[27], "Максимальная отн. концентрация продукта R  Cr = 0.250");
  EXPECT_EQ(lines[28], "наблюдается при степени конверсии          Xa = 0.500");
  EXPECT_EQ(lines[29], "скорость подачи исходных веществ, м куб./с W0 = 1.00000");
  EXPECT_EQ(lines[30], "Отн. концентрации остальных продуктов      Cs = 0.250");
  EXPECT_EQ(lines[31], "                                           Ca = 0.500");
  EXPECT_EQ(lines[32], "                                           Cm = 0.000");
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY1[1], 0.95);
  EXPECT_EQ(ChartY2[1], 0.0475);
}

// The test is not strict: with S never formed every step ties with the best,
// and the last one is reported.
TEST_F(Task108, OfEqualValuesTheLaterStepWins) {
  const auto lines = RunWith(108, {1, 0, 1, 1});
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта S  Cs = 0.000");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии          Xa = 0.999");
  EXPECT_EQ(lines[28], "скорость подачи исходных веществ, м куб./с W0 = 0.00100");
  EXPECT_EQ(lines[29], "Отн. концентрации остальных продуктов      Cr = 0.999");
  EXPECT_EQ(lines[30], "                                           Ca = 0.001");
  EXPECT_EQ(lines[31], "                                           Cm = 0.000");
}

TEST_F(Task108, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  for (int code : {107, 108}) {
    ChartY2[5] = 7;
    EXPECT_EQ(RefusalOf(code, {0, 1, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
    EXPECT_EQ(ChartY2[5], 7);
  }
}

// W0 = 0.00125 at Xa = 0.800: the extended-precision quotient lies below the
// half and prints 0.0012, where double arithmetic would give 0.0013.
TEST_F(Task107, FeedRateOnAHalfFollowsExtendedPrecision) {
  const auto lines = RunWith(107, {0.1, 0.1, 0.1, 0.05});
  EXPECT_EQ(lines[22], "0.800  0.200  0.160  0.128  0.512  0.0012");
}
