#include "platform/types/value.h"

namespace veltra {

Value Value::Stored(Kind kind, std::string_view chars) {
  Value v;
  if (chars.empty()) return v;
  if (chars.size() <= kInlineMax) {
    std::memcpy(v.raw_, chars.data(), chars.size());
    v.raw_[kLengthByte] = static_cast<unsigned char>(chars.size());
  } else {
    void* memory = ::operator new(sizeof(Box) + chars.size());
    Box* b = new (memory) Box{{1}, static_cast<std::uint32_t>(chars.size())};
    std::memcpy(const_cast<char*>(b->chars()), chars.data(), chars.size());
    std::memcpy(v.raw_, &b, sizeof b);
    v.raw_[kLengthByte] = kBoxed;
  }
  v.raw_[kKindByte] = static_cast<unsigned char>(kind);
  return v;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Value::Kind::Null: return true;
    case Value::Kind::Text:
    case Value::Kind::Bytes: return a.Chars(a.kind()) == b.Chars(b.kind());
    case Value::Kind::Float: return a.float_value() == b.float_value();
    case Value::Kind::Integer: return a.integer() == b.integer();
    case Value::Kind::Boolean: return a.boolean() == b.boolean();
    case Value::Kind::Date: return a.date() == b.date();
    case Value::Kind::Time: return a.time() == b.time();
    case Value::Kind::DateTime: return a.date_time() == b.date_time();
  }
  return false;
}

double Value::AsDouble() const {
  switch (kind()) {
    case Kind::Float: return float_value();
    case Kind::Integer: return static_cast<double>(integer());
    default: return 0;
  }
}

std::string Value::ToDisplayText(std::size_t width) const {
  switch (kind()) {
    case Kind::Null: return "";
    case Kind::Text: return std::string(text());
    case Kind::Float: return FormatNumber(float_value(), width);
    case Kind::Integer: return std::to_string(integer());
    case Kind::Boolean: return boolean() ? "True" : "False";
    case Kind::Date: return FormatDate(date());
    case Kind::Time: return FormatTime(time());
    case Kind::DateTime: return FormatDateTime(date_time());
    case Kind::Bytes: return std::string(bytes());
  }
  return "";
}

}  // namespace veltra
