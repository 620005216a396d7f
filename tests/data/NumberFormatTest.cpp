// Report number formats: widths, exponent digits, and half-away-from-zero rounding.
#include "data/NumberFormat.h"

#include <gtest/gtest.h>

namespace vornax {
namespace {

TEST(FormatExp, ReportExamples) {
  EXPECT_EQ(FormatExp(1234.5, 12, 3), "   1.23E+003");
  EXPECT_EQ(FormatExp(-0.00123, 14, 4), "   -1.230E-003");
  EXPECT_EQ(FormatExp(0, 13, 3), "    0.00E+000");
  EXPECT_EQ(FormatExp(-0.0, 13, 3), "    0.00E+000");
  EXPECT_EQ(FormatExp(1, 10, 4), "1.000E+000");
  EXPECT_EQ(FormatExp(1e-123L, 12, 3), "   1.00E-123");
  EXPECT_EQ(FormatExp(1e1000L, 12, 3), "  1.00E+1000");
  EXPECT_EQ(FormatExp(5, 0, 1), "5E+000");
}

TEST(FormatExp, RoundsHalfAwayFromZeroOnTheExactValue) {
  EXPECT_EQ(FormatExp(0.125, 0, 2), "1.3E-001");    // exact tie: away from zero
  EXPECT_EQ(FormatExp(-0.125, 0, 2), "-1.3E-001");
  EXPECT_EQ(FormatExp(2.5, 0, 1), "3E+000");
  EXPECT_EQ(FormatExp(0.145, 0, 2), "1.4E-001");    // 0.145 is stored just below
  EXPECT_EQ(FormatExp(9.995, 0, 3), "9.99E+000");   // stored below 9.995
  EXPECT_EQ(FormatExp(9.9951, 0, 3), "1.00E+001");  // carry into the exponent
  EXPECT_EQ(FormatExp(999.5, 0, 3), "1.00E+003");
}

TEST(FormatExp, ExtendedValuesAndAllDigitsOfADouble) {
  // Values no double holds take the extended route; doubles the quick one; both round alike.
  EXPECT_EQ(FormatExp(1.0L / 3, 0, 3), "3.33E-001");
  EXPECT_EQ(FormatExp(0.125L + 0x1p-66L, 0, 2), "1.3E-001");  // just above the tie
  EXPECT_EQ(FormatExp(0.125L - 0x1p-67L, 0, 2), "1.2E-001");  // just below it
  // 1/3 as a double is 0.333333333333333314829616256...
  EXPECT_EQ(FormatExp(1.0 / 3, 0, 17), "3.3333333333333331E-001");
  EXPECT_EQ(FormatExp(1.0 / 3, 0, 19), "3.333333333333333148E-001");
  EXPECT_EQ(FormatFixed(0x1p70, 0, 1), "1180591620717411303424.0");
  // Too many digits for the quick route's buffer.
  EXPECT_EQ(FormatFixed(0x1p500, 0, 0),
            "3273390607896141870013189696827599152216642046043064789483291368096133796404674554"
            "883270092325904157150886684127560071009217256545885393053328527589376");
}

TEST(FormatFixed, WidthsAndRounding) {
  EXPECT_EQ(FormatFixed(3.14159, 7, 2), "   3.14");
  EXPECT_EQ(FormatFixed(4.5, 10, 2), "      4.50");
  EXPECT_EQ(FormatFixed(0.125, 0, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.125, 0, 2), "-0.13");
  EXPECT_EQ(FormatFixed(1.005, 0, 2), "1.00");  // stored below 1.005
  EXPECT_EQ(FormatFixed(99.995, 0, 2), "100.00");
  EXPECT_EQ(FormatFixed(-0.001, 6, 2), "  0.00");
  EXPECT_EQ(FormatFixed(12345678.0, 10, 2), "12345678.00");  // widens the field
  EXPECT_EQ(FormatFixed(2.5, 3, 0), "  3");
  EXPECT_EQ(FormatFixed(-99999, 10, 3), "-99999.000");
}

TEST(FormatInt, RightAligned) {
  EXPECT_EQ(FormatInt(7, 5), "    7");
  EXPECT_EQ(FormatInt(-12, 2), "-12");
  EXPECT_EQ(FormatInt(123, 0), "123");
}

TEST(FormatRealLossless, TwoDecimalsUnlessMoreAreNeeded) {
  EXPECT_EQ(FormatRealLossless(4.5, 10), "      4.50");
  EXPECT_EQ(FormatRealLossless(12.25, 13), "        12.25");
  EXPECT_EQ(FormatRealLossless(0.125, 0), "0.125");
  EXPECT_EQ(FormatRealLossless(0.1, 0), "0.10");
  EXPECT_EQ(FormatRealLossless(1.0 / 3.0, 0), "0.3333333333333333");
  EXPECT_EQ(FormatRealLossless(0.1 + 0.2, 0), "0.30000000000000004");
  EXPECT_EQ(FormatRealLossless(-0.0, 6), "  0.00");
  EXPECT_EQ(FormatRealLossless(42, 0), "42.00");
  EXPECT_EQ(FormatRealLossless(-7e-5, 0), "-0.00007");
  EXPECT_EQ(FormatRealLossless(123456789012.5, 0), "123456789012.50");
}

}  // namespace
}  // namespace vornax
