#include "bench/common/kfq1_workload.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <stdexcept>

#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "reports/enterprise_summaries.h"
#include "schema/schema.h"

namespace veltra::bench {
namespace {

// The field that links an enterprise to its products.
constexpr const char* kKeyField = "QA01";

const schema::TableDef& Definition(const std::string& file) {
  const schema::TableDef* table = schema::FindTable(file);
  if (!table) throw std::runtime_error("the schema has no table " + file);
  return *table;
}

// Six digits for up to 900,000 enterprises.
std::string Key(int n) { return std::to_string(100000 + n); }

class RowMaker {
 public:
  RowMaker(const schema::TableDef& table, unsigned seed) : table_(table), unique_(UniqueFields(table)), random_(seed) {}

  // Record `n` of the table; `key` is the enterprise it belongs to.
  Row Make(int n, const std::string& key) {
    Row row;
    row.reserve(table_.fields.size());
    for (const FieldDef& field : table_.fields) row.push_back(ValueOf(field, n, key));
    return row;
  }

 private:
  Value ValueOf(const FieldDef& field, int n, const std::string& key) {
    switch (field.type) {
      case FieldType::String: return TextOf(field, n, key);
      case FieldType::SmallInt: return Value::Integer(1);  // the counting fields (qa_one, qe_one)
      case FieldType::Date: return Value::FromDate(Date{734000 + n % 365});
      default: return Number();
    }
  }

  Value TextOf(const FieldDef& field, int n, const std::string& key) {
    if (field.name == kKeyField) return Value::Text(key);
    if (unique_.count(field.name)) {
      // The field's name keeps the values of two unique fields apart where there is room.
      std::string text = field.name + Key(n);
      if (static_cast<int>(text.size()) > field.size) text = Key(n);
      if (static_cast<int>(text.size()) > field.size) throw std::runtime_error("no room for unique " + field.name);
      return Value::Text(text);
    }
    if (random_() % 10 == 0) return Value();
    return Value::Text(std::to_string(random_() % 10000).substr(0, static_cast<std::size_t>(field.size)));
  }

  Value Number() {
    const int draw = static_cast<int>(random_() % 1000);
    if (draw < 80) return Value();                        // not filled in
    if (draw < 85) return Value::Float(-(draw % 7) - 1);  // a fault for the rules
    return Value::Float(static_cast<double>(random_() % 1000000) / 10);
  }

  const schema::TableDef& table_;
  std::set<std::string> unique_;
  std::mt19937 random_;
};

}  // namespace

Kfq1Data MakeKfq1Data(int master_records, unsigned seed) {
  const schema::TableDef& master = Definition(kMasterTable);
  const schema::TableDef& detail = Definition(kDetailTable);
  const schema::TableDef& project = Definition(kProjectTable);
  Kfq1Data data{master.fields, detail.fields, project.fields, {}, {}, {}};
  RowMaker master_maker(master, seed);
  RowMaker detail_maker(detail, seed + 1);
  RowMaker project_maker(project, seed + 3);
  std::mt19937 owner(seed + 2);
  data.master.reserve(static_cast<std::size_t>(master_records));
  for (int n = 0; n < master_records; ++n) data.master.push_back(master_maker.Make(n, Key(n)));
  const int detail_records = master_records * (kDetailRecords / kMasterRecords);
  data.detail.reserve(static_cast<std::size_t>(detail_records));
  for (int n = 0; n < detail_records; ++n) {
    data.detail.push_back(detail_maker.Make(n, Key(static_cast<int>(owner() % static_cast<unsigned>(master_records)))));
  }
  const int project_records = master_records * kProjectRecords / kMasterRecords;
  data.projects.reserve(static_cast<std::size_t>(project_records));
  for (int n = 0; n < project_records; ++n) {
    data.projects.push_back(
        project_maker.Make(n, Key(static_cast<int>(owner() % static_cast<unsigned>(master_records)))));
  }
  return data;
}

std::vector<Row> MakeRecords(const std::string& layout, int count, unsigned seed) {
  RowMaker maker(Definition(layout), seed);
  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) rows.push_back(maker.Make(n, Key(n)));
  return rows;
}

