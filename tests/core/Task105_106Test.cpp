// Tasks 105 and 106: consecutive reactions in a plug-flow reactor of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task105 : public InTempDir {};
class Task106 : public InTempDir {};

// Equal constants: the plug-flow optimum CR = 1/e at 1 - 1/e, with the feed
// rate of the trapezoidal residence time. The small negative CM rows come from
// the extended-precision rounding of the balance.
TEST_F(Task105, FullReportWithEqualConstantsByteForByte) {
  RunWith(105, {1, 1, 0, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.0000  k(2) = 1.0000\r\n"
         "k(3) = 0.0000\r\n"
         "Объем реактора, м куб. = 1.0\r\n"
         "    Результаты расчета\r\n"
         " XA    CA     CR     CS     CM\r\n"
         "0.05  0.950  0.049  0.001  0.000\r\n"
         "0.10  0.900  0.095  0.005  0.000\r\n"
         "0.15  0.850  0.138  0.012  0.000\r\n"
         "0.20  0.800  0.179  0.021  0.000\r\n"
         "0.25  0.750  0.216  0.034  0.000\r\n"
         "0.30  0.700  0.250  0.050 -0.000\r\n"
         "0.35  0.650  0.280  0.070  0.000\r\n"
         "0.40  0.600  0.306  0.094 -0.000\r\n"
         "0.45  0.550  0.329  0.121 -0.000\r\n"
         "0.50  0.500  0.346  0.154 -0.000\r\n"
         "0.55  0.450  0.359  0.191 -0.000\r\n"
         "0.60  0.400  0.366  0.234  0.000\r\n"
         "0.65  0.350  0.367  0.283  0.000\r\n"
         "0.70  0.300  0.361  0.339  0.000\r\n"
         "0.75  0.250  0.346  0.404  0.000\r\n"
         "0.80  0.200  0.321  0.479  0.000\r\n"
         "0.85  0.150  0.284  0.566 -0.000\r\n"
         "0.90  0.100  0.229  0.671 -0.000\r\n"
         "0.95  0.050  0.148  0.802 -0.000\r\n"
         "1.00  0.001  0.002  0.997 -0.000\r\n"
         "Отн. максимальная концентрация вещества         R = 0.368\r\n"
         "Скорость подачи вещества A в реактор, м куб./с W0 = 1.00033\r\n"
         "Оптимальная степень конверсии                Xopt = 0.632\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  // The A of the feed-rate line is Latin.
  EXPECT_NE(ReadFile("opt.out").find("\xE2\xE5\xF9\xE5\xF1\xF2\xE2\xE0 A \xE2"), std::string::npos);
}

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

TEST_F(Task106, WithoutSNoStepBeatsTheStartValues) {
  const auto lines = RunWith(106, {1, 0, 0.3, 1});
  EXPECT_EQ(lines[27], "Отн. максимальная концентрация вещества         S = 0.000");
  EXPECT_EQ(lines[28], "Скорость подачи вещества A в реактор, м куб./с W0 = 0.00000");
  EXPECT_EQ(lines[29], "Оптимальная степень конверсии                Xopt = 0.000");
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
TEST_F(Task105, TheSignsOfVanishingValuesFollowExtendedPrecision) {
  const auto lines = RunWith(105, {0.2, 2, 2, 2});
  EXPECT_EQ(lines[26], "1.00  0.001 -0.000  0.000  0.999");
}
