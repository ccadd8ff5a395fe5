#pragma once
// A table engine data set as the records of a banded report. Records are
// read by position, so printing neither moves the data set's cursor nor
// fires its scroll events.
#include "platform/db/dataset.h"
#include "platform/print/record_source.h"

namespace veltra::print {

class DataSetRecords : public RecordSource {
 public:
  explicit DataSetRecords(db::DataSet& data_set) : data_set_(data_set) {}

  std::vector<std::string> FieldNames() const override;
  int RecordCount() const override;
  void MoveTo(int index) override { current_ = index; }
  Value FieldValue(int field) const override;

 private:
  db::DataSet& data_set_;
  int current_ = 0;
};

}  // namespace veltra::print
