#include "dbtool/transpose.h"

#include <algorithm>

#include "platform/db/table.h"

namespace veltra::dbtool {
namespace {

constexpr int kMinimumWidth = 60;
// Wider than a Paradox string field cannot be.
constexpr int kMaximumWidth = 255;

int ColumnWidth(const FieldDefs& fields) {
  int width = kMinimumWidth;
  for (const FieldDef& def : fields) {
    if (def.type == FieldType::String) width = std::max(width, def.size + 1);
  }
  return std::min(width, kMaximumWidth);
}

}  // namespace

void TransposeToTable(db::Database& database, db::DataSet& source, std::string_view name) {
  if (!source.Active()) {
    throw EngineError(EngineError::Kind::State,
                      EngineError::Words{"没有打开的表或查询结果，不能行列交换"});
  }
  const FieldDefs& fields = source.FieldLayout();
  const int width = ColumnWidth(fields);
  const std::size_t records = static_cast<std::size_t>(source.RecordCount());

  FieldDefs columns{{"字段名", FieldType::String, width}};
  for (std::size_t n = 1; n <= records; ++n) {
    columns.push_back({"字段" + std::to_string(n), FieldType::String, width});
  }
  // Read everything before the old table goes: the source may be a query on it.
  std::vector<db::Row> rows(fields.size(), db::Row(columns.size()));
  for (std::size_t f = 0; f < fields.size(); ++f) rows[f][0] = Value::Text(fields[f].name);
  for (std::size_t r = 0; r < records; ++r) {
    const db::Row& record = source.RecordAt(r);
    for (std::size_t f = 0; f < fields.size(); ++f) rows[f][r + 1] = Value::Text(record[f].ToDisplayText());
  }

  database.CreateTable(name, db::TableType::Default, columns);
  db::Table target(database);
  target.SetTableName(std::string(name));
  target.Open();
  for (const db::Row& row : rows) {
    target.Append();
    for (std::size_t c = 0; c < row.size(); ++c) target.Fields(static_cast<int>(c)).SetValue(row[c]);
    target.Post();
  }
}

}  // namespace veltra::dbtool
