#pragma once
// One field of an open data set: its definition and the value it shows in
// the current state (the current record in browse, the edit buffer while
// editing or inserting, the key buffer during a key search). Field objects
// belong to their data set and live from its Open to its Close.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types/calendar.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::db {

class DataSet;

class Field {
 public:
  Field(DataSet& owner, int index);

  DataSet& Owner() const { return owner_; }
  int Index() const { return index_; }
  const FieldDef& Def() const;
  const std::string& FieldName() const { return Def().name; }
  FieldType DataType() const { return Def().type; }
  // Length of a string field, decimals of a BCD field, inline bytes of a
  // memo or blob; 0 for the other types.
  int Size() const;
  // Bytes the value takes in a record buffer; a string's length plus one.
  int DataSize() const;

  bool IsNull() const { return Value().is_null(); }
  const veltra::Value& Value() const;
  // Null gives "", 0, 0.0 and day 0; text that is not a number is an
  // InvalidValue error naming the field.
  std::string AsString() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  Date AsDate() const;
  bool AsBoolean() const;

  // Converted to the field's type; text wider than a string field is cut
  // at a GBK character boundary. Only while editing, inserting or setting
  // a key (else a State error).
  void SetValue(const veltra::Value& value);
  void SetAsString(std::string_view text);
  void SetAsInteger(std::int64_t value);
  void SetAsFloat(double value);
  void SetAsDate(Date value);
  void SetAsBoolean(bool value);
  void Clear();

  // Kept for the form layer, which applies it to the edits bound here.
  const std::string& EditMask() const;
  void SetEditMask(std::string mask);

 private:
  DataSet& owner_;
  int index_;
};

}  // namespace veltra::db
