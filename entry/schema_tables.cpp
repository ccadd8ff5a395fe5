#include "entry/schema_tables.h"

#include <string>

#include "schema/schema.h"

namespace veltra::entry {

void DefineTable(db::Table& table, std::string_view file) {
  const schema::TableDef* def = schema::FindTable(file);
  if (def == nullptr) throw std::invalid_argument("no table definition for " + std::string(file));
  table.SetTableName(std::string(file));
  table.GetFieldDefs() = def->fields;
  db::IndexDefs& indexes = table.GetIndexDefs();
  indexes.clear();
  for (const schema::IndexDef& index : def->indexes) {
    std::string fields;
    for (const std::string& field : index.fields) fields += (fields.empty() ? "" : ";") + field;
    indexes.push_back({index.name, fields, index.primary, index.unique, index.case_insensitive});
  }
}

}  // namespace veltra::entry
