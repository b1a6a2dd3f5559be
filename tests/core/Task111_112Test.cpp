// Tasks 111 and 112: consecutive reactions in a plug-flow reactor and in a
// stirred tank with recycle.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task111 : public InTempDir {};
class Task112 : public InTempDir {};

TEST_F(Task111, FullReportWithEqualConstantsByteForByte) {
  RunWith(111, {1, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.000  k(2) = 1.000\r\n"
         "     Результаты расчета\r\n"
         "Конверсия Селективность Выход\r\n"
         "     Xa     продукта     R\r\n"
         "    0.050     0.965     0.048\r\n"
         "    0.100     0.944     0.094\r\n"
         "    0.150     0.918     0.138\r\n"
         "    0.200     0.891     0.178\r\n"
         "    0.250     0.861     0.215\r\n"
         "    0.300     0.831     0.249\r\n"
         "    0.350     0.799     0.280\r\n"
         "    0.400     0.765     0.306\r\n"
         "    0.450     0.730     0.328\r\n"
         "    0.500     0.692     0.346\r\n"
         "    0.550     0.653     0.359\r\n"
         "    0.600     0.610     0.366\r\n"
         "    0.650     0.565     0.367\r\n"
         "    0.700     0.515     0.361\r\n"
         "    0.750     0.461     0.346\r\n"
         "    0.800     0.402     0.321\r\n"
         "    0.850     0.334     0.284\r\n"
         "    0.900     0.255     0.229\r\n"
         "    0.950     0.156     0.148\r\n"
         "    0.999     0.002     0.002\r\n"
         "Максимальный выход продукта R,  CRmax = 0.367\r\n"
         "Степень превращения при CRmax,     Xa = 0.632\r\n"
         "Относительная концентрация\r\n"
         "продукта S при CRmax,              CS = 0.265\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
}

// The previous integrand starts at 0: the first trapezoid is half of what a
// start at f = 1 would give, so the selectivity is 0.990, not 1.
TEST_F(Task111, TheFirstTrapezoidStartsFromZero) {
  const auto lines = RunWith(111, {1, 0});
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[6], "    0.050     0.990     0.050");
  EXPECT_EQ(lines[25], "    0.999     0.999     0.999");
  EXPECT_EQ(lines[26], "Максимальный выход продукта R,  CRmax = 0.999");
  EXPECT_EQ(lines[27], "Степень превращения при CRmax,     Xa = 0.999");
  EXPECT_EQ(lines[29], "продукта S при CRmax,              CS = 0.000");
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY1[1], 0.9900000000000007);
  EXPECT_EQ(ChartY2[1], 0.04950000000000004);
}

TEST_F(Task112, FullReportOfTheRecycleExampleByteForByte) {
  RunWith(112, {1, 1, 1, 0.01, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.0000  k(2) = 1.0000\r\n"
         "Исходная концентрация\r\n"
         "вещества А, кмоль/м куб. = 1.000\r\n"
         "Мольная скорость подачи\r\n"
         "реагента А, кмоль/с = 0.01000\r\n"
         "Объем реактора, м куб. = 1.0\r\n"
         "    Результаты расчета\r\n"
         "Конверсия Селективность Выход\r\n"
         "   Xa       продукта      R\r\n"
         "  0.050      0.950      0.048\r\n"
         "  0.100      0.900      0.090\r\n"
         "  0.150      0.850      0.128\r\n"
         "  0.200      0.800      0.160\r\n"
         "  0.250      0.750      0.188\r\n"
         "  0.300      0.700      0.210\r\n"
         "  0.350      0.650      0.227\r\n"
         "  0.400      0.600      0.240\r\n"
         "  0.450      0.550      0.248\r\n"
         "  0.500      0.500      0.250\r\n"
         "  0.550      0.450      0.247\r\n"
         "  0.600      0.400      0.240\r\n"
         "  0.650      0.350      0.227\r\n"
         "  0.700      0.300      0.210\r\n"
         "  0.750      0.250      0.188\r\n"
         "  0.800      0.200      0.160\r\n"
         "  0.850      0.150      0.128\r\n"
         "  0.900      0.100      0.090\r\n"
         "  0.950      0.050      0.048\r\n"
         "  0.999      0.001      0.001\r\n"
         "Максимальная концентрация продукта R в реакционной смеси\r\n"
         "достигается при следующих условиях:\r\n"
         "- отношение  объемной скорости рецикла\r\n"
         "  к общей скорости подачи                       99.000\r\n"
         "- концентрация вещества А\r\n"
         "  на входе в реактор, кмоль/м куб.               0.020\r\n"
         "  на выходе из реактора, кмоль/м куб.            0.010\r\n"
         "  в рециркуляте, кмоль/м куб.                    0.005\r\n"
         "Производительность системы по продукту, кмоль/с  0.00500\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  // The А of the concentration lines is Cyrillic.
  EXPECT_NE(ReadFile("opt.out").find("\xE2\xE5\xF9\xE5\xF1\xF2\xE2\xE0 \xC0,"), std::string::npos);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY2[2], 0.09000000000000001);
}

namespace {

// Runs 112 on data it must refuse, and checks that neither the old report
// nor the chart buffers changed.
void ExpectRefused(std::initializer_list<double> params, const std::string& condition) {
  for (int k = 0; k < kChartSize; ++k) ChartX[k] = ChartY1[k] = ChartY2[k] = 7;
  EXPECT_EQ(RefusalOf(112, params), "Недопустимые исходные данные: " + condition);
  const auto seven = [](double v) { return v == 7; };
  EXPECT_TRUE(std::all_of(std::begin(ChartX), std::end(ChartX), seven)) << condition;
  EXPECT_TRUE(std::all_of(std::begin(ChartY1), std::end(ChartY1), seven)) << condition;
  EXPECT_TRUE(std::all_of(std::begin(ChartY2), std::end(ChartY2), seven)) << condition;
}

}  // namespace

TEST_F(Task112, ZeroDivisorsOfTheDataAreRefusedBeforeTheSweep) {
  ExpectRefused({0, 1, 1, 0.01, 1}, "k(1) = 0");
  ExpectRefused({0, 0, 1, 0.01, 1}, "k(1) = 0");
  ExpectRefused({1, 1, 0, 0.01, 1}, "CA0 = 0");
}

// These show only in the sweep; the run still ends before the report is
// written and leaves the chart as it was.
TEST_F(Task112, ZeroDivisorsOfTheSweepAreRefusedBeforeTheReport) {
  // The best feed rate through the reactor equals the fresh feed: no recycle.
  ExpectRefused({1, 1, 1, 1, 1}, "объемная скорость рецикла = 0");
  ExpectRefused({1e-300, 1e300, 1, 0.01, 1},
                "выход продукта R не положителен ни при одной степени конверсии");
}

// Formulas run in extended precision: in double the selectivity at 0.400
// would print 0.937.
TEST_F(Task112, SelectivityOnAHalfFollowsExtendedPrecision) {
  const auto lines = RunWith(112, {3, 0.3, 3, 3, 2});
  EXPECT_EQ(lines[18], "  0.400      0.938      0.375");
}

// Formulas run in extended precision: in double the last selectivity and
// yield would print -0.000.
TEST_F(Task111, TheSignOfAVanishingYieldFollowsExtendedPrecision) {
  const auto lines = RunWith(111, {0.25, 3});
  EXPECT_EQ(lines[25], "    0.999     0.000     0.000");
}
