// The table engine on real Paradox files beside SQLite doing the same work
// on a file database: opening kfq_1.db (20,000 records) and its detail and
// running the validation-shaped workload over them, importing 20,000
// records by key into a table holding 10,000 of them, one UPDATE of all
// 20,000 records (a statement syncs once at its end; SQLite's default
// synchronous=FULL with its rollback journal), and 1,000 single
// posts (for SQLite one transaction per post), once each forced to the
// disk (our flush, SQLite's synchronous=FULL) and once only handed to the
// operating system (no flush, synchronous=OFF). The imported table must
// hold the same rows on both sides.
//
//   db_bench [--folder DIR]
//
// --folder takes kfq_1.db and kfq_2.db of an existing working folder
// instead of the generated ones; the import then goes into a table of its
// first half of enterprises with their numbers emptied.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/common/import_by_key.h"
#include "bench/common/kfq1_workload.h"
#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr const char* kImportTarget = "kfq_t.db";
constexpr const char* kPostTarget = "posts.db";
constexpr int kPosts = 1000;

void Exec(sqlite3* db, const std::string& sql) {
  CheckSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  CheckSqlite(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), db);
  return statement;
}

// The same tables in both: Paradox files in `folder` and `sqlite_file`.
void WriteTables(const fs::path& folder, const fs::path& sqlite_file, const Kfq1Data& data,
                 const std::vector<Row>& import_target) {
  const db::IndexDefs& master_indexes = SchemaIndexes(kMasterTable);
  formats::CreateTableFile(folder / kMasterTable, formats::TableKind::Paradox, data.master_fields, data.master);
  formats::CreateTableFile(folder / kDetailTable, formats::TableKind::Paradox, data.detail_fields, data.detail);
  formats::CreateTableFile(folder / kImportTarget, formats::TableKind::Paradox, data.master_fields, import_target);
  formats::CreateTableFile(folder / kPostTarget, formats::TableKind::Paradox, data.master_fields);
  sqlite3* db = OpenSqlite(sqlite_file);
  LoadSqlite(db, kMasterTable, data.master_fields, data.master);
  CreateSqliteIndexes(db, kMasterTable, master_indexes);
  LoadSqlite(db, kDetailTable, data.detail_fields, data.detail);
  CreateSqliteIndexes(db, kDetailTable, SchemaIndexes(kDetailTable));
  LoadSqlite(db, kImportTarget, data.master_fields, import_target);
  CreateSqliteIndexes(db, kImportTarget, master_indexes);
  LoadSqlite(db, kPostTarget, data.master_fields, {});
  CreateSqliteIndexes(db, kPostTarget, master_indexes);
  sqlite3_close(db);
}

std::size_t EngineStatements(const fs::path& folder, const std::vector<std::string>& statements) {
  db::Database database(folder);
  db::Query query(database);
  std::size_t rows = 0;
  for (const std::string& statement : statements) {
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(statement);
    query.Open();
    rows += static_cast<std::size_t>(query.RecordCount());
  }
  return rows;
}

// As the import windows do: match the fields by name once, then for each
// record find it by its key, edit it or append one, and copy the fields.
void EngineImport(const fs::path& folder) {
  db::Database database(folder);
  db::Table source(database);
  source.SetTableName(kMasterTable);
  source.Open();
  db::Table target(database);
  target.SetTableName(kImportTarget);
  target.GetIndexDefs() = SchemaIndexes(kMasterTable);
  target.Open();
  ImportByKey(source, target, SchemaIndexes(kMasterTable).front());
}

// Every record of kfq_1.db changed by one statement.
std::string UpdateEveryRecord(const FieldDefs& fields) {
  for (const FieldDef& field : fields) {
    if (field.type == FieldType::Float) return "update \"" + std::string(kMasterTable) + "\" set " + field.name + " = " + field.name + " + 1";
  }
  return {};
}

