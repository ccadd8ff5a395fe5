#pragma once
// The entry point of the local SQL: one statement text (callers join
// their lines with "\n") run against a catalog.
//
// Result columns are named by their alias, else by the field name, else
// "COUNT", "SUM" ... for aggregates and "EXPR<n>" (n = column position
// from 1) for other expressions; a name that repeats gets "_1", "_2" ...
// String columns carry their GBK width, SUM/AVG and arithmetic are Float,
// COUNT Integer.
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/sql/catalog.h"

namespace veltra::sql {

struct Result {
  bool has_result_set = false;  // SELECT; false for INSERT/UPDATE/DELETE
  FieldDefs columns;
  std::vector<Row> rows;           // materialised: independent of the tables read
  std::size_t rows_affected = 0;   // INSERT/UPDATE/DELETE
};

// Throws EngineError: Syntax (with line and column), NoSuchTable,
// NoSuchField, Unsupported, TypeMismatch, or what the table refuses.
Result RunStatement(std::string_view statement, Catalog& catalog);

}  // namespace veltra::sql
