#include "dbtool/statement_runner.h"

#include "platform/sql/parser.h"

namespace veltra::dbtool {

StatementOutcome RunStatement(db::Query& query) {
  // Parsed first so that a statement without result runs exactly once.
  if (sql::ParseStatement(query.SQL.Text()).kind == sql::Statement::Kind::Select) {
    query.Open();
    return {true, 0};
  }
  query.ExecSQL();
  return {false, query.RowsAffected()};
}

std::string RowsChangedNotice(std::size_t rows_changed) {
  return "语句已执行，共修改了 " + std::to_string(rows_changed) + " 条记录";
}

}  // namespace veltra::dbtool
