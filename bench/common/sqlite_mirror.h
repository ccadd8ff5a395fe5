#pragma once
// The same tables in SQLite as in a working folder, compared and ordered
// as the engine compares them, and the contents of a table on either side
// as sorted canonical rows, so that a benchmark can check both sides
// produced the same tables before it reports their times.
//
//   sqlite3* db = OpenSqlite(folder / "bench.sqlite");
//   CopyTableToSqlite(db, folder / "kfq_1.db", "kfq_1.db");
//   ... the same work on both sides ...
//   SameContents("kfq_r.db", TableFileRows(folder / "kfq_r.db"), SqliteRows(db, "select * from \"kfq_r.db\""));
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::bench {

// Opens (creating) a database file, or ":memory:", with the collation
// and sums below registered; exits with SQLite's message when it cannot.
sqlite3* OpenSqlite(const std::filesystem::path& file);

// Collation "gbk": UTF-8 text ordered by its code page 936 bytes, as the
// engine orders and compares text. Columns of text fields carry it.
void RegisterGbkCollation(sqlite3* db);
// SUM and AVG add with compensation, as the engine does (and SQLite itself
// from 3.43 on), so that totals of values near 1e15 agree whatever the
// order of the rows.
void RegisterCompensatedSums(sqlite3* db);

// The column list of a CREATE TABLE for `fields`: text fields collate gbk;
// `typed` gives text and numeric fields their affinity, else values keep
// the kind they are stored with.
std::string SqliteColumns(const FieldDefs& fields, bool typed);

// Binds `value` to parameter `slot`: numbers as reals, dates, times and
// booleans as the text the engine shows them in ("YYYY-MM-DD", which
// compares with a date literal as the engine compares a date).
void BindValue(sqlite3_stmt* statement, int slot, const Value& value);

// Creates table `name` with the fields of the table file (`typed` as for
// SqliteColumns) and its records.
void CopyTableToSqlite(sqlite3* db, const std::filesystem::path& file, const std::string& name, bool typed = true);

// Every record of a table file as canonical rows, sorted.
std::vector<std::string> TableFileRows(const std::filesystem::path& file);
// Every row `select` gives, sorted; with `fit` each value is first made
// what the engine stores for it in the field of that position (numbers
// written into a text field, for instance).
std::vector<std::string> SqliteRows(sqlite3* db, const std::string& select, const FieldDefs* fit = nullptr);

// Prints the digest of both sides and, when they differ, the first row
// that does; true when they are equal.
bool SameContents(const std::string& what, const std::vector<std::string>& ours,
                  const std::vector<std::string>& theirs);

}  // namespace veltra::bench