// Seconds of the statement alone: the table is read in beforehand.
double EngineUpdate(const fs::path& folder, const std::string& statement) {
  db::Database database(folder);
  {
    db::Table warm(database);
    warm.SetTableName(kMasterTable);
    warm.Open();
  }
  db::Query query(database);
  query.SQL.Add(statement);
  const auto start = std::chrono::steady_clock::now();
  query.ExecSQL();
  return SecondsSince(start);
}

void SqliteImport(const fs::path& sqlite_file, const FieldDefs& fields) {
  sqlite3* db = OpenSqlite(sqlite_file);
  Exec(db, "begin");
  std::string columns, marks, assignments;
  for (const FieldDef& field : fields) {
    columns += (columns.empty() ? "" : ",") + field.name;
    marks += marks.empty() ? "?" : ",?";
    assignments += (assignments.empty() ? "" : ",") + field.name + "=?";
  }
  const std::string target = std::string("\"") + kImportTarget + "\"";
  sqlite3_stmt* read = Prepare(db, std::string("select * from \"") + kMasterTable + "\"");
  sqlite3_stmt* find = Prepare(db, "select rowid from " + target + " where QA01=?");
  sqlite3_stmt* update = Prepare(db, "update " + target + " set " + assignments + " where rowid=?");
  sqlite3_stmt* insert = Prepare(db, "insert into " + target + " (" + columns + ") values (" + marks + ")");
  const int count = static_cast<int>(fields.size());
  const int key = FindField(fields, "QA01");
  while (sqlite3_step(read) == SQLITE_ROW) {
    sqlite3_bind_value(find, 1, sqlite3_column_value(read, key));
    const bool found = sqlite3_step(find) == SQLITE_ROW;
    const sqlite3_int64 rowid = found ? sqlite3_column_int64(find, 0) : 0;
    sqlite3_reset(find);
    sqlite3_stmt* write = found ? update : insert;
    for (int c = 0; c < count; ++c) sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
    if (found) sqlite3_bind_int64(write, count + 1, rowid);
    CheckSqlite(sqlite3_step(write), db);
    sqlite3_reset(write);
  }
  for (sqlite3_stmt* statement : {read, find, update, insert}) sqlite3_finalize(statement);
  Exec(db, "commit");
  sqlite3_close(db);
}

void EnginePosts(const fs::path& folder, const std::vector<Row>& rows, bool synced) {
  db::Database database(folder);
  db::Table posts(database);
  posts.SetTableName(kPostTarget);
  posts.GetIndexDefs() = SchemaIndexes(kMasterTable);
  posts.Open();
  for (const Row& row : rows) {
    posts.Append();
    for (int i = 0; i < posts.FieldCount(); ++i) posts.Fields(i).SetValue(row[static_cast<std::size_t>(i)]);
    posts.Post();
    if (synced) posts.FlushBuffers();
  }
}

void SqlitePosts(const fs::path& sqlite_file, const FieldDefs& fields, const std::vector<Row>& rows, bool synced) {
  sqlite3* db = OpenSqlite(sqlite_file);
  Exec(db, synced ? "pragma synchronous=full" : "pragma synchronous=off");
  std::string marks;
  for (std::size_t i = 0; i < fields.size(); ++i) marks += i ? ",?" : "?";
  sqlite3_stmt* insert = Prepare(db, std::string("insert into \"") + kPostTarget + "\" values (" + marks + ")");
  for (const Row& row : rows) {
    BindRow(insert, row);
    CheckSqlite(sqlite3_step(insert), db);  // autocommit: one transaction per post
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);
}

// The records of a table file, and its fields in `fields`.
std::vector<Row> ReadTable(const fs::path& file, FieldDefs& fields) {
  auto table = formats::OpenTableFile(file);
  fields = table->fields();
  return table->ReadAll();
}

