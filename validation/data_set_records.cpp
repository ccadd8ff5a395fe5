#include "validation/data_set_records.h"

namespace veltra::validation {

std::vector<std::string> DataSetRecords::FieldNames() const {
  std::vector<std::string> names;
  for (const FieldDef& field : data_set_.FieldLayout()) names.push_back(field.name);
  return names;
}

Value DataSetRecords::FieldValue(int field) const {
  return data_set_.RecordAt(static_cast<std::size_t>(current_)).at(static_cast<std::size_t>(field));
}

}  // namespace veltra::validation
