#pragma once
// The validation result tables that the rule catalogue names. Rows are
// appended to them by position, so a kind whose statements select more
// items than 编号 and 字段值 (is_chge for national projects, the items of
// field_name2 such as code2) needs those columns right after 字段值.
#include <string>
#include <vector>

#include "install/row_file.h"
#include "platform/types/field.h"

namespace veltra::install {

struct ResultTable {
  std::string file_name;
  FieldDefs fields;
};

// One table per distinct result table of `catalogue` (the rows of check_db.DB).
std::vector<ResultTable> ResultTables(const TableRows& catalogue);

// tmp_r.DB, the scratch table of validation's code lists: 编号, 字段值, then
// columns wide enough for the extra items that any kind selects.
ResultTable CodeListScratch(const TableRows& catalogue);

}  // namespace veltra::install
