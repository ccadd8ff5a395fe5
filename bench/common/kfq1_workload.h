#pragma once
// The work the benchmarks time beside SQLite: an enterprise table of the
// kfq_1.db layout (20,000 records) with its product detail kfq_2.db
// (60,000 records) and project detail kfq_5.db (40,000 records), and the
// statements of a validation run over them.
//
//   const Kfq1Data data = MakeKfq1Data(kMasterRecords, 2011);
//   LoadSqlite(db, kMasterTable, data.master_fields, data.master);
//   const std::size_t rows = RunSqlite(db, ValidationWorkload(data.master_fields));
#include <sqlite3.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/db/index_def.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::bench {

using Row = std::vector<Value>;

inline constexpr const char* kMasterTable = "kfq_1.db";
inline constexpr const char* kDetailTable = "kfq_2.db";
inline constexpr int kMasterRecords = 20000;
inline constexpr int kDetailRecords = 60000;
inline constexpr const char* kProjectTable = "kfq_5.db";
inline constexpr int kProjectRecords = 40000;

struct Kfq1Data {
  FieldDefs master_fields;  // the kfq_1.db layout of the schema
  FieldDefs detail_fields;  // the kfq_2.db layout of the schema
  FieldDefs project_fields;  // the kfq_5.db layout of the schema
  std::vector<Row> master;
  std::vector<Row> detail;
  std::vector<Row> projects;
};

// `master_records` enterprises numbered from 0, each with three products and
// two projects on average. The keys depend on the number only, the other values on `seed`
// too, so two sets of the same size hold the same enterprises with other
// figures. Values of unique indexes are unique; about one number in twelve
// is missing and one in two hundred is negative.
Kfq1Data MakeKfq1Data(int master_records, unsigned seed);

// `count` records of any table of the schema (`layout` its file name),
// filled like the enterprise tables: record n has the key of enterprise n.
std::vector<Row> MakeRecords(const std::string& layout, int count, unsigned seed);

// 200 plain rules "select QA01 编号,<field> 字段值 from "kfq_1.db" where
// not (<condition>)" over varied fields and conditions, one grouped rule
// (LEFT JOIN of the detail with GROUP BY) and the 77-column enterprise sum.
std::vector<std::string> ValidationWorkload(const FieldDefs& master_fields);

// ---- SQLite side

// Exits with SQLite's message unless `code` reports success.
void CheckSqlite(int code, sqlite3* db);
// Creates table `name` (text and real columns) and loads `rows` in one transaction.
void LoadSqlite(sqlite3* db, const std::string& name, const FieldDefs& fields, const std::vector<Row>& rows);
// The indexes the schema gives the file `layout` (kfq_1.db, kfq_2.db).
const db::IndexDefs& SchemaIndexes(const std::string& layout);
// Creates `indexes` on table `name`, the primary one as a unique index.
void CreateSqliteIndexes(sqlite3* db, const std::string& name, const db::IndexDefs& indexes);
// An in-memory SQLite database holding both tables of `data` with the schema's indexes.
sqlite3* OpenSqliteWorkload(const Kfq1Data& data);
// Binds `row` to the parameters 1..n of `statement`.
void BindRow(sqlite3_stmt* statement, const Row& row);
// Runs every statement and materialises its rows as the engine does; the number of rows read.
std::size_t RunSqlite(sqlite3* db, const std::vector<std::string>& statements);

// ---- timing

double SecondsSince(std::chrono::steady_clock::time_point start);
// Prints one line: what, both times and their ratio.
void ReportRatio(const char* what, double ours, double sqlite);

}  // namespace veltra::bench
