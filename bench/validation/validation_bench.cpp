// Times the validation of report kind 1 on a synthetic working folder of
// 20,000 enterprises, 60,000 products and 40,000 projects (the default
// installation's catalogue and rules plus 200 generated plain rules), and
// beside it SQLite running the statements of that run on the same data in
// a file database (synchronous off: the engine's writes, too, reach the
// operating system rather than the disk). SQLite steps every select to
// its end and copies the values out, but does not append the rows
// anywhere (its result table stays empty, so its stamping updates touch
// nothing), so its side is the smaller amount of work.
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "install/working_folder.h"
#include "platform/formats/table_file.h"
#include "schema/schema.h"
#include "validation/check_catalog.h"
#include "validation/check_run.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

// VELTRA_BENCH_ENTERPRISES overrides the size for a quick look.
const int kEnterprises = std::getenv("VELTRA_BENCH_ENTERPRISES") ? std::atoi(std::getenv("VELTRA_BENCH_ENTERPRISES")) : 20000;
constexpr int kProductsEach = 3;
constexpr int kProjectsEach = 2;
constexpr int kGeneratedRules = 200;

std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

// A value for field `f` of record `n`: keys where the tables need them,
// else small codes and numbers of which about one in a thousand is negative.
Value Synthetic(const FieldDef& field, int n, int f) {
  switch (field.type) {
    case FieldType::String: {
      std::string text = std::to_string((n + f) % 3 + 1);
      if (field.size >= 6) text = Number((n * 7 + f) % 1000000);
      return Value::Text(text);
    }
    case FieldType::Float:
      return Value::Float(((n * 13 + f) % 1000 == 0 ? -1.0 : 1.0) * (n % 1000 + 1));
    case FieldType::SmallInt:
    case FieldType::Integer:
      return Value::Integer((n + f) % 100);
    default:
      return Value();
  }
}

void SetText(formats::Record& record, const FieldDefs& fields, const char* name, std::string value) {
  record[FindField(fields, name)] = Value::Text(std::move(value));
}

std::vector<formats::Record> Records(const FieldDefs& fields, int count, int per_enterprise, const char* sequence) {
  std::vector<formats::Record> records;
  records.reserve(count);
  for (int n = 0; n < count; ++n) {
    formats::Record record;
    for (std::size_t f = 0; f < fields.size(); ++f) record.push_back(Synthetic(fields[f], n, static_cast<int>(f)));
    const std::string qa01 = Number(n / per_enterprise + 1);
    SetText(record, fields, "QA01", qa01);
    if (sequence != nullptr) {
      const std::string k = std::to_string(n % per_enterprise + 1);
      SetText(record, fields, sequence, k);
      SetText(record, fields, "ID", qa01 + "_" + k);
    } else {
      SetText(record, fields, "Id", qa01);
    }
    records.push_back(std::move(record));
  }
  return records;
}

void WriteSurveyTable(const fs::path& folder, const char* name, int count, int per_enterprise, const char* sequence) {
  const FieldDefs& fields = schema::FindTable(name)->fields;
  formats::CreateTableFile(folder / name, formats::TableKind::Paradox, fields,
                           Records(fields, count, per_enterprise, sequence));
}

// Plain rules over the enterprise table's numeric fields.
void AddGeneratedRules(const fs::path& folder) {
  auto rules = formats::OpenTableFile(folder / "kfq1_chk.db");
  const FieldDefs& fields = schema::FindTable("kfq_1.db")->fields;
  std::vector<std::string> numbers;
  for (const FieldDef& field : fields)
    if (field.type == FieldType::Float) numbers.push_back(field.name);
  for (int r = 0; r < kGeneratedRules; ++r) {
    const std::string& a = numbers[r % numbers.size()];
    const std::string& b = numbers[(r * 7 + 3) % numbers.size()];
    formats::Record rule(rules->fields().size());
    rule[0] = Value::Text(a);
    rule[1] = Value::Text(r % 2 ? a + ">=0" : a + "<=" + b + "+1000");
    rule[2] = Value::Text("生成规则" + std::to_string(r));
    rule[4] = Value::Text(r % 3 ? "错误" : "警告");
    rules->Append(rule);
  }
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n  in: %s\n", error, sql.c_str());
    std::exit(1);
  }
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n  in: %s\n", sqlite3_errmsg(db), sql.c_str());
    std::exit(1);
  }
  return statement;
}

// Bare table names with an extension ("kfq_r.db") read in SQLite as
// schema "kfq_r", table "db"; quoted ones ("kfq_1.db") as main tables.
std::string SqliteName(const std::string& file, const std::set<std::string>& bare) {
  const std::string stem = fs::path(file).stem().string();
  return bare.count(stem) ? stem + ".db" : "\"" + file + "\"";
}

