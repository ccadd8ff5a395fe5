#include "platform/print/data_set_records.h"

namespace veltra::print {

std::vector<std::string> DataSetRecords::FieldNames() const {
  std::vector<std::string> names;
  for (const FieldDef& field : data_set_.FieldLayout()) names.push_back(field.name);
  return names;
}

int DataSetRecords::RecordCount() const { return data_set_.RecordCount(); }

Value DataSetRecords::FieldValue(int field) const {
  return data_set_.RecordAt(static_cast<std::size_t>(current_)).at(static_cast<std::size_t>(field));
}

}  // namespace veltra::print
