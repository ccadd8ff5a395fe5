#include "platform/types/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace veltra {
namespace {

constexpr int kSignificantDigits = 15;
constexpr double kExactIntegers = 1e15;  // below it a whole number has at most 15 digits

// A finite, non-zero number in plain decimal, rounded to kSignificantDigits,
// without trailing fraction zeros.
std::string PlainDecimal(double v) {
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::scientific, kSignificantDigits - 1);
  char digits[kSignificantDigits];
  int count = 0;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent);
  std::string text;
  text.reserve(static_cast<std::size_t>(count + std::abs(exponent) + 3));
  if (v < 0) text += '-';
  if (exponent >= 0) {
    for (int i = 0; i <= exponent; ++i) text += i < count ? digits[i] : '0';
    if (count > exponent + 1) {
      text += '.';
      text.append(digits + exponent + 1, static_cast<std::size_t>(count - exponent - 1));
    }
  } else {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text.append(digits, static_cast<std::size_t>(count));
  }
  return text;
}

// `text` (PlainDecimal's) with at most `decimals` fraction digits, rounded
// half away from zero, without trailing fraction zeros.
std::string RoundDecimals(const std::string& text, std::size_t decimals) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos || text.size() - point - 1 <= decimals) return text;
  const bool negative = text[0] == '-';
  std::string digits = text.substr(negative ? 1 : 0, point - (negative ? 1 : 0)) + text.substr(point + 1, decimals);
  if (text[point + 1 + decimals] >= '5') {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[i - 1];
    }
  }
  std::string fraction = digits.substr(digits.size() - decimals);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  const std::string integer = digits.substr(0, digits.size() - decimals);
  const bool zero = fraction.empty() && integer.find_first_not_of('0') == std::string::npos;
  return (negative && !zero ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
}

}  // namespace

std::string FormatNumber(double v, std::size_t width) {
  if (v == 0) return "0";  // also for -0
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  if (std::fabs(v) < kExactIntegers && std::trunc(v) == v) {
    // Whole numbers, most of the figures, need no rounding.
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(v));
    std::string text(buffer, result.ptr);
    if (text.size() <= width) return text;
  }
  std::string text = PlainDecimal(v);
  if (text.size() <= width) return text;
  const std::size_t point = text.find('.');
  const std::size_t integer_width = point == std::string::npos ? text.size() : point;
  // Room for the point and at least one decimal, else none.
  std::string rounded = RoundDecimals(text, width > integer_width + 1 ? width - integer_width - 1 : 0);
  return rounded.size() <= width ? rounded : text;
}

std::string FormatFixedNumber(double v, std::size_t decimals) {
  std::string text = RoundDecimals(FormatNumber(v), decimals);
  if (decimals == 0) return text;
  const std::size_t point = text.find('.');
  const std::size_t present = point == std::string::npos ? 0 : text.size() - point - 1;
  if (point == std::string::npos) text += '.';
  return text.append(decimals - present, '0');
}

}  // namespace veltra