void CopyToSqlite(sqlite3* db, const fs::path& file, const std::set<std::string>& bare) {
  auto table = formats::OpenTableFile(file);
  const std::string name = SqliteName(file.filename().string(), bare);
  std::string columns, marks;
  for (const FieldDef& field : table->fields()) {
    columns += (columns.empty() ? "\"" : ",\"") + field.name + "\"";
    marks += marks.empty() ? "?" : ",?";
  }
  Exec(db, "create table " + name + " (" + columns + ")");
  sqlite3_stmt* insert = Prepare(db, "insert into " + name + " values (" + marks + ")");
  for (const formats::Record& record : table->ReadAll()) {
    for (std::size_t c = 0; c < record.size(); ++c) {
      const Value& v = record[c];
      const int at = static_cast<int>(c) + 1;
      if (v.is_null()) sqlite3_bind_null(insert, at);
      else if (v.kind() == Value::Kind::Text) sqlite3_bind_text(insert, at, v.text().c_str(), -1, SQLITE_TRANSIENT);
      else sqlite3_bind_double(insert, at, v.AsDouble());
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
}

// Runs one statement of the run in SQLite's spelling; a grouped select
// re-creates tmp.db.
std::size_t SqliteStatement(sqlite3* db, std::string sql) {
  for (char& c : sql)
    if (c == '\n') c = ' ';
  static const std::regex substring(R"(SUBSTRING\((\w+) FROM (\d+) FOR (\d+)\))", std::regex::icase);
  sql = std::regex_replace(sql, substring, "substr($1,$2,$3)");
  if (sql.rfind("select", 0) == 0 && sql.find(" left join ") != std::string::npos) {
    Exec(db, "drop table if exists tmp.db");
    Exec(db, "create table tmp.db as " + sql);
    return 0;
  }
  sqlite3_stmt* statement = Prepare(db, sql);
  std::size_t rows = 0;
  std::vector<std::string> values;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    ++rows;
    values.clear();
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      const unsigned char* text = sqlite3_column_text(statement, c);
      values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
  }
  sqlite3_finalize(statement);
  return rows;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  char pattern[] = "/tmp/veltra_validation_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const fs::path folder = parent / "work";
  install::CreateWorkingFolder(folder);
  WriteSurveyTable(folder, "kfq_1.db", kEnterprises, 1, nullptr);
  WriteSurveyTable(folder, "kfq_2.db", kEnterprises * kProductsEach, kProductsEach, "QE01");
  WriteSurveyTable(folder, "kfq_5.db", kEnterprises * kProjectsEach, kProjectsEach, "Qh00");
  AddGeneratedRules(folder);

  std::vector<std::string> statements;
  std::size_t faults = 0;
  const double ours = Seconds([&] {
    mainunit::MainUnit main(folder);
    db::Table catalogue(main.Database1), result(main.Database1);
    catalogue.SetTableName(validation::kCatalogueTable);
    catalogue.Open();
    const validation::KindHeader header = validation::FindKindHeader(catalogue, 1);
    result.SetTableName(header.result_table);
    validation::CheckRun run(main.Database1, result, catalogue);
    auto last = std::chrono::steady_clock::now();
    run.OnStatement = [&](const std::string& statement) {
      const auto now = std::chrono::steady_clock::now();
      if (std::getenv("VELTRA_BENCH_TRACE"))
        std::fprintf(stderr, "%8.3f  %.90s\n", std::chrono::duration<double>(now - last).count(),
                     statements.empty() ? "" : statements.back().c_str());
      last = now;
      statements.push_back(statement);
    };
    run.Run({1, "", "", "", header.result_register_text});
    faults = static_cast<std::size_t>(result.RecordCount());
  });

  sqlite3* db = nullptr;
  sqlite3_open((parent / "bench.sqlite").c_str(), &db);
  const std::set<std::string> bare = {"kfq_r", "tmp_r", "tmp", "sendname"};
  // Writes reach the operating system, not the disk, as the engine's do.
  Exec(db, "pragma synchronous=off");
  for (const std::string& schema : bare) {
    Exec(db, "attach database '" + (parent / (schema + ".sqlite")).string() + "' as " + schema);
    Exec(db, "pragma " + schema + ".synchronous=off");
  }
  Exec(db, "begin");
  for (const char* table : {"kfq_1.db", "kfq_2.db", "kfq_5.db", "kfq_r.db", "tmp_r.DB", "sendname.db"}) {
    CopyToSqlite(db, folder / table, bare);
  }
  Exec(db, "delete from kfq_r.db");
  Exec(db, "commit");
  const double theirs = Seconds([&] {
    for (const std::string& statement : statements) SqliteStatement(db, statement);
  });
  sqlite3_close(db);

  std::printf("validation of kind 1: %d enterprises, %d products, %d projects, %zu statements, %zu result rows\n",
              kEnterprises, kEnterprises * kProductsEach, kEnterprises * kProjectsEach, statements.size(), faults);
  std::printf("  whole run          %8.3f s\n", ours);
  std::printf("  sqlite statements  %8.3f s\n", theirs);
  std::printf("  ratio              %8.2f\n", ours / theirs);
  fs::remove_all(parent);
  return 0;
}
