#include "platform/db/value_order.h"

#include <algorithm>
#include <string_view>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"

namespace veltra::db {
namespace {

template <typename T>
int Compare3(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// CompareGbk of both texts upper-cased, without copying them for the
// common case: an ASCII prefix that they share once folded needs neither
// a copy nor a code page lookup. Index keys are compared this way many
// times over when a table opens.
int CompareGbkIgnoringAsciiCase(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  const std::size_t n = std::min(a.size(), b.size());
  for (; i < n && static_cast<unsigned char>(a[i]) < 0x80 && static_cast<unsigned char>(b[i]) < 0x80; ++i) {
    const auto x = static_cast<unsigned char>(text::AsciiUpper(a[i]));
    const auto y = static_cast<unsigned char>(text::AsciiUpper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i == n) return Compare3(a.size(), b.size());
  return text::CompareGbk(text::ToAsciiUpper(a.substr(i)), text::ToAsciiUpper(b.substr(i)));
}

}  // namespace

int CompareValues(const Value& a, const Value& b, bool ignore_case) {
  if (a.is_null() || b.is_null()) return Compare3(!a.is_null(), !b.is_null());
  if (a.is_number() && b.is_number()) {
    if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer) {
      return Compare3(a.integer(), b.integer());
    }
    return Compare3(a.AsDouble(), b.AsDouble());
  }
  if (a.kind() != b.kind()) return Compare3(a.kind(), b.kind());
  switch (a.kind()) {
    case Value::Kind::Text:
      if (ignore_case) return CompareGbkIgnoringAsciiCase(a.text(), b.text());
      return text::CompareGbk(a.text(), b.text());
    case Value::Kind::Boolean: return Compare3(a.boolean(), b.boolean());
    case Value::Kind::Date: return Compare3(a.date(), b.date());
    case Value::Kind::Time: return Compare3(a.time(), b.time());
    case Value::Kind::DateTime: return Compare3(a.date_time(), b.date_time());
    case Value::Kind::Bytes: return a.bytes().compare(b.bytes()) < 0 ? -1 : (a.bytes() == b.bytes() ? 0 : 1);
    default: return 0;
  }
}

}  // namespace veltra::db
