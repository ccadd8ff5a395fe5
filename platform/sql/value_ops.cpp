#include "platform/sql/value_ops.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/text/utf8.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

// `why` in the user's words; `target` names the field a value was meant for.
[[noreturn]] void ThrowMismatch(const std::string& why, ErrorSubject target = {}) {
  target.reason = why;
  throw EngineError(EngineError::Kind::TypeMismatch, why, std::move(target));
}

std::string Describe(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Text: return "文字“" + std::string(value.text()) + "”";
    case Value::Kind::Float:
    case Value::Kind::Integer: return "数值" + value.ToDisplayText();
    case Value::Kind::Boolean: return "逻辑值";
    case Value::Kind::Date: return "日期" + value.ToDisplayText();
    case Value::Kind::Time: return "时间" + value.ToDisplayText();
    case Value::Kind::DateTime: return "日期时间" + value.ToDisplayText();
    case Value::Kind::Bytes: return "二进制数据";
    case Value::Kind::Null: return "空值";
  }
  return "值";
}

template <typename T>
int ThreeWay(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

DateTime AsDateTime(const Value& value) {
  return value.kind() == Value::Kind::Date ? DateTime{value.date(), Time{}} : value.date_time();
}

bool IsCalendar(Value::Kind kind) {
  return kind == Value::Kind::Date || kind == Value::Kind::DateTime;
}

// Sort rank of a kind; Float and Integer share one.
int Rank(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::Null: return 0;
    case Value::Kind::Boolean: return 1;
    case Value::Kind::Float:
    case Value::Kind::Integer: return 2;
    case Value::Kind::Date: return 3;
    case Value::Kind::Time: return 4;
    case Value::Kind::DateTime: return 5;
    case Value::Kind::Text: return 6;
    case Value::Kind::Bytes: return 7;
  }
  return 8;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<double> TextToNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  const char first = text.front() == '-' && text.size() > 1 ? text[1] : text.front();
  if (!((first >= '0' && first <= '9') || first == '.')) return std::nullopt;  // no inf/nan
  double number = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return number;
}

std::optional<int> CompareValues(const Value& a, const Value& b) {
  if (a.is_null() || b.is_null()) return std::nullopt;
  const Value::Kind ka = a.kind();
  const Value::Kind kb = b.kind();
  if (a.is_number() && b.is_number()) return ThreeWay(a.AsDouble(), b.AsDouble());
  if (ka == Value::Kind::Text && kb == Value::Kind::Text) {
    const int c = text::CompareGbk(a.text(), b.text());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (ka == Value::Kind::Text && b.is_number()) {
    const std::optional<double> number = TextToNumber(a.text());
    if (!number) ThrowMismatch(Describe(a) + "不能与" + Describe(b) + "比较");
    return ThreeWay(*number, b.AsDouble());
  }
  if (a.is_number() && kb == Value::Kind::Text) {
    const std::optional<int> flipped = CompareValues(b, a);
    return -*flipped;
  }
  if (IsCalendar(ka) && IsCalendar(kb)) return ThreeWay(AsDateTime(a), AsDateTime(b));
  if (IsCalendar(ka) && kb == Value::Kind::Text) {
    const std::optional<Date> date = ParseDate(Trimmed(b.text()));
    if (!date) ThrowMismatch(Describe(a) + "不能与" + Describe(b) + "比较");
    return ThreeWay(AsDateTime(a), DateTime{*date, Time{}});
  }
  if (ka == Value::Kind::Text && IsCalendar(kb)) return -*CompareValues(b, a);
  if (ka == kb) {
    switch (ka) {
      case Value::Kind::Boolean: return ThreeWay(a.boolean(), b.boolean());
      case Value::Kind::Time: return ThreeWay(a.time(), b.time());
      case Value::Kind::Bytes: return ThreeWay(a.bytes(), b.bytes());
      default: break;
    }
  }
  ThrowMismatch(Describe(a) + "不能与" + Describe(b) + "比较");
}

bool CompareResult(CompareOp op, int comparison) {
  switch (op) {
    case CompareOp::Equal: return comparison == 0;
    case CompareOp::NotEqual: return comparison != 0;
    case CompareOp::Less: return comparison < 0;
    case CompareOp::LessEqual: return comparison <= 0;
    case CompareOp::Greater: return comparison > 0;
    case CompareOp::GreaterEqual: return comparison >= 0;
  }
  return false;
}

int SortCompare(const Value& a, const Value& b) {
  const int ra = Rank(a.kind());
  const int rb = Rank(b.kind());
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 0) return 0;
  return *CompareValues(a, b);  // same rank: always comparable
}

