#include "platform/db/field_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::db {
namespace {

// What a field of `type` takes, in the words of a refusal.
std::string Expected(FieldType type) {
  switch (type) {
    case FieldType::SmallInt: return "须是-32768至32767之间的整数";
    case FieldType::Integer:
    case FieldType::AutoInc: return "须是-2147483648至2147483647之间的整数";
    case FieldType::Date: return "须是存在的日期，写成年-月-日（如2012-01-31）或八位数字（如20120131）";
    case FieldType::DateTime: return "须是存在的日期，写成年-月-日（如2012-01-31）";
    case FieldType::Time: return "须是一天之内的时间";
    case FieldType::Boolean: return "须是逻辑值（真写作1，假写作0）";
    default: return "须是数值";
  }
}

[[noreturn]] void Refuse(const Value& value, const FieldDef& def, std::string_view owner) {
  throw EngineError(EngineError::Kind::InvalidValue,
                    std::string(owner) + ": '" + value.ToDisplayText() + "' is not a valid " +
                        std::string(FieldTypeName(def.type)) + " value for field " + def.name,
                    {std::string(owner), def.name, value.ToDisplayText(), 0, 0, Expected(def.type)});
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ParseDouble(std::string_view text, double& out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

Value ToFloat(const Value& value, const FieldDef& def, std::string_view owner) {
  switch (value.kind()) {
    case Value::Kind::Float: return value;
    case Value::Kind::Integer: return Value::Float(static_cast<double>(value.integer()));
    case Value::Kind::Boolean: return Value::Float(value.boolean() ? 1 : 0);
    case Value::Kind::Text: {
      double number = 0;
      if (ParseDouble(value.text(), number)) return Value::Float(number);
      break;
    }
    default: break;
  }
  Refuse(value, def, owner);
}

Value ToInteger(const Value& value, const FieldDef& def, std::string_view owner) {
  double number = 0;
  switch (value.kind()) {
    case Value::Kind::Integer: number = static_cast<double>(value.integer()); break;
    case Value::Kind::Float: number = std::round(value.float_value()); break;
    case Value::Kind::Boolean: number = value.boolean() ? 1 : 0; break;
    case Value::Kind::Text:
      if (!ParseDouble(value.text(), number) || number != std::floor(number)) {
        Refuse(value, def, owner);
      }
      break;
    default: Refuse(value, def, owner);
  }
  const double limit = def.type == FieldType::SmallInt ? 32767.0 : 2147483647.0;
  if (!(number >= -limit - 1 && number <= limit)) Refuse(value, def, owner);
  return Value::Integer(static_cast<std::int64_t>(number));
}

Value ToDate(const Value& value, const FieldDef& def, std::string_view owner) {
  switch (value.kind()) {
    case Value::Kind::Date: return value;
    case Value::Kind::DateTime: return Value::FromDate(value.date_time().date);
    case Value::Kind::Text:
      if (auto date = ParseDate(Trim(value.text()))) return Value::FromDate(*date);
      break;
    default: break;
  }
  Refuse(value, def, owner);
}

Value ToDateTime(const Value& value, const FieldDef& def, std::string_view owner) {
  switch (value.kind()) {
    case Value::Kind::DateTime: return value;
    case Value::Kind::Date: return Value::FromDateTime({value.date(), Time{}});
    case Value::Kind::Text:
      if (auto date = ParseDate(Trim(value.text()))) return Value::FromDateTime({*date, Time{}});
      break;
    default: break;
  }
  Refuse(value, def, owner);
}

Value ToTime(const Value& value, const FieldDef& def, std::string_view owner) {
  if (value.kind() == Value::Kind::Time) return value;
  if (value.kind() == Value::Kind::DateTime) return Value::FromTime(value.date_time().time);
  Refuse(value, def, owner);
}

Value ToBoolean(const Value& value, const FieldDef& def, std::string_view owner) {
  switch (value.kind()) {
    case Value::Kind::Boolean: return value;
    case Value::Kind::Integer: return Value::Boolean(value.integer() != 0);
    case Value::Kind::Float: return Value::Boolean(value.float_value() != 0);
    case Value::Kind::Text: {
      const std::string word = text::ToAsciiUpper(Trim(value.text()));
      if (word == "TRUE" || word == "T" || word == "YES" || word == "1") return Value::Boolean(true);
      if (word == "FALSE" || word == "F" || word == "NO" || word == "0") return Value::Boolean(false);
      break;
    }
    default: break;
  }
  Refuse(value, def, owner);
}

Value ToText(const Value& value, const FieldDef& def) {
  const bool sized = def.type == FieldType::String && def.size > 0;
  if (value.kind() == Value::Kind::Text) {
    if (!sized) return value;
    const std::string_view kept = text::TruncateToGbkBytes(value.text(), static_cast<std::size_t>(def.size));
    return kept.size() == value.text().size() ? value : Value::Text(std::string(kept));
  }
  std::string text = value.ToDisplayText(sized ? static_cast<std::size_t>(def.size) : kNoWidth);
  if (sized) text = std::string(text::TruncateToGbkBytes(text, static_cast<std::size_t>(def.size)));
  return Value::Text(std::move(text));
}

Value ToBytes(const Value& value, const FieldDef& def) {
  std::string raw = value.kind() == Value::Kind::Bytes ? std::string(value.bytes()) : value.ToDisplayText();
  // A bytes field has a fixed width: a shorter value is padded with zero
  // bytes, as the file will give it back; a longer one is refused by the
  // file, never cut.
  if (def.type == FieldType::Bytes && raw.size() < static_cast<std::size_t>(def.size)) {
    raw.resize(static_cast<std::size_t>(def.size), '\0');
  }
  return Value::FromBytes(std::move(raw));
}

Value Converted(const Value& value, const FieldDef& def, std::string_view owner) {
  switch (def.type) {
    case FieldType::String:
    case FieldType::Memo:
      return ToText(value, def);
    case FieldType::Float:
    case FieldType::Money:
    case FieldType::Bcd:
      return ToFloat(value, def, owner);
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
      return ToInteger(value, def, owner);
    case FieldType::Date: return ToDate(value, def, owner);
    case FieldType::Time: return ToTime(value, def, owner);
    case FieldType::DateTime: return ToDateTime(value, def, owner);
    case FieldType::Boolean: return ToBoolean(value, def, owner);
    case FieldType::FmtMemo:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Ole:
    case FieldType::Bytes:
      return ToBytes(value, def);
  }
  return value;
}

}  // namespace

// Whether a field of `def` holds `value` as it is: a copy between fields
// of one type, the common case, is told without converting anything.
// Integers are range-checked on the way and bytes padded, so never.
bool HeldAsIs(const Value& value, const FieldDef& def) {
  switch (value.kind()) {
    case Value::Kind::Null: return true;
    case Value::Kind::Float:
      return def.type == FieldType::Float || def.type == FieldType::Money || def.type == FieldType::Bcd;
    case Value::Kind::Text:
      // No character is longer in GBK than in UTF-8.
      return def.type == FieldType::Memo ||
             (def.type == FieldType::String && (def.size <= 0 || value.text().size() <= static_cast<std::size_t>(def.size)));
    case Value::Kind::Date: return def.type == FieldType::Date;
    case Value::Kind::Time: return def.type == FieldType::Time;
    case Value::Kind::DateTime: return def.type == FieldType::DateTime;
    case Value::Kind::Boolean: return def.type == FieldType::Boolean;
    default: return false;
  }
}

Value ConvertToField(const Value& value, const FieldDef& def, std::string_view owner) {
  return HeldAsIs(value, def) ? value : Converted(value, def, owner);
}

void ConvertInField(Value& value, const FieldDef& def, std::string_view owner) {
  if (!HeldAsIs(value, def)) value = Converted(value, def, owner);
}

}  // namespace veltra::db
