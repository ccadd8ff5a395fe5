#include "mainunit/dataset_helpers.h"

#include "platform/types/error.h"

namespace veltra::mainunit {

namespace {

// The types whose nulls the system stores as 0.
bool NullIsZero(FieldType type) {
  return type == FieldType::Float || type == FieldType::SmallInt || type == FieldType::Integer;
}

}  // namespace

void SetNullNumericFieldsToZero(db::DataSet& data_set) {
  for (int i = 0; i < data_set.FieldCount(); ++i) {
    db::Field& field = data_set.Fields(i);
    if (NullIsZero(field.DataType()) && field.IsNull()) field.SetAsInteger(0);
  }
}

FieldsByName::FieldsByName(db::DataSet& from, db::DataSet& to) {
  for (int i = 0; i < from.FieldCount(); ++i) {
    const db::Field& column = from.Fields(i);
    if (db::Field* field = to.FindField(column.FieldName())) pairs_.emplace_back(&column, field);
  }
}

void FieldsByName::Copy() const {
  for (const auto& [column, field] : pairs_) {
    if (NullIsZero(column->DataType()) && column->IsNull()) {
      field->SetAsInteger(0);
    } else {
      field->SetValue(column->Value());
    }
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
