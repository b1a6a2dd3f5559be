// Tasks 113 and 114: the parallel-consecutive scheme in a plug-flow reactor and
// in a stirred tank.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/RunOpt.h"

namespace {

class Task113 : public InTempDir {};
class Task114 : public InTempDir {};

std::vector<std::string> Summary(const std::vector<std::string>& lines) {
  return std::vector<std::string>(lines.end() - 4, lines.end());
}

std::vector<std::string> SummaryOf(const char* cr, const char* xa, const char* cs, const char* cd) {
  return {std::string("Максимальная отн. концентрация продукта R      Cr =") + cr,
          std::string("наблюдается при степени конверсии              Xa =") + xa,
          std::string("Относительные концентрации остальных продуктов Cs =") + cs,
          std::string("                                               Cd =") + cd};
}

TEST_F(Task113, ReportByteForByte) {
  RunWith(113, {0.7, 0.3, 0.2});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) =0.70000  k(2) =0.30000\r\n"
         "k(3) =0.20000\r\n"
         "    Результаты расчета\r\n"
         "   Xa     Cr     Cs     Cb\r\n"
         "  0.050  0.039  0.000  0.011\r\n"
         "  0.100  0.076  0.001  0.022\r\n"
         "  0.150  0.113  0.003  0.033\r\n"
         "  0.200  0.150  0.006  0.044\r\n"
         "  0.250  0.185  0.009  0.056\r\n"
         "  0.300  0.219  0.014  0.067\r\n"
         "  0.350  0.252  0.020  0.078\r\n"
         "  0.400  0.284  0.027  0.089\r\n"
         "  0.450  0.314  0.036  0.100\r\n"
         "  0.500  0.343  0.046  0.111\r\n"
         "  0.550  0.369  0.059  0.122\r\n"
         "  0.600  0.393  0.074  0.133\r\n"
         "  0.650  0.414  0.092  0.144\r\n"
         "  0.700  0.431  0.113  0.156\r\n"
         "  0.750  0.443  0.140  0.167\r\n"
         "  0.800  0.449  0.173  0.178\r\n"
         "  0.850  0.445  0.216  0.189\r\n"
         "  0.900  0.425  0.275  0.200\r\n"
         "  0.950  0.371  0.368  0.211\r\n"
         "  0.999  0.101  0.676  0.222\r\n"
         "Максимальная отн. концентрация продукта R      Cr = 0.449\r\n"
         "наблюдается при степени конверсии              Xa = 0.807\r\n"
         "Относительные концентрации остальных продуктов Cs = 0.179\r\n"
         "                                               Cd = 0.179\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
}

TEST_F(Task113, PlugFlowOptima) {
  // Without D the optimum is the plug-flow one, CA = 1/e.
  EXPECT_EQ(Summary(RunWith(113, {1, 1, 0})), SummaryOf(" 0.368", " 0.632", " 0.264", " 0.000"));
  const auto lines = RunWith(113, {1, 1, 1});
  EXPECT_EQ(Summary(lines), SummaryOf(" 0.250", " 0.750", " 0.125", " 0.375"));
  EXPECT_EQ(lines[6], "  0.050  0.025  0.000  0.025");
}

TEST_F(Task113, ChartStartsAtTheInitialSelectivityAndHas21Points) {
  ChartPointCount = 7;
  RunWith(113, {1, 1, 3});
  EXPECT_EQ(ChartY1[0], 0.25);
  EXPECT_EQ(ChartY2[0], 0.0);
  EXPECT_EQ(ChartX[20], 0.999);
  EXPECT_EQ(ChartX[10], 0.5);
  EXPECT_EQ(ChartPointCount, 7);  // not the task's to set
  EXPECT_EQ(PrepareChartPointCount(113), 20);
}

TEST_F(Task114, ReportByteForByte) {
  RunWith(114, {0.7, 0.3, 0.2});
  const std::string expected =
      Cp("Исходные данные\r\n"
         "Константы скорости, 1/с\r\n"
         "k(1) =0.70000  k(2) =0.30000\r\n"
         "k(3) =0.20000\r\n"
         "    Результаты расчета\r\n"
         "   Xa     Cr     Cs     Cd\r\n"
         "  0.050  0.038  0.001  0.011\r\n"
         "  0.100  0.075  0.003  0.022\r\n"
         "  0.150  0.110  0.006  0.033\r\n"
         "  0.200  0.144  0.012  0.044\r\n"
         "  0.250  0.175  0.019  0.056\r\n"
         "  0.300  0.204  0.029  0.067\r\n"
         "  0.350  0.231  0.041  0.078\r\n"
         "  0.400  0.255  0.057  0.089\r\n"
         "  0.450  0.275  0.075  0.100\r\n"
         "  0.500  0.292  0.097  0.111\r\n"
         "  0.550  0.304  0.124  0.122\r\n"
         "  0.600  0.311  0.156  0.133\r\n"
         "  0.650  0.312  0.193  0.144\r\n"
         "  0.700  0.306  0.238  0.156\r\n"
         "  0.750  0.292  0.292  0.167\r\n"
         "  0.800  0.267  0.356  0.178\r\n"
         "  0.850  0.229  0.432  0.189\r\n"
         "  0.900  0.175  0.525  0.200\r\n"
         "  0.950  0.101  0.638  0.211\r\n"
         "  0.999  0.002  0.775  0.222\r\n"
         "Максимальная отн. концентрация продукта R      Cr = 0.313\r\n"
         "наблюдается при степени конверсии              Xa = 0.634\r\n"
         "Относительные концентрации остальных продуктов Cs = 0.181\r\n"
         "                                               Cd = 0.141\r\n");
  EXPECT_EQ(ReadFile("opt.out"), expected);
}

TEST_F(Task114, StirredTankOptima) {
  EXPECT_EQ(Summary(RunWith(114, {1, 1, 0})), SummaryOf(" 0.250", " 0.500", " 0.250", " 0.000"));
  EXPECT_EQ(Summary(RunWith(114, {1, 1, 1})), SummaryOf(" 0.172", " 0.586", " 0.121", " 0.293"));
  EXPECT_EQ(ChartY1[0], 0.5);
  // The selectivity to R of the tank, 1 - Xa when k3 = 0.
  RunWith(114, {1, 1, 0});
  EXPECT_DOUBLE_EQ(ChartY1[10], 0.5);
  EXPECT_DOUBLE_EQ(ChartY2[10], 0.25);
  EXPECT_DOUBLE_EQ(ChartY1[20], 0.001);
}

TEST_F(Task113, ZeroDivisorIsRefusedInBothTasks) {
  WriteFile("opt.out", "old");
  for (int code : {113, 114}) {
    SetParams({0, 1, 0});
    TaskCode = code;
    try {
      RunCurrentTask();
      ADD_FAILURE() << code;
    } catch (const InvalidDataError& e) {
      EXPECT_STREQ(e.what(), "Недопустимые исходные данные: k(1) + k(3) = 0");
    }
  }
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

}  // namespace
