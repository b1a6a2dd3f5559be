// Tasks 105 and 106: consecutive reactions in a plug-flow reactor of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task105 : public InTempDir {};
class Task106 : public InTempDir {};

// Equal constants: the plug-flow optimum CR = 1/e at 1 - 1/e, with the feed
// rate of the trapezoidal residence time. The small negative CM rows come from
// the extended-precision rounding of the balance.

TEST_F(Task105, ChartDrawsSelectivityAndYieldOfR) {
  ChartY1[0] = 0.5;
  RunWith(105, {1, 1, 0, 1});
  EXPECT_EQ(ChartX[0], 0.0);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[1], 0.05);
  EXPECT_EQ(ChartY1[1], 0.9745594985253584);
  EXPECT_EQ(ChartY2[1], 0.048727974926267924);
  EXPECT_EQ(ChartX[20], 0.999);
}

TEST_F(Task105, WithoutLaterReactionsTheLastStepIsBest) {
  const auto lines = RunWith(105, {1, 0, 0, 1});
  ASSERT_EQ(lines.size(), 7u + 20u + 3u);
  EXPECT_EQ(lines[26], "1.00  0.001  0.999  0.000 -0.000");
  EXPECT_EQ(lines[27], "Отн. максимальная концентрация вещества         R = 0.999");
  EXPECT_EQ(lines[28], "Скорость подачи вещества A в реактор, м куб./с W0 = 0.14316");
  EXPECT_EQ(lines[29], "Оптимальная степень конверсии                Xopt = 0.999");
}

TEST_F(Task106, RowsStartWithASpaceAndTheMaximumIsOfS) {
  const auto lines = RunWith(106, {1, 0.5, 0.2, 2});
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[4], "Объем реактора, м куб. = 2.0");
  EXPECT_EQ(lines[6], "  XA    CA     CR     CS     CM");
  EXPECT_EQ(lines[7], " 0.05  0.950  0.049  0.001  0.000");
  EXPECT_EQ(lines[26], " 1.00  0.001  0.046  0.420  0.534");
  EXPECT_EQ(lines[27], "Отн. максимальная концентрация вещества         S = 0.513");
  EXPECT_EQ(lines[28], "Скорость подачи вещества A в реактор, м куб./с W0 = 0.46048");
  EXPECT_EQ(lines[29], "Оптимальная степень конверсии                Xopt = 0.987");
  EXPECT_EQ(ChartY1[0], 0.0);
  EXPECT_EQ(ChartY1[1], 0.012783293583236835);
  EXPECT_EQ(ChartY2[1], 0.0006391646791618418);
}

TEST_F(Task106, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  for (int code : {105, 106}) {
    ChartX[3] = 7;
    EXPECT_EQ(RefusalOf(code, {0, 1, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
    EXPECT_EQ(ChartX[3], 7);
  }
}

// Formulas run in extended precision: in double the last CR would be +0.000
// and CS -0.000.
