// Tasks 101 and 102: first-order networks in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task101 : public InTempDir {};
class Task102 : public InTempDir {};

TEST_F(Task101, TheReportIsInWindows1251) {
  RunWith(101, {1, 1});
  // Exact bytes of a line with Cyrillic text.
  EXPECT_EQ(ReadFile("opt.out").substr(0, 17),
            "\xC8\xF1\xF5\xEE\xE4\xED\xFB\xE5 \xE4\xE0\xED\xED\xFB\xE5\r\n");
}

TEST_F(Task101, NineteenRowsTheLastAt0950AndAClosedChart) {
  const auto lines = RunWith(101, {1, 1});
  EXPECT_EQ(lines[6 + 19], "Максимальный выход продукта R,  CRmax = 0.250");
  EXPECT_EQ(lines[6 + 18], "    0.950     0.050     0.048");
  EXPECT_EQ(ChartX[19], 0.95);
  EXPECT_EQ(ChartX[20], 1.0);
  EXPECT_EQ(ChartY1[20], 0.0);
  EXPECT_EQ(ChartY2[20], 0.0);
  EXPECT_EQ(ChartY1[0], 1.0);
  EXPECT_EQ(ChartY2[10], 0.25);
}

TEST_F(Task102, FirstOrderOnlyOverflowsTheVolumeField) {
  const auto lines = RunWith(102, {1, 0, 0, 0, 1});
  ASSERT_EQ(lines.size(), 7u + 20u + 11u);
  EXPECT_EQ(lines[26], " 0.999 0.001 0.999 0.000 0.000 0.000 999.0");
  EXPECT_EQ(lines[27], "Максимальная отн. концентрация");
  EXPECT_EQ(lines[28], "продукта R CR = 0.999 наблюдается");
  EXPECT_EQ(lines[29], "при степени конверсии XA = 0.999");
  EXPECT_EQ(lines[30], "Объем реактора при этих условиях");
  EXPECT_EQ(lines[31], "Vr =999.00 м куб.");
  EXPECT_EQ(lines[32], "Относительные концентрации");
  EXPECT_EQ(lines[33], "остальных продуктов:");
  EXPECT_EQ(lines[34], "CA = 0.001");
  EXPECT_EQ(lines[37], "CD = 0.000");
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(ChartY1[20], 1.0);
}
