// Tasks 109 and 110: four-constant network in a plug-flow reactor.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task109 : public InTempDir {};
class Task110 : public InTempDir {};

// A alone reacts: CR = Xa, and the volume is the trapezoidal residence time,
// ln 2 at half conversion and 6.985 (above ln 1000) at the last step.
TEST_F(Task109, ChartWithOnlyTheFirstReaction) {
  RunWith(109, {1, 0, 0, 0, 1});
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

TEST_F(Task110, AZeroFirstConstantIsRefusedBeforeAnythingIsWritten) {
  for (int code : {109, 110}) {
    ChartY1[0] = 7;
    EXPECT_EQ(RefusalOf(code, {0, 1, 1, 1, 1}), "Недопустимые исходные данные: k(1) = 0");
    EXPECT_EQ(ChartY1[0], 7);
  }
}

// Formulas run in extended precision: in double the last CR would be +0.000.
