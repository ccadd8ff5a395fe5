#include "mainunit/dataset_helpers.h"

#include "platform/types/error.h"

namespace veltra::mainunit {

void SetNullNumericFieldsToZero(db::DataSet& data_set) {
  for (int i = 0; i < data_set.FieldCount(); ++i) {
    db::Field& field = data_set.Fields(i);
    const FieldType type = field.DataType();
    const bool counted = type == FieldType::Float || type == FieldType::SmallInt || type == FieldType::Integer;
    if (counted && field.IsNull()) field.SetAsInteger(0);
  }
}

bool PackTable(db::Database& database, std::string_view table_name) {
  try {
    database.PackTable(table_name);
    return true;
  } catch (const EngineError&) {
    return false;
  }
}

}  // namespace veltra::mainunit
