// Tasks 119 and 122: consecutive second-order reactions with reagent B in a
// plug-flow reactor.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task119 : public InTempDir {};
class Task122 : public InTempDir {};

// B runs out at X = 0.642: 12 rows, the last at 0.600, and 12 chart points;
// the maximum of R lies before the stop.
TEST_F(Task119, ASweepEndedByBEndsTheChartAtItsLastRow) {
  ChartPointCount = 20;
  RunWith(119, {1, 1, 1});
  EXPECT_EQ(ChartPointCount, 12);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartX[12], 0.6);
  EXPECT_EQ(ChartY1[12], 0.6105681750087182);
  EXPECT_EQ(ChartY2[12], 0.3663409050052309);
}

TEST_F(Task122, TwiceTheBLastsLongerAndTheRowsPutABeforeR) {
  const auto lines = RunWith(122, {1, 1, 1});
  ASSERT_EQ(lines.size(), 6u + 18u + 2u);
  EXPECT_EQ(lines[5], "   Xa     Ca     Cr     Cs     Cd");
  EXPECT_EQ(lines[6], "  0.050  0.950  0.049  0.001  0.000");
  EXPECT_EQ(lines[23], "  0.900  0.100  0.229  0.265  0.405");
  EXPECT_EQ(lines[24], "Максимальная отн. концентрация продукта S Cs = 0.271");
  EXPECT_EQ(lines[25], "наблюдается при степени конверсии         Xa = 0.865");
  EXPECT_EQ(ChartPointCount, 18);
  EXPECT_EQ(ChartY1[0], 0.0);
  EXPECT_EQ(ChartY1[1], 0.02502002678330428);
  EXPECT_EQ(ChartY2[1], 0.001251001339165214);
}

// Without the later steps R is the only product: task 119 peaks at the last
// step, and task 122 never beats its start value.
TEST_F(Task122, WithoutTheLaterStepsTheWholeSweepRuns) {
  auto lines = RunWith(119, {1, 0, 0});
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[25], "  0.999  0.999  0.001  0.000 -0.000");
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта R Cr = 0.999");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии         Xa = 0.999");
  EXPECT_EQ(ChartPointCount, 20);
  lines = RunWith(122, {1, 0, 0});
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[25], "  0.999  0.001  0.999  0.000 -0.000");
  EXPECT_EQ(lines[26], "Максимальная отн. концентрация продукта S Cs = 0.000");
  EXPECT_EQ(lines[27], "наблюдается при степени конверсии         Xa = 0.000");
  EXPECT_EQ(ChartPointCount, 20);
}

// A second step ten thousand times faster than the first makes the explicit
// integration swing, and B is gone at the fourth step: no row, and the chart
// shows point 0 alone.
TEST_F(Task119, ASweepEndedBeforeItsFirstRowDrawsPointZeroAlone) {
  ChartPointCount = 17;
  auto lines = RunWith(119, {0.01, 100, 100});
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[2], "k(1) = 0.010  k(2) =100.000");
  EXPECT_EQ(lines[3], "k(3) =100.000");
  EXPECT_EQ(lines[6], "Максимальная отн. концентрация продукта R Cr = 0.032");
  EXPECT_EQ(lines[7], "наблюдается при степени конверсии         Xa = 0.002");
  EXPECT_EQ(ChartPointCount, 0);
  ChartPointCount = 17;
  lines = RunWith(122, {0.01, 100, 100});
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[6], "Максимальная отн. концентрация продукта S Cs = 0.675");
  EXPECT_EQ(lines[7], "наблюдается при степени конверсии         Xa = 0.003");
  EXPECT_EQ(ChartPointCount, 0);
}

TEST_F(Task119, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  for (int code : {119, 122}) {
    ChartPointCount = 17;
    EXPECT_EQ(RefusalOf(code, {0, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
    EXPECT_EQ(ChartPointCount, 17);
  }
}

// Formulas run in extended precision: in double these chart values would
// differ in their last bits.
TEST_F(Task122, ChartValuesFollowExtendedPrecision) {
  RunWith(119, {0.3, 1, 0.25});
  EXPECT_EQ(ChartY1[1], 0.9183790807428007);
  EXPECT_EQ(ChartY2[1], 0.04591895403714004);
  RunWith(122, {0.5, 0.7, 0.2});
  EXPECT_EQ(ChartY1[2], 0.07051047085758193);
  EXPECT_EQ(ChartY2[2], 0.0070510470857581935);
}
