// Times the table engine on real files beside SQLite doing the same work
// on a file database: opening a 20,000-record enterprise table of 211
// fields and running validation-shaped statements over it, an import by
// key of 20,000 records into a table holding 10,000 of them, and 1,000
// single posts each with its flush. Prints each time and the ratio.
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

constexpr int kRecords = 20000;
constexpr int kStrings = 100;
constexpr int kNumbers = 108;  // with ID, QA01, QA02: 211 fields

FieldDefs EnterpriseFields() {
  FieldDefs fields = {{"ID", FieldType::String, 20}, {"QA01", FieldType::String, 10}, {"QA02", FieldType::String, 60}};
  char name[16];
  for (int i = 1; i <= kStrings; ++i) {
    std::snprintf(name, sizeof name, "QS%03d", i);
    fields.push_back({name, FieldType::String, 20});
  }
  for (int i = 1; i <= kNumbers; ++i) {
    std::snprintf(name, sizeof name, "QN%03d", i);
    fields.push_back({name, FieldType::Float, 0});
  }
  return fields;
}

formats::Record EnterpriseRecord(int n, int version) {
  formats::Record record;
  const std::string key = std::to_string(100000 + n);
  record.push_back(Value::Text("P" + key));
  record.push_back(Value::Text(key));
  record.push_back(Value::Text("企业" + key + "有限公司"));
  for (int i = 1; i <= kStrings; ++i) record.push_back(Value::Text(i % 10 == 0 ? "" : "代码" + std::to_string((n + i) % 50)));
  for (int i = 1; i <= kNumbers; ++i) {
    // About one record in twenty fails each range rule.
    record.push_back(Value::Float(((n * 7 + i) % 20 == 0 ? -1.0 : 1.0) * (n % 1000 + i + version)));
  }
  return record;
}

const std::vector<std::string>& ValidationStatements() {
  static const std::vector<std::string> statements = [] {
    std::vector<std::string> list;
    for (int i = 1; i <= 8; ++i) {
      char number[8];
      std::snprintf(number, sizeof number, "%03d", i);
      list.push_back(std::string("select QA01 bh, QN") + number + " zdz from \"kfq_1.db\" where not (QN" + number +
                     ">=0 and QN" + number + "<=1e9)");
    }
    list.push_back("select QA01 bh, QA02 zdz from \"kfq_1.db\" where not (QA02 is not null and QS001 is not null)");
    std::string codes = "select QA01 bh, QS002 zdz from \"kfq_1.db\" where not (QS002='代码0'";
    for (int c = 1; c < 40; ++c) codes += " or QS002='代码" + std::to_string(c) + "'";
    list.push_back(codes + ")");
    list.push_back("select QS003, sum(QN010), count(*) from \"kfq_1.db\" group by QS003");
    return list;
  }();
  return statements;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, double engine, double sqlite) {
  std::printf("%-44s engine %9.3f s   sqlite %9.3f s   ratio %8.3f\n", what, engine, sqlite, engine / sqlite);
}

// ---- SQLite side

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s in %s\n", error, sql.substr(0, 80).c_str());
    std::exit(1);
  }
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
  return statement;
}

void Bind(sqlite3_stmt* statement, const formats::Record& record) {
  for (std::size_t i = 0; i < record.size(); ++i) {
    const Value& v = record[i];
    const int at = static_cast<int>(i) + 1;
    if (v.is_null()) {
      sqlite3_bind_null(statement, at);
    } else if (v.kind() == Value::Kind::Text) {
      sqlite3_bind_text(statement, at, v.text().c_str(), -1, SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_double(statement, at, v.AsDouble());
    }
  }
}

std::string Columns(const FieldDefs& fields) {
  std::string columns;
  for (const FieldDef& f : fields) columns += (columns.empty() ? "" : ",") + f.name;
  return columns;
}

std::string Placeholders(std::size_t count) {
  std::string marks;
  for (std::size_t i = 0; i < count; ++i) marks += i ? ",?" : "?";
  return marks;
}

void CreateSqliteTable(sqlite3* db, const std::string& name, int first, int count, int version) {
  const FieldDefs fields = EnterpriseFields();
  std::string columns;
  for (const FieldDef& f : fields) {
    columns += (columns.empty() ? "" : ",") + f.name + (f.type == FieldType::Float ? " REAL" : " TEXT");
  }
  Exec(db, "create table \"" + name + "\" (" + columns + ", primary key (ID))");
  Exec(db, "create index \"" + name + "_qa01\" on \"" + name + "\" (QA01)");
  Exec(db, "begin");
  sqlite3_stmt* insert = Prepare(db, "insert into \"" + name + "\" values (" + Placeholders(fields.size()) + ")");
  for (int n = first; n < first + count; ++n) {
    Bind(insert, EnterpriseRecord(n, version));
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "commit");
}

std::size_t SqliteStatement(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = Prepare(db, sql);
  std::vector<std::vector<std::string>> rows;  // materialised, as the engine does
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      const unsigned char* text = sqlite3_column_text(statement, c);
      row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  return rows.size();
}

// ---- engine side

void ImportByKey(db::Table& source, db::Table& target) {
  target.DisableConstraints();
  target.SetIndexFieldNames("");
  target.SetIndexName("kfq_1");
  for (source.First(); !source.Eof(); source.Next()) {
    target.SetKey();
    target.FieldByName("QA01").SetValue(source.FieldByName("QA01").Value());
    if (target.GotoKey()) {
      target.Edit();
    } else {
      target.Append();
    }
    for (int i = 0; i < source.FieldCount(); ++i) {
      db::Field& from = source.Fields(i);
      if (db::Field* to = target.FindField(from.FieldName())) to->SetValue(from.Value());
    }
    target.Post();
  }
  target.EnableConstraints();
}

}  // namespace

