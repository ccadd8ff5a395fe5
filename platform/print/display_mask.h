#pragma once
// Display masks of number fields, as the report layouts give them: "0."
// prints a number rounded to no decimal places, "#,##0.00" with grouping
// and two decimals. A mask may have up to three sections separated by ';'
// for positive, negative and zero values.
#include <string>
#include <string_view>

namespace veltra::print {

// Formats `value` through `mask`: '0' a digit always shown, '#' a digit shown
// when significant, '.' the decimal point, ',' (before the point) groups
// thousands; other characters and quoted text are copied. Halves round away
// from zero; an empty mask gives the shortest text of the number.
std::string FormatWithMask(double value, std::string_view mask);

}  // namespace veltra::print
