#include "bench/common/sqlite_mirror.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "platform/formats/table_file.h"
#include "platform/sql/compensated_sum.h"
#include "platform/sql/value_ops.h"
#include "platform/text/gbk.h"
#include "tests/support/sqlite_oracle.h"

namespace veltra::bench {
namespace {

int CompareAsGbk(void*, int a_size, const void* a, int b_size, const void* b) {
  return text::CompareGbk({static_cast<const char*>(a), static_cast<std::size_t>(a_size)},
                          {static_cast<const char*>(b), static_cast<std::size_t>(b_size)});
}

void Check(int code, sqlite3* db, const std::string& sql) {
  if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW) return;
  std::fprintf(stderr, "sqlite: %s\n  in: %s\n", sqlite3_errmsg(db), sql.c_str());
  std::exit(1);
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), db, sql);
  return statement;
}

bool IsText(FieldType type) { return type == FieldType::String || type == FieldType::Memo; }

Value ColumnValue(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return Value::Integer(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: return Value::Float(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: return Value::Text(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    default: return Value();
  }
}

using SumState = std::pair<sql::CompensatedSum, std::int64_t>;  // the sum and its count

void AddToSum(sqlite3_context* context, int, sqlite3_value** values) {
  auto* state = static_cast<SumState*>(sqlite3_aggregate_context(context, sizeof(SumState)));
  if (state == nullptr || sqlite3_value_type(values[0]) == SQLITE_NULL) return;
  state->first.Add(sqlite3_value_double(values[0]));
  ++state->second;
}

template <bool kAverage>
void FinishSum(sqlite3_context* context) {
  auto* state = static_cast<SumState*>(sqlite3_aggregate_context(context, 0));
  if (state == nullptr || state->second == 0) return sqlite3_result_null(context);
  const double total = state->first.Total();
  sqlite3_result_double(context, kAverage ? total / static_cast<double>(state->second) : total);
}

std::uint64_t Digest(const std::vector<std::string>& rows) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const std::string& row : rows) {
    for (const char c : row + "\n") hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

sqlite3* OpenSqlite(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  Check(sqlite3_open(file.c_str(), &db), db, "open " + file.string());
  RegisterGbkCollation(db);
  RegisterCompensatedSums(db);
  return db;
}

void RegisterGbkCollation(sqlite3* db) {
  Check(sqlite3_create_collation(db, "gbk", SQLITE_UTF8, nullptr, CompareAsGbk), db, "collation gbk");
}

void RegisterCompensatedSums(sqlite3* db) {
  Check(sqlite3_create_function(db, "sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, AddToSum,
                                FinishSum<false>),
        db, "function sum");
  Check(sqlite3_create_function(db, "avg", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, AddToSum,
                                FinishSum<true>),
        db, "function avg");
}

std::string SqliteColumns(const FieldDefs& fields, bool typed) {
  std::string columns;
  for (const FieldDef& field : fields) {
    columns += (columns.empty() ? "\"" : ",\"") + field.name + "\"";
    if (IsText(field.type)) columns += typed ? " text collate gbk" : " collate gbk";
    else if (typed) columns += field.type == FieldType::Date ? " text" : " real";
  }
  return columns;
}

void BindValue(sqlite3_stmt* statement, int slot, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null: sqlite3_bind_null(statement, slot); break;
    case Value::Kind::Float:
    case Value::Kind::Integer: sqlite3_bind_double(statement, slot, value.AsDouble()); break;
    case Value::Kind::Text:
    case Value::Kind::Bytes: {
      const std::string_view chars = value.kind() == Value::Kind::Text ? value.text() : value.bytes();
      sqlite3_bind_text(statement, slot, chars.data(), static_cast<int>(chars.size()), SQLITE_TRANSIENT);
      break;
    }
    default: {
      const std::string shown = value.ToDisplayText();
      sqlite3_bind_text(statement, slot, shown.data(), static_cast<int>(shown.size()), SQLITE_TRANSIENT);
    }
  }
}

void CopyTableToSqlite(sqlite3* db, const std::filesystem::path& file, const std::string& name, bool typed) {
  auto table = formats::OpenTableFile(file);
  const std::string create = "create table \"" + name + "\" (" + SqliteColumns(table->fields(), typed) + ")";
  Check(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db, create);
  std::string marks;
  for (std::size_t c = 0; c < table->fields().size(); ++c) marks += c ? ",?" : "?";
  const std::string insert_sql = "insert into \"" + name + "\" values (" + marks + ")";
  sqlite3_stmt* insert = Prepare(db, insert_sql);
  for (const formats::Record& record : table->ReadAll()) {
    for (std::size_t c = 0; c < record.size(); ++c) BindValue(insert, static_cast<int>(c) + 1, record[c]);
    Check(sqlite3_step(insert), db, insert_sql);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
}

std::vector<std::string> TableFileRows(const std::filesystem::path& file) {
  std::vector<std::string> rows;
  for (const formats::Record& record : formats::OpenTableFile(file)->ReadAll()) {
    rows.push_back(testing::CanonicalRow(record));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> SqliteRows(sqlite3* db, const std::string& select, const FieldDefs* fit) {
  sqlite3_stmt* statement = Prepare(db, select);
  const int columns = sqlite3_column_count(statement);
  std::vector<std::string> rows;
  std::vector<Value> row(static_cast<std::size_t>(columns));
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int c = 0; c < columns; ++c) {
      Value value = ColumnValue(statement, c);
      if (fit && c < static_cast<int>(fit->size())) {
        const FieldDef& field = (*fit)[static_cast<std::size_t>(c)];
        value = sql::ConvertValue(value, field.type, field.size, {"", field.name});
      }
      row[static_cast<std::size_t>(c)] = std::move(value);
    }
    rows.push_back(testing::CanonicalRow(row));
  }
  sqlite3_finalize(statement);
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool SameContents(const std::string& what, const std::vector<std::string>& ours,
                  const std::vector<std::string>& theirs) {
  const bool same = ours == theirs;
  std::printf("  %-34s %7zu rows, digest %016llx%s\n", what.c_str(), ours.size(),
              static_cast<unsigned long long>(Digest(ours)), same ? " on both sides" : "");
  if (same) return true;
  std::printf("  %-34s %7zu rows, digest %016llx in SQLite: DIFFER\n", "", theirs.size(),
              static_cast<unsigned long long>(Digest(theirs)));
  // The rows one side holds more often than the other, a few of each.
  const auto show_extra = [](const char* side, const std::vector<std::string>& rows,
                             const std::vector<std::string>& others) {
    std::vector<std::string> extra;
    std::set_difference(rows.begin(), rows.end(), others.begin(), others.end(), std::back_inserter(extra));
    for (std::size_t i = 0; i < extra.size() && i < 3; ++i) std::printf("    only %s: %s\n", side, extra[i].c_str());
    if (extra.size() > 3) std::printf("    only %s: %zu rows more\n", side, extra.size() - 3);
  };
  show_extra("ours  ", ours, theirs);
  show_extra("SQLite", theirs, ours);
  return false;
}

}  // namespace veltra::bench
