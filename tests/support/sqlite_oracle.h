#pragma once
// SQLite as the test oracle: an in-memory database, and rows written as
// canonical text ("NULL", numbers to nine digits, 'text') so that our
// results and SQLite's compare line by line.
#include <sqlite3.h>

#include <cstdio>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/types/value.h"

namespace veltra::testing {

inline std::string Canonical(const Value& value) {
  if (value.is_null()) return "NULL";
  if (value.is_number()) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.9g", value.AsDouble() == 0 ? 0.0 : value.AsDouble());
    return buffer;
  }
  return "'" + value.ToDisplayText() + "'";
}

inline std::string CanonicalRow(const std::vector<Value>& row) {
  std::string line;
  for (const Value& value : row) line += Canonical(value) + "|";
  return line;
}

// A statement of our dialect in SQLite's spelling: SUBSTRING(x FROM n FOR m)
// as substr(x,n,m), bare table names with an extension ("kfq1hz.db") and
// double-quoted numbers ("06", a text literal here) quoted as SQLite reads
// them, lines joined.
inline std::string SqliteSpelling(std::string sql) {
  static const std::regex substring(R"(SUBSTRING\((\w+) FROM (\d+) FOR (\d+)\))", std::regex::icase);
  static const std::regex bare_table(R"(([ ,])(\w+\.db)\b)");
  static const std::regex number_text("\"(\\d+)\"");
  for (char& c : sql) {
    if (c == '\n') c = ' ';
  }
  sql = std::regex_replace(sql, substring, "substr($1,$2,$3)");
  sql = std::regex_replace(sql, bare_table, "$1\"$2\"");
  return std::regex_replace(sql, number_text, "'$1'");
}

class SqliteDatabase {
 public:
  SqliteDatabase() { sqlite3_open(":memory:", &db_); }
  ~SqliteDatabase() { sqlite3_close(db_); }
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  void Execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error(message + " in " + sql);
    }
  }

  // Creates table `name` and fills it; numbers go in as reals, dates as day numbers.
  void Load(const std::string& name, const std::vector<std::string>& columns,
            const std::vector<std::vector<Value>>& rows) {
    std::string create, marks;
    for (const std::string& column : columns) {
      create += (create.empty() ? "\"" : ",\"") + column + "\"";
      marks += marks.empty() ? "?" : ",?";
    }
    Execute("create table \"" + name + "\" (" + create + ")");
    sqlite3_stmt* insert = Prepare("insert into \"" + name + "\" values (" + marks + ")");
    for (const std::vector<Value>& row : rows) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        const Value& v = row[c];
        const int at = static_cast<int>(c) + 1;
        if (v.is_null()) sqlite3_bind_null(insert, at);
        else if (v.kind() == Value::Kind::Text) sqlite3_bind_text(insert, at, v.text().c_str(), -1, SQLITE_TRANSIENT);
        else if (v.kind() == Value::Kind::Date) sqlite3_bind_double(insert, at, v.date().day);
        else sqlite3_bind_double(insert, at, v.AsDouble());
      }
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }

  // Every row of the result in canonical form.
  std::vector<std::string> Query(const std::string& sql) {
    sqlite3_stmt* statement = Prepare(sql);
    std::vector<std::string> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        Value value;
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_INTEGER:
          case SQLITE_FLOAT: value = Value::Float(sqlite3_column_double(statement, c)); break;
          case SQLITE_TEXT:
            value = Value::Text(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            break;
          default: break;
        }
        row += Canonical(value) + "|";
      }
      rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
  }

 private:
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
    }
    return statement;
  }

  sqlite3* db_ = nullptr;
};

}  // namespace veltra::testing
