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

TEST_F(Task112, ChartOfTheRecycleExample) {
  RunWith(112, {1, 1, 1, 0.01, 1});
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

// Formulas run in extended precision: in double the last selectivity and
// yield would print -0.000.
