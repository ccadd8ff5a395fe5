#pragma once
// Field definitions shared by the file formats, the SQL engine and the
// table engine.
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// The stored types of the tables. The names follow the data types the
// windows test for (ftString, ftFloat, ftSmallint, ftDate, ftMemo ...).
enum class FieldType {
  String,    // fixed-size text; size = GBK bytes
  Float,     // 8-byte floating point
  SmallInt,  // 16-bit integer
  Integer,   // 32-bit integer
  AutoInc,   // 32-bit integer handed out by the table
  Money,     // floating point shown with two decimals
  Bcd,       // packed decimal; size = number of decimals
  Date,
  Time,
  DateTime,
  Boolean,
  Memo,      // text of any length; size = bytes kept in the record itself
  FmtMemo,   // formatted memo (read only as raw bytes)
  Blob,      // binary; size as for Memo
  Graphic,
  Ole,
  Bytes,     // fixed-size raw bytes
};

std::string_view FieldTypeName(FieldType type);
// The type as a user reads it in a message.
std::string_view FieldTypeWord(FieldType type);

bool IsTextType(FieldType type);     // String, Memo
bool IsNumericType(FieldType type);  // Float, SmallInt, Integer, AutoInc, Money, Bcd
bool IsBlobType(FieldType type);     // Memo, FmtMemo, Blob, Graphic, Ole

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;      // meaning per type, see FieldType
  int decimals = 0;  // digits after the point of a dBase numeric field, else 0

  friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

using FieldDefs = std::vector<FieldDef>;

// Position of `name` (ASCII case-insensitive) in `fields`, or -1.
int FindField(const FieldDefs& fields, std::string_view name);

}  // namespace veltra