std::vector<std::string> ValidationWorkload(const FieldDefs& master_fields) {
  std::vector<std::string> floats, flags;
  for (const FieldDef& field : master_fields) {
    if (field.type == FieldType::Float) floats.push_back(field.name);
    if (field.type == FieldType::String && field.size == 1) flags.push_back(field.name);
  }
  std::vector<std::string> statements;
  for (std::size_t i = 0; i < 200; ++i) {
    const std::string& f = floats[(i * 7) % floats.size()];
    const std::string& g = floats[(i * 13 + 5) % floats.size()];
    std::string condition;
    std::string shown = f;
    switch (i % 6) {
      case 0: condition = f + ">=0 and " + f + "<=1e9"; break;
      case 1: condition = f + ">=0"; break;
      case 2: condition = f + "<=" + g + " or " + g + " is null"; break;
      case 3: condition = f + " is not null"; break;
      case 4:
        shown = flags[i % flags.size()];
        condition = shown + " in ('1','2','3') or " + shown + " is null";
        break;
      default: condition = f + "+" + g + ">=0"; break;
    }
    statements.push_back("select QA01 编号," + shown + " 字段值 from \"kfq_1.db\" where not (" + condition + ")");
  }
  statements.push_back(
      "select a.QA01 编号,sum(b.QE14) 字段值 from \"kfq_1.db\" a left join \"kfq_2.db\" b on "
      "a.QA01=b.QA01 group by a.QA01");
  std::string sums;
  for (const std::string& line : reports::SumLines(reports::EnterpriseSums())) sums += line + "\n";
  statements.push_back(sums + " from \"kfq_1.db\" a");
  return statements;
}

void CheckSqlite(int code, sqlite3* db) {
  if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

void LoadSqlite(sqlite3* db, const std::string& name, const FieldDefs& fields, const std::vector<Row>& rows) {
  std::string insert = "insert into \"" + name + "\" values (";
  for (std::size_t c = 0; c < fields.size(); ++c) insert += c ? ",?" : "?";
  const std::string create = "create table \"" + name + "\" (" + SqliteColumns(fields, true) + ")";
  CheckSqlite(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db);
  CheckSqlite(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* statement = nullptr;
  CheckSqlite(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &statement, nullptr), db);
  for (const Row& row : rows) {
    BindRow(statement, row);
    CheckSqlite(sqlite3_step(statement), db);
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  CheckSqlite(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db);
}

const db::IndexDefs& SchemaIndexes(const std::string& layout) { return Definition(layout).indexes; }

void CreateSqliteIndexes(sqlite3* db, const std::string& name, const db::IndexDefs& indexes) {
  int number = 0;
  for (const db::IndexDef& index : indexes) {
    std::string columns;
    for (const std::string& field : db::SplitFieldList(index.fields)) columns += (columns.empty() ? "" : ",") + field;
    const std::string sql = std::string(index.primary || index.unique ? "create unique index" : "create index") +
                            " \"" + name + "_" + std::to_string(++number) + "\" on \"" + name + "\" (" + columns +
                            ")";
    CheckSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
  }
}

sqlite3* OpenSqliteWorkload(const Kfq1Data& data) {
  sqlite3* db = OpenSqlite(":memory:");
  LoadSqlite(db, kMasterTable, data.master_fields, data.master);
  LoadSqlite(db, kDetailTable, data.detail_fields, data.detail);
  CreateSqliteIndexes(db, kMasterTable, SchemaIndexes(kMasterTable));
  CreateSqliteIndexes(db, kDetailTable, SchemaIndexes(kDetailTable));
  return db;
}

void BindRow(sqlite3_stmt* statement, const Row& row) {
  for (std::size_t c = 0; c < row.size(); ++c) BindValue(statement, static_cast<int>(c) + 1, row[c]);
}

std::size_t RunSqlite(sqlite3* db, const std::vector<std::string>& statements) {
  std::size_t rows_read = 0;
  for (const std::string& sql : statements) {
    sqlite3_stmt* statement = nullptr;
    CheckSqlite(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), db);
    std::vector<Row> rows;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      Row row;
      row.reserve(static_cast<std::size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_TEXT:
            row.push_back(Value::Text(reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
            break;
          case SQLITE_NULL: row.emplace_back(); break;
          default: row.push_back(Value::Float(sqlite3_column_double(statement, c))); break;
        }
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    rows_read += rows.size();
  }
  return rows_read;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ReportRatio(const char* what, double ours, double sqlite) {
  std::printf("%-40s ours %8.3f s   sqlite %8.3f s   ratio %6.2f\n", what, ours, sqlite, ours / sqlite);
}

}  // namespace veltra::bench
