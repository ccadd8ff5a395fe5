#include "entry/single_table.h"

#include <utility>

#include "entry/schema_tables.h"

namespace veltra::entry {

EntryDescription SingleTableDescription(MasterDescription master, std::string send_mark_statement) {
  EntryDescription d;
  d.pages = PagesOf(master.file);
  d.master = std::move(master);
  d.send_mark_statement = std::move(send_mark_statement);
  d.status_line = {"", false};
  d.hide_pages_when_empty = false;
  d.actions_on_cover_only = false;
  d.import_error_suffix.clear();
  return d;
}

}  // namespace veltra::entry
