#include "entry/single_table.h"

#include <utility>

#include "entry/schema_tables.h"

namespace veltra::entry {

EntryDescription SingleTableDescription(MasterDescription master, std::string send_mark_statement) {
  EntryDescription d;
  master.import_failure_suffix.clear();
  d.pages = PagesOf(master.file);
  d.master = std::move(master);
  d.send_mark_statement = std::move(send_mark_statement);
  d.status_line = {"", false};
  d.cover_page_rules = false;
  return d;
}

}  // namespace veltra::entry
