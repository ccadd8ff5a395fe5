#include "install/result_tables.h"

#include <algorithm>

#include "platform/text/ascii.h"
#include "schema/schema.h"

namespace veltra::install {

namespace {

// Validation adds ",is_chge" to every statement of this kind.
constexpr int kNationalProjects = 4;
constexpr const char* kCodeListScratch = "tmp_r.DB";

// The survey tables that a db_name expression reads: `kfq_1.db" a,kfq_2.db" b`.
std::vector<const schema::TableDef*> TablesOf(std::string_view db_name) {
  std::vector<const schema::TableDef*> tables;
  while (!db_name.empty()) {
    const std::size_t comma = db_name.find(',');
    const std::string_view part = TrimBlanks(db_name.substr(0, comma));
    db_name = comma == std::string_view::npos ? std::string_view() : db_name.substr(comma + 1);
    if (const schema::TableDef* table = schema::FindTable(part.substr(0, part.find('"')))) tables.push_back(table);
  }
  return tables;
}

// The widest definition of `column` among the tables a kind validates.
FieldDef ExtraColumn(const std::string& column, const std::vector<const schema::TableDef*>& tables,
                     const std::string& result) {
  FieldDef widest;
  for (const schema::TableDef* table : tables) {
    const int position = FindField(table->fields, column);
    if (position < 0) continue;
    const FieldDef& field = table->fields[static_cast<std::size_t>(position)];
    if (widest.name.empty() || field.size > widest.size) widest = field;
  }
  if (widest.name.empty()) throw InstallError(result + ": no validated table has the column " + column);
  widest.name = column;
  return widest;
}

struct Kind {
  int id;
  std::string result;
  std::vector<std::string> extras;
  std::vector<const schema::TableDef*> tables;
};

// The report kinds of the catalogue with the items their statements select
// after 编号 and 字段值, and the survey tables they read.
std::vector<Kind> KindsOf(const TableRows& catalogue) {
  std::vector<Kind> kinds;
  for (std::size_t row = 0; row < catalogue.rows.size(); ++row) {
    const int id = std::stoi(catalogue.Value(row, "id"));
    auto kind = std::find_if(kinds.begin(), kinds.end(), [id](const Kind& k) { return k.id == id; });
    if (kind == kinds.end()) {
      kinds.push_back(Kind{id, catalogue.Value(row, "check_result"), {}, {}});
      kind = kinds.end() - 1;
      if (kind->result.empty()) throw InstallError("check_db.DB: the first row of kind " + std::to_string(id) + " names no result table");
      if (id == kNationalProjects) kind->extras.push_back("is_chge");
    }
    for (const schema::TableDef* table : TablesOf(catalogue.Value(row, "db_name"))) kind->tables.push_back(table);
    std::string_view items = catalogue.Value(row, "field_name2");
    while (!items.empty()) {
      // field_name2 starts with a comma: ",code2".
      if (items.front() == ',') items.remove_prefix(1);
      const std::size_t comma = items.find(',');
      const std::string item(TrimBlanks(items.substr(0, comma)));
      items = comma == std::string_view::npos ? std::string_view() : items.substr(comma);
      if (!item.empty() && std::find(kind->extras.begin(), kind->extras.end(), item) == kind->extras.end()) {
        kind->extras.push_back(item);
      }
    }
  }

  return kinds;
}

}  // namespace

std::vector<ResultTable> ResultTables(const TableRows& catalogue) {
  const schema::TableDef* layout = schema::FindTable("check_r.db");
  std::vector<ResultTable> results;
  for (const Kind& kind : KindsOf(catalogue)) {
    auto result = std::find_if(results.begin(), results.end(), [&](const ResultTable& r) {
      return text::EqualsIgnoreAsciiCase(r.file_name, kind.result);
    });
    if (result == results.end()) {
      results.push_back(ResultTable{kind.result, layout->fields});
      result = results.end() - 1;
    }
    // Two kinds may share one result table (kinds 1 and 3, 6 and 11); it then needs the extras of both.
    auto position = result->fields.begin() + 2;
    for (const std::string& extra : kind.extras) {
      if (FindField(result->fields, extra) >= 0) continue;
      position = result->fields.insert(position, ExtraColumn(extra, kind.tables, kind.result)) + 1;
    }
  }
  return results;
}

// Each kind's code-list batches put its extra items into the columns after
// 字段值 by position (is_chge for national projects, code2 for the detail
// tables), so each such column must hold the widest item of any kind.
ResultTable CodeListScratch(const TableRows& catalogue) {
  const schema::TableDef* layout = schema::FindTable(kCodeListScratch);
  ResultTable scratch{kCodeListScratch, layout->fields};
  for (const Kind& kind : KindsOf(catalogue)) {
    for (std::size_t i = 0; i < kind.extras.size(); ++i) {
      const FieldDef item = ExtraColumn(kind.extras[i], kind.tables, kind.result);
      const std::size_t position = 2 + i;
      if (position == scratch.fields.size()) scratch.fields.push_back(item);
      scratch.fields[position].size = std::max(scratch.fields[position].size, item.size);
    }
  }
  return scratch;
}

}  // namespace veltra::install
