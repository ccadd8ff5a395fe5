#include "platform/types/number_text.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

TEST(NumberText, PlainDecimalsOfAtMostFifteenDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.1 + 0.2, "0.3"},
      {1e-7, "0.0000001"},
      {-2.5e-7, "-0.00000025"},
      {1e16, "10000000000000000"},
      {123456789012345678.0, "123456789012346000"},
      {63.8 + 865.8 + 136.6, "1066.2"},
      {1.0 / 3, "0.333333333333333"},
      {-1234.5, "-1234.5"},
      {-0.0, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

// A number that a width cannot hold loses decimals, rounded, never a
// digit cut off; one whose integer part does not fit comes back whole.
TEST(NumberText, RoundedToAWidth) {
  const struct {
    double value;
    std::size_t width;
    const char* text;
  } cases[] = {
      {63.8 + 865.8 + 136.6, 10, "1066.2"},
      {2535.389999999, 10, "2535.39"},
      {1.0 / 3, 10, "0.33333333"},
      {-2.0 / 3, 6, "-0.667"},
      {9.99996, 5, "10"},
      {99999.6, 5, "99999.6"},
      {999999.6, 7, "1000000"},
      {123456.7, 5, "123456.7"},
      {-0.0000001, 4, "0"},
      {12.5, 2, "13"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value, c.width), c.text) << c.value << " in " << c.width;
}

}  // namespace
}  // namespace veltra
