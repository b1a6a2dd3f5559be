// The w:d number format of the reports.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "solvers/Report.h"

TEST(FixedFormat, PadsOnTheLeftToTheWidth) {
  EXPECT_EQ(FormatFixed(0.05, 4, 3), "0.050");
  EXPECT_EQ(FormatFixed(0.05, 9, 3), "    0.050");
  EXPECT_EQ(FormatFixed(12.5, 5, 2), "12.50");
  EXPECT_EQ(FormatFixed(0.5, 7, 3), "  0.500");
}

TEST(FixedFormat, NeverCutsANumberWiderThanItsField) {
  EXPECT_EQ(FormatFixed(999.0, 5, 2), "999.00");
  EXPECT_EQ(FormatFixed(19.495723, 7, 5), "19.49572");
  EXPECT_EQ(FormatFixed(-123.456, 4, 1), "-123.5");
  EXPECT_EQ(FormatFixed(1e20, 6, 3), "100000000000000000000.000");
}

TEST(FixedFormat, NegativeNumbersCarryTheirSign) {
  EXPECT_EQ(FormatFixed(-0.25, 7, 3), " -0.250");
  EXPECT_EQ(FormatFixed(-0.0001, 7, 3), " -0.000");
}

TEST(FixedFormat, RoundsTheStoredValueToNearestAndExactHalvesToEven) {
  EXPECT_EQ(FormatFixed(0.3678794, 6, 3), " 0.368");
  EXPECT_EQ(FormatFixed(0.1234, 6, 3), " 0.123");
  EXPECT_EQ(FormatFixed(0.3125, 6, 3), " 0.312");
  EXPECT_EQ(FormatFixed(0.375, 4, 2), "0.38");
  EXPECT_EQ(FormatFixed(2.5, 1, 0), "2");
  EXPECT_EQ(FormatFixed(0.0015, 6, 3), " 0.002");  // stored as 0.00150000000000000003
  EXPECT_EQ(FormatFixed(1.0005, 6, 3), " 1.000");  // stored as 1.00049999999999994493
}

TEST(FixedFormat, CarriesThroughNines) {
  EXPECT_EQ(FormatFixed(9.96, 4, 1), "10.0");
  EXPECT_EQ(FormatFixed(0.9996, 6, 3), " 1.000");
  EXPECT_EQ(FormatFixed(999.9996, 4, 3), "1000.000");
}

TEST(FixedFormat, ShowsNonFiniteValuesWithoutFailing) {
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 6, 3), "   nan");
  EXPECT_EQ(FormatFixed(HUGE_VAL, 6, 3), "   inf");
  EXPECT_EQ(FormatFixed(-HUGE_VAL, 2, 3), "-inf");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 6, 3).size(), 313u);
}