std::size_t ValueHash::operator()(const Value& value) const noexcept {
  switch (value.kind()) {
    case Value::Kind::Null: return 0x9e3779b9;
    case Value::Kind::Text: return std::hash<std::string_view>()(value.text());
    case Value::Kind::Float:
    case Value::Kind::Integer: {
      const double number = value.AsDouble();
      return std::hash<double>()(number == 0 ? 0.0 : number);
    }
    case Value::Kind::Boolean: return value.boolean() ? 1 : 2;
    case Value::Kind::Date: return std::hash<int>()(value.date().day);
    case Value::Kind::Time: return std::hash<int>()(value.time().millisecond);
    case Value::Kind::DateTime:
      return std::hash<int>()(value.date_time().date.day) * 31 +
             std::hash<int>()(value.date_time().time.millisecond);
    case Value::Kind::Bytes: return std::hash<std::string_view>()(value.bytes());
  }
  return 0;
}

std::size_t RowHash::operator()(const std::vector<Value>& row) const noexcept {
  std::size_t hash = row.size();
  for (const Value& value : row) hash = hash * 1000003 ^ ValueHash()(value);
  return hash;
}

bool RowEqual::operator()(const std::vector<Value>& a, const std::vector<Value>& b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (SortCompare(a[i], b[i]) != 0) return false;
  }
  return true;
}

double ToNumber(const Value& value) {
  if (value.is_number()) return value.AsDouble();
  if (value.kind() == Value::Kind::Text) {
    if (const std::optional<double> number = TextToNumber(value.text())) return *number;
  }
  ThrowMismatch(Describe(value) + "不能当作数值");
}

Value Arithmetic(ArithmeticOp op, const Value& a, const Value& b) {
  if (a.is_null() || b.is_null()) return Value();
  const double x = ToNumber(a);
  const double y = ToNumber(b);
  switch (op) {
    case ArithmeticOp::Add: return Value::Float(x + y);
    case ArithmeticOp::Subtract: return Value::Float(x - y);
    case ArithmeticOp::Multiply: return Value::Float(x * y);
    case ArithmeticOp::Divide: return y == 0 ? Value() : Value::Float(x / y);
  }
  return Value();
}

Value Concat(const Value& a, const Value& b) { return Value::Text(a.ToDisplayText() + b.ToDisplayText()); }

LikePattern::LikePattern(std::string_view pattern) {
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const char32_t cp = text::NextCodePoint(pattern, pos);
    if (cp == U'%') {
      if (items_.empty() || items_.back().kind != Item::Kind::AnyRun) {
        items_.push_back({Item::Kind::AnyRun, 0});
      }
    } else if (cp == U'_') {
      items_.push_back({Item::Kind::AnyOne, 0});
    } else {
      items_.push_back({Item::Kind::Char, cp});
    }
  }
}

// Greedy match with one backtrack point: the last % seen absorbs one more
// character each time the rest fails. Linear in practice, never exponential.
bool LikePattern::Matches(std::string_view subject) const {
  std::size_t item = 0;
  std::size_t pos = 0;
  std::size_t run_item = items_.size();  // none yet
  std::size_t run_pos = 0;
  while (pos < subject.size()) {
    std::size_t next = pos;
    const char32_t cp = text::NextCodePoint(subject, next);
    if (item < items_.size() && items_[item].kind == Item::Kind::AnyRun) {
      run_item = item++;
      run_pos = pos;
      continue;
    }
    if (item < items_.size() &&
        (items_[item].kind == Item::Kind::AnyOne || items_[item].code_point == cp)) {
      ++item;
      pos = next;
      continue;
    }
    if (run_item == items_.size()) return false;
    item = run_item + 1;
    text::NextCodePoint(subject, run_pos);
    pos = run_pos;
  }
  while (item < items_.size() && items_[item].kind == Item::Kind::AnyRun) ++item;
  return item == items_.size();
}

Value Substring(const Value& value, const Value& start, const std::optional<Value>& length) {
  if (value.is_null() || start.is_null() || (length && length->is_null())) return Value();
  const std::string source = value.ToDisplayText();
  const double first = std::trunc(ToNumber(start));
  double end = std::numeric_limits<double>::infinity();
  if (length) {
    const double count = std::trunc(ToNumber(*length));
    if (count < 0) {
      ErrorSubject subject;
      subject.reason = "取子串的长度不能是负数";
      throw EngineError(EngineError::Kind::InvalidValue, subject.reason, subject);
    }
    end = first + count;
  }
  std::string result;
  std::size_t pos = 0;
  for (double index = 1; pos < source.size() && index < end; ++index) {
    const std::size_t begin = pos;
    text::NextCodePoint(source, pos);
    if (index >= first) result.append(source, begin, pos - begin);
  }
  return Value::Text(std::move(result));
}