int main() {
  char pattern[] = "/tmp/veltra_db_bench_XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  const FieldDefs fields = EnterpriseFields();
  std::printf("building %d records of %zu fields in %s\n", kRecords, fields.size(), folder.c_str());

  std::vector<formats::Record> all;
  for (int n = 0; n < kRecords; ++n) all.push_back(EnterpriseRecord(n, 1));
  formats::CreateTableFile(folder / "kfq_1.db", formats::TableKind::Paradox, fields, all);
  formats::CreateTableFile(folder / "kfq_t.db", formats::TableKind::Paradox, fields,
                           std::vector<formats::Record>(all.begin(), all.begin() + kRecords / 2));
  formats::CreateTableFile(folder / "posts.db", formats::TableKind::Paradox, fields);
  sqlite3* lite = nullptr;
  sqlite3_open((folder / "bench.sqlite").c_str(), &lite);
  CreateSqliteTable(lite, "kfq_1.db", 0, kRecords, 1);
  CreateSqliteTable(lite, "kfq_t.db", 0, kRecords / 2, 0);
  CreateSqliteTable(lite, "posts.db", 0, 0, 0);
  sqlite3_close(lite);

  const db::IndexDefs indexes = {{"", "ID", true}, {"kfq_1", "QA01"}};

  // Open plus validation statements.
  std::size_t engine_rows = 0;
  std::size_t sqlite_rows = 0;
  const double engine_validation = Seconds([&] {
    db::Database database(folder);
    db::Query query(database);
    for (const std::string& statement : ValidationStatements()) {
      query.Close();
      query.SQL.Clear();
      query.SQL.Add(statement);
      query.Open();
      engine_rows += static_cast<std::size_t>(query.RecordCount());
    }
  });
  const double sqlite_validation = Seconds([&] {
    sqlite3* db = nullptr;
    sqlite3_open((folder / "bench.sqlite").c_str(), &db);
    for (const std::string& statement : ValidationStatements()) sqlite_rows += SqliteStatement(db, statement);
    sqlite3_close(db);
  });
  std::printf("validation rows: engine %zu, sqlite %zu\n", engine_rows, sqlite_rows);
  Report("open + 11 validation statements", engine_validation, sqlite_validation);

  // Import by key.
  const double engine_import = Seconds([&] {
    db::Database database(folder);
    db::Table source(database);
    source.SetTableName("kfq_1.db");
    source.Open();
    db::Table target(database);
    target.SetTableName("kfq_t.db");
    target.GetIndexDefs() = indexes;
    target.Open();
    ImportByKey(source, target);
  });
  const double sqlite_import = Seconds([&] {
    sqlite3* db = nullptr;
    sqlite3_open((folder / "bench.sqlite").c_str(), &db);
    Exec(db, "begin");
    sqlite3_stmt* read = Prepare(db, "select * from \"kfq_1.db\"");
    sqlite3_stmt* find = Prepare(db, "select rowid from \"kfq_t.db\" where QA01=?");
    std::string assignments;
    for (const FieldDef& f : fields) assignments += (assignments.empty() ? "" : ",") + f.name + "=?";
    sqlite3_stmt* update = Prepare(db, "update \"kfq_t.db\" set " + assignments + " where rowid=?");
    sqlite3_stmt* insert =
        Prepare(db, "insert into \"kfq_t.db\" (" + Columns(fields) + ") values (" + Placeholders(fields.size()) + ")");
    const int columns = static_cast<int>(fields.size());
    while (sqlite3_step(read) == SQLITE_ROW) {
      sqlite3_bind_value(find, 1, sqlite3_column_value(read, 1));
      const bool found = sqlite3_step(find) == SQLITE_ROW;
      const sqlite3_int64 rowid = found ? sqlite3_column_int64(find, 0) : 0;
      sqlite3_reset(find);
      sqlite3_stmt* write = found ? update : insert;
      for (int c = 0; c < columns; ++c) sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
      if (found) sqlite3_bind_int64(write, columns + 1, rowid);
      sqlite3_step(write);
      sqlite3_reset(write);
    }
    for (sqlite3_stmt* s : {read, find, update, insert}) sqlite3_finalize(s);
    Exec(db, "commit");
    sqlite3_close(db);
  });
  Report("import 20,000 by key into 10,000", engine_import, sqlite_import);

  // Single posts with flush.
  constexpr int kPosts = 1000;
  db::Database database(folder);
  db::Table posts(database);
  posts.SetTableName("posts.db");
  posts.GetIndexDefs() = indexes;
  posts.Open();
  const double engine_posts = Seconds([&] {
    for (int n = 0; n < kPosts; ++n) {
      const formats::Record record = EnterpriseRecord(n, 2);
      posts.Append();
      for (int i = 0; i < posts.FieldCount(); ++i) posts.Fields(i).SetValue(record[i]);
      posts.Post();
      posts.FlushBuffers();
    }
  });
  const double sqlite_posts = Seconds([&] {
    sqlite3* db = nullptr;
    sqlite3_open((folder / "bench.sqlite").c_str(), &db);
    sqlite3_stmt* insert = Prepare(db, "insert into \"posts.db\" values (" + Placeholders(fields.size()) + ")");
    for (int n = 0; n < kPosts; ++n) {
      Bind(insert, EnterpriseRecord(n, 2));
      sqlite3_step(insert);  // autocommit: one transaction per post
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
  });
  Report("1,000 single posts with flush", engine_posts, sqlite_posts);
  std::printf("one post with flush: engine %.3f ms, sqlite %.3f ms\n", engine_posts, sqlite_posts);

  fs::remove_all(folder);
  return 0;
}
