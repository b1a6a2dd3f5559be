// Task 117: consecutive scheme with a reversible second step in a plug-flow
// reactor of given volume.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task117 : public InTempDir {};

// The back reaction raises the maximum above 1/e and moves it to 0.749. The
// feed rate overflows its field in the first row.
TEST_F(Task117, FullReportWithABackReactionByteForByte) {
  RunWith(117, {1, 1, 0.5, 1});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.0000  k(2) = 1.0000\r\n"
         "k(-2)= 0.5000\r\n"
         "Объем реактора, м куб. = 1.0\r\n"
         "    Результаты расчета\r\n"
         "   Xa       Xr      W0 \r\n"
         "  0.050    0.049   19.49572\r\n"
         "  0.100    0.095   9.49122\r\n"
         "  0.150    0.138   6.15313\r\n"
         "  0.200    0.179   4.48142\r\n"
         "  0.250    0.217   3.47606\r\n"
         "  0.300    0.252   2.80367\r\n"
         "  0.350    0.285   2.32135\r\n"
         "  0.400    0.314   1.95761\r\n"
         "  0.450    0.339   1.67270\r\n"
         "  0.500    0.362   1.44269\r\n"
         "  0.550    0.381   1.25234\r\n"
         "  0.600    0.396   1.09136\r\n"
         "  0.650    0.407   0.95254\r\n"
         "  0.700    0.414   0.83058\r\n"
         "  0.750    0.416   0.72135\r\n"
         "  0.800    0.414   0.62133\r\n"
         "  0.850    0.405   0.52711\r\n"
         "  0.900    0.391   0.43429\r\n"
         "  0.950    0.368   0.33380\r\n"
         "  0.999    0.333   0.14316\r\n"
         "Максимальный выход продукта R,            Xr = 0.416\r\n"
         "Оптимальная степень конверсии вещества А, Xa = 0.749\r\n"
         "Скорость подачи, м куб./с,                W0 = 0.72343\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
  // The А of the conversion line is Cyrillic.
  EXPECT_NE(ReadFile("opt.out").find("\xE2\xE5\xF9\xE5\xF1\xF2\xE2\xE0 \xC0, Xa"), std::string::npos);
}

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
TEST_F(Task117, YieldOnAHalfFollowsExtendedPrecision) {
  const auto lines = RunWith(117, {0.5, 3, 3, 0.5});
  EXPECT_EQ(lines[26], "  0.999    0.500   0.03579");
  EXPECT_EQ(lines[27], "Максимальный выход продукта R,            Xr = 0.500");
}
