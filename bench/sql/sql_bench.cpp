// The validation-shaped workload over a kfq_1.db of 20,000 records and its
// 60,000-record detail, and the renumbering's clash check of a submission
// of 20,000 enterprises against a folder of 80,000, run by our SQL engine
// over in-memory tables and by SQLite (in memory, prepared statements) in
// the same process.
#include <cstdio>

#include "bench/common/kfq1_workload.h"
#include "bench/common/sqlite_mirror.h"
#include "platform/sql/engine.h"
#include "platform/types/error.h"
#include "schema/schema.h"
#include "tests/platform/sql/memory_catalog.h"
#include "tests/support/sqlite_oracle.h"

using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr int kFolderRecords = 80000;
constexpr int kSubmittedRecords = 20000;
constexpr const char* kSubmittedTable = "tmp\\kfq_1.db";

bool RunValidation() {
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
  return ours_rows == sqlite_rows;
}

// The submission holds enterprises the folder lacks, except that one in a
// hundred brings a folder enterprise's legal code under a new number and
// one in a hundred a folder enterprise's number under a new legal code.
bool RunClashCheck() {
  std::vector<Row> rows = MakeRecords(kMasterTable, kFolderRecords + kSubmittedRecords, 2011);
  std::vector<Row> submitted(rows.begin() + kFolderRecords, rows.end());
  rows.resize(kFolderRecords);
  const FieldDefs& fields = schema::FindTable(kMasterTable)->fields;
  const auto position = [&fields](const char* name) {
    std::size_t at = 0;
    while (fields[at].name != name) ++at;
    return at;
  };
  const std::size_t number = position("QA01");
  const std::size_t legal_code = position("QA03");
  for (std::size_t i = 0; i < submitted.size(); i += 100) {
    submitted[i][legal_code] = rows[i * 3][legal_code];
    submitted[i + 50][number] = rows[i * 3 + 1][number];
  }

  sql::testing::MemoryCatalog catalog;
  catalog.Add(kMasterTable, fields, rows);
  catalog.Add(kSubmittedTable, fields, submitted);
  sqlite3* db = OpenSqlite(":memory:");
  LoadSqlite(db, kMasterTable, fields, rows);
  LoadSqlite(db, kSubmittedTable, fields, submitted);
  CreateSqliteIndexes(db, kMasterTable, SchemaIndexes(kMasterTable));
  CreateSqliteIndexes(db, kSubmittedTable, SchemaIndexes(kMasterTable));

  const std::string columns = "select b.qa01 原报表编号,b.qa01 修改后编号,b.qa03 法人代码,b.qa04 企业名称 from ";
  const std::string condition =
      " where ((a.qa03=b.qa03) and (a.qa01!=b.qa01)) or ((a.qa03!=b.qa03) and (a.qa01=b.qa01))";
  auto start = std::chrono::steady_clock::now();
  std::vector<std::string> ours_rows;
  try {
    for (const auto& row : sql::RunStatement(columns + "\"kfq_1.db\" a,tmp\\kfq_1.db b" + condition, catalog).rows) {
      ours_rows.push_back(testing::CanonicalRow(row));
    }
  } catch (const EngineError& error) {
    std::printf("clash check refused after %.3f s: %s\n", SecondsSince(start), error.what());
    return false;
  }
  std::sort(ours_rows.begin(), ours_rows.end());
  const double ours = SecondsSince(start);

  start = std::chrono::steady_clock::now();
  const std::vector<std::string> sqlite_rows = SqliteRows(db, columns + "\"kfq_1.db\" a,\"tmp\\kfq_1.db\" b" + condition);
  const double theirs = SecondsSince(start);
  sqlite3_close(db);

  const bool same = SameContents("clashes", ours_rows, sqlite_rows);
  ReportRatio("clash check 20,000 against 80,000", ours, theirs);
  return same && !ours_rows.empty();
}

}  // namespace

int main() {
  const bool validation_agrees = RunValidation();
  const bool clashes_agree = RunClashCheck();
  return validation_agrees && clashes_agree ? 0 : 1;
}
