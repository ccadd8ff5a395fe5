#pragma once
// "执行SQL语句": a select opens the query so the grid shows its rows; an
// insert, update or delete is carried out once, and the outcome tells how
// many rows it changed, for the window to say so instead of reporting a
// missing result set as an error.
#include <cstddef>
#include <string>

#include "platform/db/query.h"

namespace veltra::dbtool {

struct StatementOutcome {
  bool has_rows = false;         // the query is open on the result
  std::size_t rows_changed = 0;  // for a statement without result
};

// Runs the statement already in `query.SQL`. Throws the engine's errors
// (syntax with line and column, unknown table or field ...).
StatementOutcome RunStatement(db::Query& query);

// What the windows tell the user after a statement without result, under
// the title kStatementNoticeTitle.
inline constexpr const char* kStatementNoticeTitle = "提示信息";
std::string RowsChangedNotice(std::size_t rows_changed);

}  // namespace veltra::dbtool
