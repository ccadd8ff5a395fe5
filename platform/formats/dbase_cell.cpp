#include "platform/formats/dbase_cell.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/text/gbk.h"
#include "platform/types/number_text.h"

namespace veltra::formats {
namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string_view StripTrailing(std::string_view s) {
  const auto last = s.find_last_not_of(std::string_view(" \0", 2));
  return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

bool AllDigits(std::string_view s) { return s.find_first_not_of("0123456789") == std::string_view::npos; }

int Digits(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

std::string Quoted(std::string_view raw) { return "“" + std::string(raw) + "”"; }

Value DecodeNumber(std::string_view raw) {
  std::string_view t = Trim(raw);
  if (t.empty() || t.find_first_not_of('*') == std::string_view::npos) return Value::Null();
  if (t.front() == '+') t.remove_prefix(1);
  double v = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) {
    throw CellError("中的数值" + Quoted(raw) + "无法识别");
  }
  return Value::Float(v);
}

Value DecodeDate(std::string_view raw) {
  if (Trim(raw).empty() || raw == "00000000") return Value::Null();
  if (!AllDigits(raw)) throw CellError("中的日期" + Quoted(raw) + "不是年月日八位数字");
  const auto date = MakeDate(Digits(raw.substr(0, 4)), Digits(raw.substr(4, 2)), Digits(raw.substr(6, 2)));
  if (!date) throw CellError("中的日期" + Quoted(raw) + "不存在");
  return Value::FromDate(*date);
}

Value DecodeLogical(char c) {
  switch (c) {
    case 'T': case 't': case 'Y': case 'y': return Value::Boolean(true);
    case 'F': case 'f': case 'N': case 'n': return Value::Boolean(false);
    case '?': case ' ': return Value::Null();
    default: throw CellError("中的逻辑值" + Quoted(std::string_view(&c, 1)) + "无法识别");
  }
}

// The number as the system shows it (at most 15 significant digits), with
// the field's decimals, right-aligned.
std::string EncodeNumber(const DbfField& field, const Value& value) {
  if (!value.is_number()) throw CellError("不是数值");
  const double v = value.AsDouble();
  if (!std::isfinite(v)) throw CellError("不是有限的数值");
  const std::string text = FormatFixedNumber(v, static_cast<std::size_t>(field.decimals));
  const auto width = static_cast<std::size_t>(field.length);
  if (text.size() > width) {
    throw CellError("超出了dBase数值字段（宽" + std::to_string(field.length) + "位，" +
                    std::to_string(field.decimals) + "位小数）能存放的范围");
  }
  return std::string(width - text.size(), ' ') + text;
}

std::string EncodeDate(const Value& value) {
  Date date;
  if (value.kind() == Value::Kind::Date) {
    date = value.date();
  } else if (value.kind() == Value::Kind::DateTime) {
    date = value.date_time().date;
  } else {
    throw CellError("不是日期");
  }
  const CivilDate c = ToCivil(date);
  if (c.year < 1 || c.year > 9999) throw CellError("年份不在1至9999之间");
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", c.year, c.month, c.day);
  return buffer;
}

std::string EncodeText(const DbfField& field, const Value& value, const CodePage& code_page) {
  if (value.kind() == Value::Kind::Bytes) throw CellError("二进制数据不能存为文本");
  const auto width = static_cast<std::size_t>(field.length);
  std::string bytes = code_page.EncodeTruncated(value.ToDisplayText(width), width);
  bytes.resize(width, ' ');
  return bytes;
}

}  // namespace

Value DecodeCell(const DbfField& field, std::string_view raw, const CodePage& code_page) {
  switch (field.type) {
    case 'C':
      try {
        return Value::Text(code_page.Decode(StripTrailing(raw)));
      } catch (const text::TextError& e) {
        throw CellError(std::string("中的文字无法识别：") + e.what());
      }
    case 'N':
    case 'F':
      return DecodeNumber(raw);
    case 'D':
      return DecodeDate(raw);
    case 'L':
      return DecodeLogical(raw[0]);
    default:
      throw CellError(std::string("的类型") + field.type + "无法读取");
  }
}

std::string EncodeCell(const DbfField& field, const Value& value, const CodePage& code_page) {
  if (value.is_null()) return std::string(static_cast<std::size_t>(field.length), ' ');
  switch (field.type) {
    case 'C':
      return EncodeText(field, value, code_page);
    case 'N':
    case 'F':
      return EncodeNumber(field, value);
    case 'D':
      return EncodeDate(value);
    case 'L':
      if (value.kind() != Value::Kind::Boolean) {
        throw CellError("不是逻辑值");
      }
      return value.boolean() ? "T" : "F";
    default:
      throw CellError(std::string("dBase字段类型") + field.type + "不能存放单个值");
  }
}

std::optional<std::uint32_t> DecodeMemoPointer(std::string_view raw) {
  const std::string_view t = Trim(raw);
  if (t.empty()) return std::nullopt;
  std::uint32_t block = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), block);
  if (error != std::errc() || end != t.data() + t.size()) {
    throw CellError("中的备注块号" + Quoted(raw) + "无法识别");
  }
  if (block == 0) return std::nullopt;
  return block;
}

std::string EncodeMemoPointer(std::optional<std::uint32_t> block) {
  char buffer[16];
  if (!block) return std::string(10, ' ');
  std::snprintf(buffer, sizeof buffer, "%10u", *block);
  return buffer;
}

}  // namespace veltra::formats
