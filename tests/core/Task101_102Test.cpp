// Tasks 101 and 102: first-order networks in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "solvers/RunOpt.h"

class Task101 : public InTempDir {};
class Task102 : public InTempDir {};

TEST_F(Task101, FullReportWithEqualConstants) {
  const auto lines = RunWith(101, {1, 1});
  ASSERT_EQ(lines.size(), 28u);
  const std::vector<std::string> head = {
      "Исходные данные",
      "Константы скорости, 1/с",
      "k1 = 1.000  k2 = 1.000",
      "     Результаты расчета",
      "Конверсия Селективность Выход",
      "   Xa        продукта     R",
      "    0.050     0.950     0.048",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), head);
  EXPECT_EQ(lines[15], "    0.500     0.500     0.250");
  EXPECT_EQ(lines[25], "Максимальный выход продукта R,  CRmax = 0.250");
  EXPECT_EQ(lines[26], "Степень превращения при CRmax,     Xa = 0.500");
  EXPECT_EQ(lines[27], "Концентрация продукта S при CRmax, CS = 0.250");
  // Exact bytes of a line with Cyrillic text.
  const std::string bytes = ReadFile("opt.out");
  EXPECT_EQ(bytes.substr(0, 17), "\xC8\xF1\xF5\xEE\xE4\xED\xFB\xE5 \xE4\xE0\xED\xED\xFB\xE5\r\n");
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

TEST_F(Task101, WithoutTheSecondReactionTheLastStepIsBest) {
  const auto lines = RunWith(101, {1, 0});
  EXPECT_EQ(lines[25], "Максимальный выход продукта R,  CRmax = 0.991");
  EXPECT_EQ(lines[26], "Степень превращения при CRmax,     Xa = 0.991");
  EXPECT_EQ(lines[27], "Концентрация продукта S при CRmax, CS = 0.000");
}

TEST_F(Task102, FullReportByteForByte) {
  RunWith(102, {1, 0.5, 0.2, 0.1, 0.01});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) = 1.000  k(2) = 0.500\r\n"
         "k(3) = 0.200  k(4) = 0.100\r\n"
         "Скорость подачи реагентов, м куб./с = 0.010\r\n"
         "    Результаты расчета\r\n"
         "  XA    CA    CR    CS    CM    CD    Vr\r\n"
         " 0.050 0.950 0.048 0.001 0.000 0.000   0.0\r\n"
         " 0.100 0.900 0.094 0.005 0.000 0.001   0.0\r\n"
         " 0.150 0.850 0.136 0.012 0.000 0.002   0.0\r\n"
         " 0.200 0.800 0.174 0.021 0.001 0.004   0.0\r\n"
         " 0.250 0.750 0.208 0.033 0.002 0.007   0.0\r\n"
         " 0.300 0.700 0.239 0.047 0.004 0.010   0.0\r\n"
         " 0.350 0.650 0.265 0.064 0.007 0.014   0.0\r\n"
         " 0.400 0.600 0.286 0.084 0.011 0.019   0.0\r\n"
         " 0.450 0.550 0.302 0.106 0.017 0.025   0.0\r\n"
         " 0.500 0.500 0.312 0.130 0.026 0.031   0.0\r\n"
         " 0.550 0.450 0.317 0.156 0.038 0.039   0.0\r\n"
         " 0.600 0.400 0.316 0.182 0.055 0.047   0.0\r\n"
         " 0.650 0.350 0.307 0.208 0.077 0.057   0.0\r\n"
         " 0.700 0.300 0.292 0.232 0.108 0.068   0.0\r\n"
         " 0.750 0.250 0.268 0.251 0.151 0.080   0.0\r\n"
         " 0.800 0.200 0.235 0.261 0.209 0.094   0.0\r\n"
         " 0.850 0.150 0.193 0.257 0.291 0.109   0.1\r\n"
         " 0.900 0.100 0.141 0.226 0.407 0.127   0.1\r\n"
         " 0.950 0.050 0.077 0.152 0.576 0.146   0.2\r\n"
         " 0.999 0.001 0.002 0.004 0.827 0.166  10.0\r\n"
         "Максимальная отн. концентрация\r\n"
         "продукта R CR = 0.318 наблюдается\r\n"
         "при степени конверсии XA = 0.564\r\n"
         "Объем реактора при этих условиях\r\n"
         "Vr = 0.01 м куб.\r\n"
         "Относительные концентрации\r\n"
         "остальных продуктов:\r\n"
         "CA = 0.436\r\n"
         "CS = 0.163\r\n"
         "CM = 0.042\r\n"
         "CD = 0.041\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
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
