#include "platform/db/value_order.h"

#include "platform/text/gbk.h"

namespace veltra::db {
namespace {

template <typename T>
int Compare3(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
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
      if (ignore_case) return text::CompareGbkIgnoringAsciiCase(a.text(), b.text());
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
