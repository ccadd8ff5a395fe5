#pragma once
// What the SQL executor needs from its surroundings: tables by name, their
// rows, and a way to write a statement's changes back. The table engine
// implements it over the files of the working folder; tests implement it
// in memory.
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::sql {

using Row = std::vector<Value>;

// What a scan reads, one flag per column: the `tested` columns of a row
// must hold their values when `test` decides whether it is wanted, the
// `used` ones when `visit` gets it. Others may be null; the row passed
// may be reused.
struct RowScan {
  std::vector<bool> tested;
  std::function<bool(const Row&)> test;
  std::vector<bool> used;
  std::function<void(const Row&)> visit;
};

// The positions of the flagged columns.
inline std::vector<std::size_t> FlaggedColumns(const std::vector<bool>& flags) {
  std::vector<std::size_t> columns;
  for (std::size_t column = 0; column < flags.size(); ++column) {
    if (flags[column]) columns.push_back(column);
  }
  return columns;
}

class TableSource {
 public:
  virtual ~TableSource() = default;
  virtual const FieldDefs& fields() const = 0;
  virtual std::size_t row_count() const = 0;
  // The row at `position` in the table's own order, into `into` (sized to
  // the fields): every column, or only `columns`, the others left as they were.
  virtual void ReadRow(std::size_t position, const std::vector<std::size_t>* columns, Row& into) const = 0;
  void ReadRow(std::size_t position, Row& into) const { ReadRow(position, nullptr, into); }
  // Every row in order, for reading only; see RowScan. A table not yet in
  // memory may be read from its file without being kept.
  virtual void ScanRows(const RowScan& scan) const {
    const std::vector<std::size_t> tested = FlaggedColumns(scan.tested);
    std::vector<bool> rest = scan.used;
    for (std::size_t column : tested) rest[column] = false;
    const std::vector<std::size_t> untested = FlaggedColumns(rest);
    Row row;
    for (std::size_t position = 0; position < row_count(); ++position) {
      ReadRow(position, &tested, row);
      if (!scan.test(row)) continue;
      ReadRow(position, &untested, row);
      scan.visit(row);
    }
  }

  // Rows before this position hold a value in `column` (none need be known).
  virtual std::size_t FilledPrefix(std::size_t /*column*/) const { return 0; }

  // One statement's changes, each applied as a whole or not at all; they
  // throw EngineError (key violation, value too wide ...) naming the table.
  // The rows are taken over, so that they are stored without a copy.
  virtual void InsertRows(std::vector<Row> rows) = 0;
  virtual void UpdateRows(std::vector<std::pair<std::size_t, Row>> changes) = 0;
  virtual void DeleteRows(const std::vector<std::size_t>& positions) = 0;
};

class Catalog {
 public:
  virtual ~Catalog() = default;
  // Resolves a table name as a statement writes it (`sendname.db`,
  // `tmp\kfq_1`, `"kfq_1.db"`, `check_db.DB`); throws EngineError
  // NoSuchTable naming it.
  virtual std::shared_ptr<TableSource> OpenTable(std::string_view name) = 0;
};

}  // namespace veltra::sql
