#pragma once
// A data set of the table engine as the records a banded report walks,
// read in the data set's order without moving its cursor.
#include <string>
#include <vector>

#include "platform/db/dataset.h"
#include "platform/print/record_source.h"

namespace veltra::validation {

class DataSetRecords : public print::RecordSource {
 public:
  explicit DataSetRecords(db::DataSet& data_set) : data_set_(data_set) {}

  std::vector<std::string> FieldNames() const override;
  int RecordCount() const override { return data_set_.RecordCount(); }
  void MoveTo(int index) override { current_ = index; }
  Value FieldValue(int field) const override;

 private:
  db::DataSet& data_set_;
  int current_ = 0;
};

}  // namespace veltra::validation
