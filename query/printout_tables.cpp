#include "query/printout_tables.h"

#include "platform/db/table.h"

namespace veltra::query {
namespace {

std::optional<int> SizeIndex(const db::Field& field) {
  if (field.IsNull()) return std::nullopt;
  const std::int64_t size = field.AsInteger();
  if (size < 0 || size > kLargestFontSize) return std::nullopt;
  return static_cast<int>(size);
}

std::optional<TitleAlignment> Alignment(const db::Field& field) {
  if (field.IsNull()) return std::nullopt;
  const std::int64_t index = field.AsInteger();
  if (index < 0 || index > 2) return std::nullopt;
  return static_cast<TitleAlignment>(index);
}

}  // namespace

PrintoutTitle ReadPrintoutTitle(db::Database& database) {
  db::Table table(database);
  table.SetTableName("bt2_p.db");
  table.Open();
  PrintoutTitle title;
  if (table.IsEmpty()) return title;
  table.First();
  title.text = table.FieldByName("标题文字").AsString();
  title.alignment = Alignment(table.FieldByName("标题对齐"));
  title.title_size = SizeIndex(table.FieldByName("标题字号"));
  title.body_size = SizeIndex(table.FieldByName("正文字号"));
  return title;
}

std::vector<PrintColumn> ReadPrintColumns(db::Database& database, int field_count) {
  db::Table table(database);
  table.SetTableName("bt_p.db");
  table.Open();
  std::vector<PrintColumn> columns;
  for (table.First(); !table.Eof() && static_cast<int>(columns.size()) < field_count; table.Next()) {
    columns.push_back({table.FieldByName("表头文字").AsString(),
                       static_cast<int>(table.FieldByName("列宽度").AsInteger())});
  }
  if (static_cast<int>(columns.size()) < field_count) {
    throw EngineError(EngineError::Kind::State, EngineError::Words{"bt_p.db中只有" + std::to_string(columns.size()) +
                                                    "行表头文字，少于打印的" + std::to_string(field_count) +
                                                    "个字段"});
  }
  return columns;
}

}  // namespace veltra::query
