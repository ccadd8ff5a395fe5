#include "platform/types/value.h"

#include <charconv>
#include <cmath>

namespace veltra {

Value Value::Text(std::string utf8) {
  if (utf8.empty()) return Value();
  return Value(Storage(std::move(utf8)));
}

Value Value::FromBytes(std::string raw) {
  if (raw.empty()) return Value();
  return Value(Storage(veltra::Bytes{std::move(raw)}));
}

double Value::AsDouble() const {
  switch (kind()) {
    case Kind::Float: return float_value();
    case Kind::Integer: return static_cast<double>(integer());
    default: return 0;
  }
}

std::string FormatNumber(double v) {
  if (v == 0) return "0";  // also for -0
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  // Plain decimals as people write them (200000, not 2e+05), in the fewest
  // digits that read back as the same double; exponents only far outside
  // the range of survey figures.
  const double magnitude = std::fabs(v);
  const auto format = magnitude >= 1e-6 && magnitude < 1e16 ? std::chars_format::fixed : std::chars_format::general;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, format);
  return std::string(buffer, result.ptr);
}

std::string Value::ToDisplayText() const {
  switch (kind()) {
    case Kind::Null: return "";
    case Kind::Text: return text();
    case Kind::Float: return FormatNumber(float_value());
    case Kind::Integer: return std::to_string(integer());
    case Kind::Boolean: return boolean() ? "True" : "False";
    case Kind::Date: return FormatDate(date());
    case Kind::Time: return FormatTime(time());
    case Kind::DateTime: return FormatDateTime(date_time());
    case Kind::Bytes: return bytes();
  }
  return "";
}

}  // namespace veltra