Value UpperAscii(const Value& value) {
  return value.is_null() ? value : Value::Text(text::ToAsciiUpper(value.ToDisplayText()));
}

Value LowerAscii(const Value& value) {
  return value.is_null() ? value : Value::Text(text::ToAsciiLower(value.ToDisplayText()));
}

Value TrimBlanks(const Value& value) {
  return value.is_null() ? value : Value::Text(std::string(Trimmed(value.ToDisplayText())));
}

namespace {

[[noreturn]] void ThrowConversion(const Value& value, FieldType type, ErrorSubject target) {
  target.value = value.ToDisplayText();
  ThrowMismatch((target.field.empty() ? Describe(value) : std::string()) + "不能转换为" +
                    std::string(FieldTypeWord(type)) + "类型",
                std::move(target));
}

// A number, a numeric text or a boolean as a number.
std::optional<double> NumberOf(const Value& value) {
  if (value.is_number()) return value.AsDouble();
  if (value.kind() == Value::Kind::Boolean) return value.boolean() ? 1 : 0;
  if (value.kind() == Value::Kind::Text) return TextToNumber(value.text());
  return std::nullopt;
}

Value ToInteger(double number, FieldType type, ErrorSubject target) {
  const double whole = std::trunc(number);
  const double limit = type == FieldType::SmallInt ? 32767 : 2147483647;
  if (!(whole >= -limit - 1 && whole <= limit)) {
    target.value = FormatNumber(number);
    target.reason = std::string(FieldTypeWord(type)) + "的范围是" + FormatNumber(-limit - 1) + "至" + FormatNumber(limit);
    throw EngineError(EngineError::Kind::InvalidValue, target.value + ": " + target.reason, std::move(target));
  }
  return Value::Integer(static_cast<std::int64_t>(whole));
}

std::optional<Value> ToCalendar(const Value& value, FieldType type) {
  const Value::Kind kind = value.kind();
  std::optional<DateTime> moment;
  if (kind == Value::Kind::Date) moment = DateTime{value.date(), Time{}};
  if (kind == Value::Kind::DateTime) moment = value.date_time();
  if (kind == Value::Kind::Text) {
    if (const std::optional<Date> date = ParseDate(Trimmed(value.text()))) moment = DateTime{*date, Time{}};
  }
  if (type == FieldType::Time) {
    if (kind == Value::Kind::Time) return value;
    if (kind == Value::Kind::DateTime) return Value::FromTime(value.date_time().time);
    return std::nullopt;
  }
  if (!moment) return std::nullopt;
  return type == FieldType::Date ? Value::FromDate(moment->date) : Value::FromDateTime(*moment);
}

}  // namespace

Value ConvertValue(const Value& value, FieldType type, int size, const ErrorSubject& target) {
  if (value.is_null()) return value;
  const Value::Kind kind = value.kind();
  switch (type) {
    case FieldType::String:
    case FieldType::Memo: {
      if (kind == Value::Kind::Bytes) break;
      const bool sized = type == FieldType::String && size > 0;
      std::string text = value.ToDisplayText(sized ? static_cast<std::size_t>(size) : kNoWidth);
      if (sized) {
        text = std::string(text::TruncateToGbkBytes(text, static_cast<std::size_t>(size)));
      }
      return Value::Text(std::move(text));
    }
    case FieldType::Float:
    case FieldType::Money:
    case FieldType::Bcd:
      if (kind == Value::Kind::Boolean) break;
      if (const std::optional<double> number = NumberOf(value)) return Value::Float(*number);
      break;
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
      if (const std::optional<double> number = NumberOf(value)) return ToInteger(*number, type, target);
      break;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
      if (std::optional<Value> converted = ToCalendar(value, type)) return *converted;
      break;
    case FieldType::Boolean:
      if (kind == Value::Kind::Boolean) return value;
      if (kind == Value::Kind::Text) {
        const std::string_view text = Trimmed(value.text());
        if (text::EqualsIgnoreAsciiCase(text, "true")) return Value::Boolean(true);
        if (text::EqualsIgnoreAsciiCase(text, "false")) return Value::Boolean(false);
      }
      break;
    case FieldType::FmtMemo:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Ole:
    case FieldType::Bytes:
      if (kind == Value::Kind::Bytes) return value;
      if (kind == Value::Kind::Text) return Value::FromBytes(value.text());
      break;
  }
  ThrowConversion(value, type, target);
}

}  // namespace veltra::sql
