#include "platform/db/query.h"

#include "platform/db/database.h"
#include "platform/db/record_store.h"
#include "platform/sql/engine.h"

namespace veltra::db {

Query::Query(Database& database) : database_(database) {
  SQL.on_change = [this] { Close(); };
}

Query::~Query() {
  DetachSources();
  Close();
}

namespace {

sql::Result RunSelect(const std::string& statement, Database& database, std::size_t& rows_affected) {
  sql::Result result = sql::RunStatement(statement, database);
  rows_affected = result.rows_affected;
  if (!result.has_result_set) {
    throw EngineError(EngineError::Kind::State, "the statement was carried out but returns no result set");
  }
  return result;
}

}  // namespace

std::shared_ptr<RecordStore> Query::OpenStore() {
  sql::Result result = RunSelect(SQL.Text(), database_, rows_affected_);
  return std::make_shared<RecordStore>("query", std::move(result.columns), std::move(result.rows));
}

std::vector<Row> Query::TakeRows() {
  Close();
  return RunSelect(SQL.Text(), database_, rows_affected_).rows;
}

void Query::ExecSQL() {
  Close();
  rows_affected_ = sql::RunStatement(SQL.Text(), database_).rows_affected;
}

}  // namespace veltra::db
