#include "platform/print/display_mask.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/types/value.h"

namespace veltra::print {
namespace {

std::vector<std::string_view> SplitSections(std::string_view mask) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(mask.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(mask.substr(start));
  return sections;
}

// What a section asks for, and the literal text around its digits.
struct Pattern {
  std::string prefix, suffix;
  int min_integer_digits = 0;
  int min_decimals = 0;
  int max_decimals = 0;
  bool grouping = false;
};

Pattern ParsePattern(std::string_view section) {
  Pattern pattern;
  bool seen_digit = false, after_point = false;
  char quote = 0;
  for (const char c : section) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      else (seen_digit ? pattern.suffix : pattern.prefix) += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '0' || c == '#') {
      seen_digit = true;
      if (after_point) {
        ++pattern.max_decimals;
        if (c == '0') pattern.min_decimals = pattern.max_decimals;
      } else if (c == '0') {
        ++pattern.min_integer_digits;
      }
    } else if (c == '.' && !after_point) {
      seen_digit = true;
      after_point = true;
    } else if (c == ',' && !after_point) {
      pattern.grouping = true;
    } else {
      (seen_digit ? pattern.suffix : pattern.prefix) += c;
    }
  }
  return pattern;
}

// The decimal digits of |value| rounded half away from zero to `decimals`
// places, split at the point. Rounds the shortest decimal text of the
// number, so 2.675 rounds to 2.68 as a reader of the table expects.
std::pair<std::string, std::string> RoundedDigits(double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  const std::string_view text(buffer, result.ptr - buffer);  // "d.ddde+XX"
  const std::size_t e = text.find('e');
  std::string digits(text.substr(0, e));
  if (digits.size() > 1) digits.erase(1, 1);
  const int point = 1 + std::stoi(std::string(text.substr(e + 1)));
  std::string integer, fraction;
  if (point <= 0) {
    integer = "0";
    fraction = std::string(-point, '0') + digits;
  } else if (point >= static_cast<int>(digits.size())) {
    integer = digits + std::string(point - digits.size(), '0');
  } else {
    integer = digits.substr(0, point);
    fraction = digits.substr(point);
  }
  const bool round_up = static_cast<int>(fraction.size()) > decimals && fraction[decimals] >= '5';
  fraction.resize(decimals, '0');
  if (round_up) {
    std::string digits = integer + fraction;
    int i = static_cast<int>(digits.size()) - 1;
    for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
    if (i < 0) digits.insert(digits.begin(), '1');
    else ++digits[i];
    integer = digits.substr(0, digits.size() - decimals);
    fraction = digits.substr(digits.size() - decimals);
  }
  return {integer, fraction};
}

std::string Grouped(const std::string& integer) {
  std::string out;
  for (std::size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) out += ',';
    out += integer[i];
  }
  return out;
}

std::string Apply(const Pattern& pattern, double value, bool with_sign) {
  auto [integer, fraction] = RoundedDigits(value, pattern.max_decimals);
  while (static_cast<int>(fraction.size()) > pattern.min_decimals && fraction.back() == '0')
    fraction.pop_back();
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  if (static_cast<int>(integer.size()) < pattern.min_integer_digits)
    integer.insert(0, pattern.min_integer_digits - integer.size(), '0');
  const bool is_zero = integer.find_first_not_of('0') == std::string::npos &&
                       fraction.find_first_not_of('0') == std::string::npos;
  std::string number = pattern.grouping ? Grouped(integer) : integer;
  if (!fraction.empty()) number += "." + fraction;
  const std::string sign = with_sign && value < 0 && !is_zero ? "-" : "";
  return pattern.prefix + sign + number + pattern.suffix;
}

}  // namespace

std::string FormatWithMask(double value, std::string_view mask) {
  if (mask.empty() || !std::isfinite(value)) return FormatNumber(value);
  const std::vector<std::string_view> sections = SplitSections(mask);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return Apply(ParsePattern(sections[2]), value, false);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return Apply(ParsePattern(sections[1]), value, false);
  return Apply(ParsePattern(sections[0]), value, true);
}

}  // namespace veltra::print
