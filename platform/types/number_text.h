#pragma once
// Numbers as text, the one way the system writes them: plain decimals
// (no exponent) of at most 15 significant digits, which is what a double
// holds exactly, so 0.1 + 0.2 reads "0.3" and 1e-7 "0.0000001".
#include <cstddef>
#include <string>

namespace veltra {

inline constexpr std::size_t kNoWidth = static_cast<std::size_t>(-1);

// With `width`, decimals are rounded away until the text fits it; when
// even the integer part does not fit, the text comes back whole and the
// caller's field cuts it as it cuts any text.
std::string FormatNumber(double v, std::size_t width = kNoWidth);

// FormatNumber's text with exactly `decimals` fraction digits, rounded
// half away from zero or padded with zeros (no point when 0), as fixed
// decimal fields store it. `v` is finite.
std::string FormatFixedNumber(double v, std::size_t decimals);

}  // namespace veltra
