// Tasks 109 and 110: four-constant network in a plug-flow reactor.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task109 : public InTempDir {};
class Task110 : public InTempDir {};

// A alone reacts: CR = Xa, and the volume is the trapezoidal residence time,
// ln 2 at half conversion and 6.985 (above ln 1000) at the last step.
TEST_F(Task109, FullReportWithOnlyTheFirstReactionByteForByte) {
  RunWith(109, {1, 0, 0, 0, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.000  k(2) =0.0000\r\n"
         "k(3) = 0.000  k(4) =0.0000\r\n"
         "Скорость подачи реагентов, м куб./с =1.0000\r\n"
         "    Результаты расчета\r\n"
         " XA     CA     CR     CS     Vr\r\n"
         "0.050  0.950  0.050  0.000  0.051\r\n"
         "0.100  0.900  0.100  0.000  0.105\r\n"
         "0.150  0.850  0.150  0.000  0.163\r\n"
         "0.200  0.800  0.200  0.000  0.223\r\n"
         "0.250  0.750  0.250  0.000  0.288\r\n"
         "0.300  0.700  0.300  0.000  0.357\r\n"
         "0.350  0.650  0.350  0.000  0.431\r\n"
         "0.400  0.600  0.400  0.000  0.511\r\n"
         "0.450  0.550  0.450  0.000  0.598\r\n"
         "0.500  0.500  0.500  0.000  0.693\r\n"
         "0.550  0.450  0.550  0.000  0.799\r\n"
         "0.600  0.400  0.600  0.000  0.916\r\n"
         "0.650  0.350  0.650  0.000  1.050\r\n"
         "0.700  0.300  0.700  0.000  1.204\r\n"
         "0.750  0.250  0.750  0.000  1.386\r\n"
         "0.800  0.200  0.800  0.000  1.609\r\n"
         "0.850  0.150  0.850  0.000  1.897\r\n"
         "0.900  0.100  0.900  0.000  2.303\r\n"
         "0.950  0.050  0.950  0.000  2.996\r\n"
         "0.999  0.001  0.999  0.000  6.985\r\n"
         "Максимальная отн. концентрация продукта R CR = 0.999\r\n"
         "наблюдается при степени конверсии         XA = 0.999\r\n"
         "Объем реактора при этих условиях          Vr = 6.985\r\n"
         "Относительные концентрации остальных продуктов\r\n"
         "                                          CA = 0.001\r\n"
         "                                          CS = 0.000\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[20], 0.999);
}

TEST_F(Task110, MaximumOfSWithItsOwnHeadingAndLastLine) {
  const auto lines = RunWith(110, {1, 0.5, 0.2, 0.1, 0.05});
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[6], " XA     Ca     Cr     Cs     Vr");
  EXPECT_EQ(lines[7], "0.050  0.950  0.049  0.001  0.003");
  EXPECT_EQ(lines[26], "0.999  0.001  0.024  0.342  0.349");
  EXPECT_EQ(lines[27], "Максимальная отн. концентрация продукта S CS = 0.449");
  EXPECT_EQ(lines[28], "наблюдается при степени конверсии         XA = 0.982");
  EXPECT_EQ(lines[29], "Объем реактора при этих условиях          Vr = 0.201");
  EXPECT_EQ(lines[30], "Относительные концентрации остальных продуктов");
  EXPECT_EQ(lines[31], "                                          CA = 0.018");
  EXPECT_EQ(lines[32], "                                          CR = 0.177");
  EXPECT_EQ(ChartY1[1], 0.012762092657903996);
  EXPECT_EQ(ChartY2[1], 0.0006381046328951998);
}

// The selectivity of S is 0/0 at zero conversion: point 0 carries that of
// the third step, whatever the buffers held before.
TEST_F(Task110, ChartPointZeroTakesTheSelectivityOfTheThirdStep) {
  ChartX[0] = 5;
  ChartY1[0] = 5;
  ChartY2[0] = 5;
  RunWith(110, {1, 0.5, 0.2, 0.1, 0.05});
  EXPECT_EQ(ChartX[0], 0.0);
  EXPECT_EQ(ChartY1[0], 0.0007512524881590998);
  EXPECT_EQ(ChartY2[0], 0.0);
}

// Strict test: with S never formed no step beats the start value 0.
TEST_F(Task110, WithoutSEverySummaryValueStaysZero) {
  const auto lines = RunWith(110, {1, 0, 0.2, 0.1, 1});
  EXPECT_EQ(lines[26], "0.999  0.001  0.547  0.000  6.985");
  EXPECT_EQ(lines[27], "Максимальная отн. концентрация продукта S CS = 0.000");
  EXPECT_EQ(lines[28], "наблюдается при степени конверсии         XA = 0.000");
  EXPECT_EQ(lines[29], "Объем реактора при этих условиях          Vr = 0.000");
  EXPECT_EQ(lines[31], "                                          CA = 0.000");
  EXPECT_EQ(lines[32], "                                          CR = 0.000");
}

TEST_F(Task110, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  for (int code : {109, 110}) {
    ChartY1[0] = 7;
    EXPECT_EQ(RefusalOf(code, {0, 1, 1, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
    EXPECT_EQ(ChartY1[0], 7);
  }
}

// Formulas run in extended precision: in double the last CR would be +0.000.
TEST_F(Task109, TheSignOfAVanishingValueFollowsExtendedPrecision) {
  const auto lines = RunWith(109, {0.1, 0.1, 0.05, 3, 0.1});
  EXPECT_EQ(lines[26], "0.999  0.001 -0.000  0.001  6.985");
}
