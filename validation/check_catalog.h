#pragma once
// The rule catalogue check_db.DB: one row per rule table that validation
// runs, the report kind in its first column (read by position). The first
// row of a kind also names the kind's result table, the caption of the
// validation window and the send-register text of the result table.
#include <string>

#include "platform/db/table.h"

namespace veltra::validation {

inline constexpr const char* kCatalogueTable = "check_db.DB";

// The report kind of the catalogue's current row.
int CatalogueKind(db::Table& catalogue);

struct KindHeader {
  std::string result_table;          // check_result
  std::string caption;               // text1
  std::string result_register_text;  // text3
};

// The first row of `kind` in the open catalogue; an EngineError naming the
// catalogue and the kind when it has none.
KindHeader FindKindHeader(db::Table& catalogue, int kind);

// The forms that the validation statements expect: the report-type filter
// of kind 4 (records whose is_chge is "1" or "2") and the select item
// that carries is_chge into its result; empty for every other kind.
std::string CheckReportTypeFilter(int kind);
std::string CheckSelectSuffix(int kind);

}  // namespace veltra::validation
