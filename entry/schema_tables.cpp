#include "entry/schema_tables.h"

#include <string>

#include "schema/schema.h"

namespace veltra::entry {

void DefineTable(db::Table& table, std::string_view file) {
  const schema::TableDef* def = schema::FindTable(file);
  if (def == nullptr) throw std::invalid_argument("no table definition for " + std::string(file));
  table.SetTableName(std::string(file));
  table.GetFieldDefs() = def->fields;
  table.GetIndexDefs() = def->indexes;
}

std::vector<PageDescription> PagesOf(std::string_view file) {
  std::vector<PageDescription> pages;
  if (const schema::TableDef* def = schema::FindTable(file)) {
    for (const schema::Page& page : def->pages) pages.push_back({page.name, page.caption});
  }
  return pages;
}

}  // namespace veltra::entry
