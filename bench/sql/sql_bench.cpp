// The validation-shaped workload over a kfq_1.db of 20,000 records and its
// 60,000-record detail, run by our SQL engine over in-memory tables and by
// SQLite (in memory, prepared statements) in the same process.
#include <cstdio>

#include "bench/common/kfq1_workload.h"
#include "platform/sql/engine.h"
#include "tests/platform/sql/memory_catalog.h"

using namespace veltra;
using namespace veltra::bench;

int main() {
  const Kfq1Data data = MakeKfq1Data(kMasterRecords, 2011);
  sql::testing::MemoryCatalog catalog;
  catalog.Add(kMasterTable, data.master_fields, data.master);
  catalog.Add(kDetailTable, data.detail_fields, data.detail);
  sqlite3* db = OpenSqliteWorkload(data);
  const std::vector<std::string> statements = ValidationWorkload(data.master_fields);

  auto start = std::chrono::steady_clock::now();
  std::size_t ours_rows = 0;
  for (const std::string& statement : statements) ours_rows += sql::RunStatement(statement, catalog).rows.size();
  const double ours = SecondsSince(start);

  start = std::chrono::steady_clock::now();
  const std::size_t sqlite_rows = RunSqlite(db, statements);
  const double theirs = SecondsSince(start);
  sqlite3_close(db);

  std::printf("statements: %zu (200 plain rules, 1 grouped rule, 1 sum of 77 columns)\n", statements.size());
  std::printf("rows: ours %zu, sqlite %zu\n", ours_rows, sqlite_rows);
  ReportRatio("validation statements in memory", ours, theirs);
  return ours_rows == sqlite_rows ? 0 : 1;
}
