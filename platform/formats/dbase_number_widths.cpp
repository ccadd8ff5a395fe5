#include "platform/formats/dbase_number_widths.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/formats/dbase_header.h"
#include "platform/types/error.h"
#include "platform/types/number_text.h"

namespace veltra::formats {
namespace {

// Where a value of a column sits and what it takes of an N field: places
// before the point (sign included) and after it.
struct Placed {
  std::size_t record = 0;
  std::string text;
  int integer = 1;
  int decimals = 0;
};

Placed Place(std::size_t record, const Value& value) {
  Placed placed{record, FormatNumber(value.AsDouble())};
  const std::size_t point = placed.text.find('.');
  placed.integer = static_cast<int>(std::min(point, placed.text.size()));
  placed.decimals = point == std::string::npos ? 0 : static_cast<int>(placed.text.size() - point - 1);
  return placed;
}

int Width(int integer, int decimals) { return integer + (decimals > 0 ? decimals + 1 : 0); }

std::string RecordWords(const Placed& value) { return "第" + std::to_string(value.record + 1) + "条记录"; }

[[noreturn]] void Refuse(const std::filesystem::path& file, const std::string& field, const Placed& value,
                         const std::string& why) {
  const std::string reason = RecordWords(value) + "的这个数" + why;
  throw EngineError(EngineError::Kind::InvalidValue,
                    "表" + file.string() + "的字段“" + field + "”不能取值“" + value.text + "”：" + reason,
                    {file.filename().string(), field, value.text, 0, 0, reason});
}

FieldDef Fitted(const FieldDef& def, std::size_t column, const std::vector<Record>& records,
                const std::filesystem::path& file) {
  Placed widest;  // most integer places
  Placed finest;  // most decimals
  for (std::size_t r = 0; r < records.size(); ++r) {
    if (column >= records[r].size()) continue;
    const Value& value = records[r][column];
    // The writer refuses, in its own words, what is not a finite number.
    if (!value.is_number() || !std::isfinite(value.AsDouble())) continue;
    Placed placed = Place(r, value);
    if (placed.decimals > kMaxDbfDecimals || Width(placed.integer, placed.decimals) > kMaxDbfNumberWidth) {
      Refuse(file, def.name, placed,
             "任何dBase数值字段都存不下：dBase数值字段最宽" + std::to_string(kMaxDbfNumberWidth) +
                 "位（含符号和小数点），最多" + std::to_string(kMaxDbfDecimals) + "位小数");
    }
    if (placed.integer > widest.integer) widest = placed;
    if (placed.decimals > finest.decimals) finest = std::move(placed);
  }
  const DbfNumberWidth usual = DefaultDbfNumberWidth(def);
  const int room = kMaxDbfNumberWidth - widest.integer - 1;  // for decimals beside the widest value
  const int decimals = std::min(std::max(std::min(usual.decimals, kMaxDbfDecimals), finest.decimals),
                                std::max(room, 0));
  if (decimals < finest.decimals) {
    Refuse(file, def.name, finest,
           "有" + std::to_string(finest.decimals) + "位小数，而同一字段中" + RecordWords(widest) + "的“" +
               widest.text + "”的整数部分占" + std::to_string(widest.integer) + "位，合起来超出了dBase数值字段最宽的" +
               std::to_string(kMaxDbfNumberWidth) + "位");
  }
  const int length = std::min(std::max(usual.length, Width(widest.integer, decimals)), kMaxDbfNumberWidth);
  return {def.name, FieldType::Float, length, decimals};
}

}  // namespace

FieldDefs FitDbfNumberWidths(const FieldDefs& defs, const std::vector<Record>& records,
                             const std::filesystem::path& file) {
  FieldDefs fitted = defs;
  for (std::size_t c = 0; c < defs.size(); ++c) {
    if (IsNumericType(defs[c].type)) fitted[c] = Fitted(defs[c], c, records, file);
  }
  return fitted;
}

}  // namespace veltra::formats
