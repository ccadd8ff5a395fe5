#include "platform/print/display_mask.h"

#include <gtest/gtest.h>

namespace veltra::print {
namespace {

TEST(DisplayMask, NoDecimalsRoundsHalfAwayFromZero) {
  EXPECT_EQ(FormatWithMask(1234.5, "0."), "1235");
  EXPECT_EQ(FormatWithMask(1234.49, "0."), "1234");
  EXPECT_EQ(FormatWithMask(-2.5, "0."), "-3");
  EXPECT_EQ(FormatWithMask(0, "0."), "0");
  EXPECT_EQ(FormatWithMask(999.5, "0"), "1000");
  // A small negative that rounds to zero carries no sign.
  EXPECT_EQ(FormatWithMask(-0.4, "0."), "0");
}

TEST(DisplayMask, RoundsTheDecimalTextNotTheBinaryApproximation) {
  EXPECT_EQ(FormatWithMask(2.675, "0.00"), "2.68");
  EXPECT_EQ(FormatWithMask(1.005, "0.00"), "1.01");
  EXPECT_EQ(FormatWithMask(0.995, "0.00"), "1.00");
}

TEST(DisplayMask, OptionalDigitsGroupingAndLiterals) {
  EXPECT_EQ(FormatWithMask(1234567.891, "#,##0.00"), "1,234,567.89");
  EXPECT_EQ(FormatWithMask(12, "#,##0.00"), "12.00");
  EXPECT_EQ(FormatWithMask(2.5, "0.##"), "2.5");
  EXPECT_EQ(FormatWithMask(2, "0.##"), "2");
  EXPECT_EQ(FormatWithMask(0.5, "#.##"), ".5");
  EXPECT_EQ(FormatWithMask(7, "000"), "007");
  EXPECT_EQ(FormatWithMask(12.3, "0.0'万元'"), "12.3万元");
  EXPECT_EQ(FormatWithMask(45, "0%"), "45%");
}

TEST(DisplayMask, SectionsForNegativeAndZero) {
  EXPECT_EQ(FormatWithMask(-5, "0.0;(0.0)"), "(5.0)");
  EXPECT_EQ(FormatWithMask(5, "0.0;(0.0)"), "5.0");
  EXPECT_EQ(FormatWithMask(0, "0.0;(0.0);'-'"), "-");
  EXPECT_EQ(FormatWithMask(-5, "0.0;;'-'"), "-5.0");
}

TEST(DisplayMask, EmptyMaskOrOddNumbersGiveThePlainNumber) {
  EXPECT_EQ(FormatWithMask(12.5, ""), "12.5");
  EXPECT_EQ(FormatWithMask(1e300, "0."), std::string("1") + std::string(300, '0'));
  EXPECT_EQ(FormatWithMask(std::numeric_limits<double>::infinity(), "0."), "INF");
}

}  // namespace
}  // namespace veltra::print
