#pragma once
// Copies every record of a data set to the end of a table, column i of the
// source into column i of the table, each value converted to the target
// field's type and text cut at a GBK character boundary. A source with
// fewer columns leaves the remaining ones null; one with more columns than
// the table is an error. The rows are added as a whole or not at all.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/dataset.h"
#include "platform/db/table.h"

namespace veltra::db {

enum class BatchMode { Append };

// The records of an open data set as rows of a table with the fields
// `target`, converted as a batch move converts them; `owner` names the
// table in errors.
std::vector<Row> ConvertRows(DataSet& source, const FieldDefs& target, std::string_view owner);

class BatchMove {
 public:
  DataSet* Source = nullptr;
  Table* Destination = nullptr;
  BatchMode Mode = BatchMode::Append;
  // When set, this field of every moved row gets the row's place in the
  // move as text ("1", "2", ...), written with the row itself: the record
  // numbers of a table shown in file order.
  std::string NumberField;

  // Opens the source and the destination for the move when they are
  // closed, and closes them again; returns the number of rows moved.
  std::size_t Execute();
  // Moves `rows` instead of the source's records: rows given over for
  // this move alone (a statement's result), converted in place, never
  // copied. The source is not used.
  std::size_t Execute(std::vector<Row> rows);
  std::size_t MovedCount() const { return moved_; }

 private:
  std::size_t Insert(std::vector<Row> rows);
  std::size_t moved_ = 0;
};

}  // namespace veltra::db
