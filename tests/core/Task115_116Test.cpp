// Tasks 115 and 116: second-order consecutive reactions with a limited
// second reagent B, in a plug-flow reactor and in a stirred tank.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task115 : public InTempDir {};
class Task116 : public InTempDir {};

// B runs out at step 683, after the row at 0.650: 13 rows and 13 chart
// points. The rows show CR from the previous step's selectivity (0.368 at
// 0.650) while the maximum uses the new one (0.367).
TEST_F(Task115, ASweepEndedByBEndsTheChartAtItsLastRow) {
  ChartPointCount = 20;
  RunWith(115, {1, 1, 1, 1});
  EXPECT_EQ(ChartPointCount, 13);
  EXPECT_EQ(ChartX[13], 0.65);
  EXPECT_EQ(ChartY1[13], 0.5646757128720645);
  EXPECT_EQ(ChartY2[13], 0.367039213366842);
}

TEST_F(Task115, EnoughBForTheWholeSweep) {
  const auto lines = RunWith(115, {1, 1, 1, 2});
  ASSERT_EQ(lines.size(), 6u + 20u + 5u);
  EXPECT_EQ(lines[6], "  0.050  0.048  0.950  0.002  1.948");
  EXPECT_EQ(lines[25], "  0.999  0.008  0.001  0.991  0.010");
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта R Xr=  0.367");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии         Xa=  0.632");
  EXPECT_EQ(lines[28], "Концентрации остальных продуктов          Cs=  0.264");
  EXPECT_EQ(lines[29], "                                          Cb=  1.104");
  EXPECT_EQ(lines[30], "                                          Ca=  0.368");
  EXPECT_EQ(ChartPointCount, 20);
  EXPECT_EQ(ChartY1[1], 0.9650887404877031);
  EXPECT_EQ(ChartY2[20], 0.001637217174967594);
}

TEST_F(Task116, BRunsOutAtStep619AndTheOtherProductsComeInReverseOrder) {
  const auto lines = RunWith(116, {1, 1, 1, 1});
  ASSERT_EQ(lines.size(), 6u + 12u + 5u);
  EXPECT_EQ(lines[17], "  0.600  0.241  0.400  0.359  0.041");
  EXPECT_EQ(lines[18], "Максимальная отн. концентрация продукта R Xr=  0.250");
  EXPECT_EQ(lines[19], "наблюдается при степени конверсии         Xa=  0.500");
  EXPECT_EQ(lines[20], "Концентрации остальных продуктов          Ca=  0.500");
  EXPECT_EQ(lines[21], "                                          Cb=  0.251");
  EXPECT_EQ(lines[22], "                                          Cs=  0.249");
  EXPECT_EQ(ChartPointCount, 12);
  EXPECT_EQ(ChartY1[12], 0.4);
  EXPECT_EQ(ChartY2[12], 0.24);
}

// Without the second reaction B is used up exactly at Xa = 0.500: a zero
// concentration ends the sweep, and that step neither prints nor competes.
TEST_F(Task116, ZeroBEndsTheSweepBeforeTheStepCounts) {
  const auto lines = RunWith(116, {1, 0, 1, 0.5});
  ASSERT_EQ(lines.size(), 6u + 9u + 5u);
  EXPECT_EQ(lines[14], "  0.450  0.450  0.550  0.000  0.050");
  EXPECT_EQ(lines[15], "Максимальная отн. концентрация продукта R Xr=  0.499");
  EXPECT_EQ(lines[16], "наблюдается при степени конверсии         Xa=  0.499");
  EXPECT_EQ(lines[17], "Концентрации остальных продуктов          Ca=  0.501");
  EXPECT_EQ(lines[18], "                                          Cb=  0.001");
  EXPECT_EQ(ChartPointCount, 9);
}

// B is gone at the first step: no row, a summary of zeros, and a chart of
// point 0 alone rather than points left by an earlier run.
TEST_F(Task116, ASweepEndedBeforeItsFirstRowDrawsPointZeroAlone) {
  const std::vector<std::string> zeros115 = {
      "Максимальная отн. концентрация продукта R Xr=  0.000",
      "наблюдается при степени конверсии         Xa=  0.000",
      "Концентрации остальных продуктов          Cs=  0.000",
      "                                          Cb=  0.000",
      "                                          Ca=  0.000",
  };
  const std::vector<std::string> zeros116 = {
      "Максимальная отн. концентрация продукта R Xr=  0.000",
      "наблюдается при степени конверсии         Xa=  0.000",
      "Концентрации остальных продуктов          Ca=  0.000",
      "                                          Cb=  0.000",
      "                                          Cs=  0.000",
  };
  for (int code : {115, 116}) {
    ChartPointCount = 17;
    ChartY1[0] = 0.5;
    const auto lines = RunWith(code, {1, 1, 1, 0.0005});
    ASSERT_EQ(lines.size(), 11u) << code;
    EXPECT_EQ(lines[3], "Ca0 = 1.000  Cb0 = 0.001");
    EXPECT_EQ(lines[5], "   Xa     Cr     Ca     Cs     Cb");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()), code == 115 ? zeros115 : zeros116);
    EXPECT_EQ(ChartPointCount, 0) << code;
    EXPECT_EQ(PrepareChartPointCount(code), 0);
    EXPECT_EQ(ChartX[0], 0.0);
    EXPECT_EQ(ChartY1[0], 1.0);
  }
}

TEST_F(Task116, ZeroDivisorsAreRefusedBeforeAnythingIsWritten) {
  ChartPointCount = 17;
  EXPECT_EQ(RefusalOf(115, {0, 1, 1, 2}), "Недопустимые исходные данные: k(1) = 0");
  EXPECT_EQ(RefusalOf(115, {1, 1, 0, 2}), "Недопустимые исходные данные: Ca0 = 0");
  EXPECT_EQ(RefusalOf(116, {0, 1, 1, 2}), "Недопустимые исходные данные: k(1) = 0");
  EXPECT_EQ(ChartPointCount, 17);
  // Task 116 does not divide by Ca0: it runs, and B alone is left.
  const auto lines = RunWith(116, {1, 1, 0, 2});
  EXPECT_EQ(lines[6], "  0.050  0.000  0.000  0.000  2.000");
}

// Formulas run in extended precision: in double Ca at the maximum would print
// 0.035.

// Formulas run in extended precision: in double Ca at the maximum would print
// 1.049.
