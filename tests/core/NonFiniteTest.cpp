// Data whose results are not finite numbers are refused like any other data
// the formulas cannot take: nothing is written and the chart stays as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "base/Errors.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

class NonFinite : public InTempDir {};

const std::string kPrefix = "Недопустимые исходные данные: ";

}  // namespace

TEST_F(NonFinite, Task112NamesAZeroFeedOrVolume) {
  EXPECT_EQ(RefusalOf(112, {1, 1, 1, 0, 1}), kPrefix + "FA0 = 0");
  EXPECT_EQ(RefusalOf(112, {1, 1, 1, 1, 0}), kPrefix + "V = 0");
  EXPECT_EQ(DataErrorOf(112, {1, 1, 1, 1e-9, 1}), "");  // small but not zero runs
}

TEST_F(NonFinite, AnOverflowInTheTableNamesTheColumnAndTheConversion) {
  // The volume v * Xa / ((1 - Xa) * k1) is beyond a double from the first row.
  EXPECT_EQ(RefusalOf(102, {1e-10, 1, 1, 1, 1e308}),
            kPrefix + "Vr не является конечным числом при Xa = 0.050");
  EXPECT_EQ(RefusalOf(121, {1e-300, 1, 1, 1}), kPrefix + "XR не является конечным числом при Xa = 0.050");
}

TEST_F(NonFinite, ARefusedRunLeavesTheChartOfTheLastGoodRun) {
  RunWith(111, {1, 0.5});
  double x[kChartSize], y1[kChartSize], y2[kChartSize];
  std::copy(ChartX, ChartX + kChartSize, x);
  std::copy(ChartY1, ChartY1 + kChartSize, y1);
  std::copy(ChartY2, ChartY2 + kChartSize, y2);
  RefusalOf(102, {1e-10, 1, 1, 1, 1e308});
  for (int k = 0; k < kChartSize; ++k) {
    EXPECT_EQ(ChartX[k], x[k]) << k;
    EXPECT_EQ(ChartY1[k], y1[k]) << k;
    EXPECT_EQ(ChartY2[k], y2[k]) << k;
  }
}

TEST_F(NonFinite, UnusualButFiniteDataStillRun) {
  EXPECT_EQ(DataErrorOf(101, {1e-300, 1e300}), "");
  for (int k = 0; k < kChartSize; ++k) EXPECT_TRUE(std::isfinite(ChartY1[k])) << k;
}

TEST_F(NonFinite, AnInfiniteResultIsNamedByItsLabel) {
  // Write a report by hand, as a solver does, with an infinite summary value.
  BeginReport();
  ReportFile << "Vr ="
             << Answer("Vr", "Объем реактора, Vr, м3", std::numeric_limits<double>::infinity(), 6, 3,
                       Bound::Amount)
             << Eol;
  try {
    ReportFile.Close();
    FAIL() << "written";
  } catch (const InvalidDataError& e) {
    EXPECT_EQ(std::string(e.what()), kPrefix + "Vr не является конечным числом");
  }
  EXPECT_FALSE(FileExists("opt.out"));
}