// The first half of `records` with every number emptied, for the import to fill again.
std::vector<Row> FirstHalfWithoutNumbers(const std::vector<Row>& records) {
  std::vector<Row> half(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(records.size() / 2));
  for (Row& row : half) {
    for (Value& value : row) {
      if (value.is_number()) value = Value();
    }
  }
  return half;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<FolderOptions> options = ParseFolderOptions(argc, argv, false);
  if (!options) return 2;
  const fs::path& source = options->folder;
  char pattern[] = "/tmp/veltra_db_bench_XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  const fs::path sqlite_file = folder / "bench.sqlite";
  Kfq1Data data;
  std::vector<Row> import_target;
  if (source.empty()) {
    data = MakeKfq1Data(kMasterRecords, 2011);
    // The same first 10,000 enterprises with other figures.
    import_target = MakeKfq1Data(kMasterRecords / 2, 2012).master;
  } else {
    data.master = ReadTable(source / kMasterTable, data.master_fields);
    data.detail = ReadTable(source / kDetailTable, data.detail_fields);
    import_target = FirstHalfWithoutNumbers(data.master);
  }
  std::printf("writing %zu records of %zu fields and %zu details in %s\n", data.master.size(),
              data.master_fields.size(), data.detail.size(), folder.c_str());
  WriteTables(folder, sqlite_file, data, import_target);
  const std::vector<std::string> statements = ValidationWorkload(data.master_fields);

  auto start = std::chrono::steady_clock::now();
  const std::size_t engine_rows = EngineStatements(folder, statements);
  const double engine_validation = SecondsSince(start);
  start = std::chrono::steady_clock::now();
  sqlite3* db = OpenSqlite(sqlite_file);
  const std::size_t sqlite_rows = RunSqlite(db, statements);
  sqlite3_close(db);
  const double sqlite_validation = SecondsSince(start);
  std::printf("statements: %zu, rows: engine %zu, sqlite %zu\n", statements.size(), engine_rows, sqlite_rows);
  ReportRatio("open + validation statements", engine_validation, sqlite_validation);

  start = std::chrono::steady_clock::now();
  EngineImport(folder);
  const double engine_import = SecondsSince(start);
  start = std::chrono::steady_clock::now();
  SqliteImport(sqlite_file, data.master_fields);
  const double sqlite_import = SecondsSince(start);
  const std::string import_what = "import " + std::to_string(data.master.size()) + " by key into " +
                                  std::to_string(import_target.size());
  ReportRatio(import_what.c_str(), engine_import, sqlite_import);
  db = OpenSqlite(sqlite_file);
  const bool same = SameContents(kImportTarget, TableFileRows(folder / kImportTarget),
                                 SqliteRows(db, std::string("select * from \"") + kImportTarget + "\"",
                                            &data.master_fields));
  sqlite3_close(db);

  const std::string update = UpdateEveryRecord(data.master_fields);
  const double engine_update = EngineUpdate(folder, update);
  start = std::chrono::steady_clock::now();
  db = OpenSqlite(sqlite_file);
  Exec(db, update);
  sqlite3_close(db);
  ReportRatio("update of all 20,000 records", engine_update, SecondsSince(start));

  for (const bool synced : {true, false}) {
    const std::size_t first = synced ? 0 : kPosts;
    const std::vector<Row> posted(data.master.begin() + first, data.master.begin() + first + kPosts);
    start = std::chrono::steady_clock::now();
    EnginePosts(folder, posted, synced);
    const double engine_posts = SecondsSince(start);
    start = std::chrono::steady_clock::now();
    SqlitePosts(sqlite_file, data.master_fields, posted, synced);
    const double sqlite_posts = SecondsSince(start);
    ReportRatio(synced ? "1,000 single posts, synced" : "1,000 single posts, not synced", engine_posts, sqlite_posts);
    std::printf("one post: engine %.3f ms, sqlite %.3f ms\n", engine_posts, sqlite_posts);
  }

  fs::remove_all(folder);
  return engine_rows == sqlite_rows && same ? 0 : 1;
}
