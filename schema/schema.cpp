#include "schema/schema.h"

#include "platform/text/ascii.h"
#include "schema/definition_parser.h"
#include "schema/embedded_file.h"

namespace veltra::schema {

// Built from schema/tables by the build.
const std::vector<EmbeddedFile>& EmbeddedDefinitions();

namespace {

// Relations between tables, which no single definition can check.
void CheckAcrossTables(const std::vector<TableDef>& tables) {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (text::EqualsIgnoreAsciiCase(tables[i].file_name, tables[j].file_name)) {
        throw DefinitionError("table " + tables[i].file_name + " is defined twice");
      }
    }
    const auto& master = tables[i].master;
    if (!master) continue;
    const TableDef* found = nullptr;
    for (const TableDef& candidate : tables) {
      if (candidate.Matches(master->master_table)) found = &candidate;
    }
    if (!found) throw DefinitionError(tables[i].file_name + " names unknown master " + master->master_table);
    for (const std::string& field : master->fields) {
      if (FindField(found->fields, field) < 0) {
        throw DefinitionError(tables[i].file_name + " links on " + field + ", which " +
                              found->file_name + " lacks");
      }
    }
  }
}

std::vector<TableDef> LoadAll() {
  std::vector<TableDef> tables;
  for (const EmbeddedFile& source : EmbeddedDefinitions()) {
    for (TableDef& table : ParseTableDefinitions(source.text, source.name)) tables.push_back(std::move(table));
  }
  CheckAcrossTables(tables);
  return tables;
}

}  // namespace

const std::vector<TableDef>& AllTables() {
  static const std::vector<TableDef> tables = LoadAll();
  return tables;
}

std::vector<const TableDef*> SurveyTables() {
  std::vector<const TableDef*> result;
  for (const TableDef& table : AllTables()) {
    if (table.survey) result.push_back(&table);
  }
  return result;
}

const TableDef* FindTable(std::string_view name) {
  const TableDef* layout = nullptr;
  for (const TableDef& table : AllTables()) {
    if (!table.Matches(name)) continue;
    if (!table.is_layout()) return &table;  // a table of that very name wins over a layout
    if (!layout) layout = &table;
  }
  return layout;
}

std::vector<const TableDef*> DetailsOf(std::string_view master_file) {
  std::vector<const TableDef*> result;
  for (const TableDef& table : AllTables()) {
    if (table.master && text::EqualsIgnoreAsciiCase(table.master->master_table, master_file)) {
      result.push_back(&table);
    }
  }
  return result;
}

}  // namespace veltra::schema
