#include "platform/types/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace veltra {
namespace {

constexpr int kSignificantDigits = 15;

// A finite, non-zero number as sign, integer digits and fraction digits,
// rounded to kSignificantDigits, without trailing fraction zeros.
struct Decimal {
  bool negative = false;
  std::string integer;
  std::string fraction;
};

void TrimFraction(Decimal& d) {
  while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
}

Decimal ToDecimal(double v) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e)) {
    if (c != '.') digits += c;
  }
  const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  Decimal d;
  d.negative = v < 0;
  if (exponent >= 0) {
    const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() < integer_digits) digits.append(integer_digits - digits.size(), '0');
    d.integer = digits.substr(0, integer_digits);
    d.fraction = digits.substr(integer_digits);
  } else {
    d.integer = "0";
    d.fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  TrimFraction(d);
  return d;
}

// Rounds half away from zero to `decimals` fraction digits.
void RoundFraction(Decimal& d, std::size_t decimals) {
  if (d.fraction.size() <= decimals) return;
  const bool up = d.fraction[decimals] >= '5';
  d.fraction.resize(decimals);
  if (up) {
    std::string digits = d.integer + d.fraction;
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[i - 1];
    }
    d.integer = digits.substr(0, digits.size() - decimals);
    d.fraction = digits.substr(digits.size() - decimals);
  }
  TrimFraction(d);
}

std::string Render(const Decimal& d) {
  const bool zero = d.integer.find_first_not_of('0') == std::string::npos && d.fraction.empty();
  std::string text = d.negative && !zero ? "-" : "";
  text += d.integer;
  if (!d.fraction.empty()) text += "." + d.fraction;
  return text;
}

}  // namespace

std::string FormatNumber(double v, std::size_t width) {
  if (v == 0) return "0";  // also for -0
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  Decimal d = ToDecimal(v);
  std::string text = Render(d);
  if (text.size() <= width) return text;
  const std::size_t integer_width = (d.negative ? 1 : 0) + d.integer.size();
  // Room for the point and at least one decimal, else none.
  RoundFraction(d, width > integer_width + 1 ? width - integer_width - 1 : 0);
  std::string rounded = Render(d);
  return rounded.size() <= width ? rounded : text;
}

}  // namespace veltra
