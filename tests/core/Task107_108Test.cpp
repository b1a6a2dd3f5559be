// Tasks 107 and 108: consecutive reactions in a stirred tank of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task107 : public InTempDir {};
class Task108 : public InTempDir {};

// Task 108 has no unit line and five spaces before the results heading; its
// maximum of S lies at two thirds for equal constants.
TEST_F(Task108, ChartWithEqualConstants) {
  RunWith(108, {1, 1, 1, 1});
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
