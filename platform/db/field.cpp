#include "platform/db/field.h"

#include "platform/db/dataset.h"
#include "platform/db/field_value.h"

namespace veltra::db {

Field::Field(DataSet& owner, int index) : owner_(owner), index_(index) {}

const FieldDef& Field::Def() const { return owner_.FieldLayout()[index_]; }

int Field::Size() const {
  const FieldDef& def = Def();
  switch (def.type) {
    case FieldType::String:
    case FieldType::Bytes:
    case FieldType::Bcd:
      return def.size;
    default:
      return IsBlobType(def.type) ? def.size : 0;
  }
}

int Field::DataSize() const {
  const FieldDef& def = Def();
  switch (def.type) {
    case FieldType::String: return def.size + 1;
    case FieldType::SmallInt:
    case FieldType::Boolean: return 2;
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Date:
    case FieldType::Time: return 4;
    case FieldType::Float:
    case FieldType::Money:
    case FieldType::DateTime: return 8;
    case FieldType::Bcd: return 34;
    case FieldType::Bytes: return def.size;
    default: return 0;
  }
}

const veltra::Value& Field::Value() const { return owner_.FieldValue(index_); }

std::string Field::AsString() const { return Value().ToDisplayText(); }

std::int64_t Field::AsInteger() const {
  const veltra::Value& value = Value();
  if (value.is_null()) return 0;
  FieldDef as_integer{FieldName(), FieldType::Integer};
  return ConvertToField(value, as_integer, owner_.DisplayName()).integer();
}

double Field::AsFloat() const {
  const veltra::Value& value = Value();
  if (value.is_null()) return 0;
  FieldDef as_float{FieldName(), FieldType::Float};
  return ConvertToField(value, as_float, owner_.DisplayName()).float_value();
}

Date Field::AsDate() const {
  const veltra::Value& value = Value();
  if (value.is_null()) return Date{};
  FieldDef as_date{FieldName(), FieldType::Date};
  return ConvertToField(value, as_date, owner_.DisplayName()).date();
}

bool Field::AsBoolean() const {
  const veltra::Value& value = Value();
  if (value.is_null()) return false;
  FieldDef as_boolean{FieldName(), FieldType::Boolean};
  return ConvertToField(value, as_boolean, owner_.DisplayName()).boolean();
}

void Field::SetValue(const veltra::Value& value) { owner_.SetFieldValue(index_, value); }
void Field::SetAsString(std::string_view text) { SetValue(veltra::Value::Text(std::string(text))); }
void Field::SetAsInteger(std::int64_t value) { SetValue(veltra::Value::Integer(value)); }
void Field::SetAsFloat(double value) { SetValue(veltra::Value::Float(value)); }
void Field::SetAsDate(Date value) { SetValue(veltra::Value::FromDate(value)); }
void Field::SetAsBoolean(bool value) { SetValue(veltra::Value::Boolean(value)); }
void Field::Clear() { SetValue(veltra::Value()); }

const std::string& Field::EditMask() const { return owner_.EditMaskOf(index_); }
void Field::SetEditMask(std::string mask) { owner_.SetEditMaskOf(index_, std::move(mask)); }

}  // namespace veltra::db
