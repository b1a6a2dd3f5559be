// Task 117: consecutive scheme with a reversible second step in a plug-flow
// reactor of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task117 : public InTempDir {};

// The back reaction raises the maximum above 1/e and moves it to 0.749. The
// feed rate overflows its field in the first row.

TEST_F(Task117, WithoutTheBackReactionTheMaximumIsOneOverE) {
  const auto lines = RunWith(117, {1, 1, 0, 1});
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[27], "Максимальный выход продукта R,            Xr = 0.368");
  EXPECT_EQ(lines[28], "Оптимальная степень конверсии вещества А, Xa = 0.632");
  EXPECT_EQ(lines[29], "Скорость подачи, м куб./с,                W0 = 1.00033");
}

// Only A reacts: the yield is the conversion, and the feed rate at the last
// step is V over the trapezoidal residence time 6.985 s.
TEST_F(Task117, OnlyTheFirstReactionPeaksAtTheLastStep) {
  ChartY1[0] = 0.5;
  const auto lines = RunWith(117, {1, 0, 0, 1});
  EXPECT_EQ(lines[7], "  0.050    0.050   19.49572");
  EXPECT_EQ(lines[26], "  0.999    0.999   0.14316");
  EXPECT_EQ(lines[27], "Максимальный выход продукта R,            Xr = 0.999");
  EXPECT_EQ(lines[28], "Оптимальная степень конверсии вещества А, Xa = 0.999");
  EXPECT_EQ(lines[29], "Скорость подачи, м куб./с,                W0 = 0.14316");
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[20], 0.999);
}

TEST_F(Task117, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  ChartY2[4] = 7;
  EXPECT_EQ(RefusalOf(117, {0, 1, 0.5, 1}), "Недопустимые исходные данные: k(1) = 0");
  EXPECT_EQ(ChartY2[4], 7);
}

// Formulas run in extended precision: in double the last yield and the
// maximum would print 0.499.
