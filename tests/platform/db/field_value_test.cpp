#include "platform/db/field_value.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/types/error.h"

namespace veltra::db {
namespace {

// Values a field takes as they are, beside the ones it converts, cuts or
// refuses: a value passed through unchanged must be one no conversion
// would have changed.
TEST(ConvertToField, KeepsWhatTheFieldHoldsAndConvertsTheRest) {
  const Date day = *MakeDate(2011, 3, 1);
  const struct {
    Value value;
    FieldDef def;
    std::optional<Value> expected;  // none: refused
  } cases[] = {
      {Value(), {"n", FieldType::SmallInt, 0}, Value()},
      {Value::Float(12.5), {"m", FieldType::Money, 0}, Value::Float(12.5)},
      {Value::Text("12.5"), {"f", FieldType::Float, 0}, Value::Float(12.5)},
      {Value::Integer(3), {"f", FieldType::Float, 0}, Value::Float(3)},
      {Value::Float(2.6), {"i", FieldType::Integer, 0}, Value::Integer(3)},
      {Value::Integer(40000), {"s", FieldType::SmallInt, 0}, std::nullopt},
      {Value::Text("高新区"), {"t", FieldType::String, 6}, Value::Text("高新区")},  // 9 bytes of UTF-8, 6 of GBK
      {Value::Text("高新区"), {"t", FieldType::String, 5}, Value::Text("高新")},
      {Value::Text("abcdef"), {"t", FieldType::String, 6}, Value::Text("abcdef")},
      {Value::Text("abcdefg"), {"t", FieldType::String, 6}, Value::Text("abcdef")},
      {Value::Float(1.5), {"t", FieldType::String, 10}, Value::Text("1.5")},
      {Value::FromDate(day), {"d", FieldType::Date, 0}, Value::FromDate(day)},
      {Value::FromDateTime({day, Time{3600000}}), {"d", FieldType::Date, 0}, Value::FromDate(day)},
      {Value::FromDate(day), {"s", FieldType::DateTime, 0}, Value::FromDateTime({day, Time{}})},
      {Value::Text("x"), {"d", FieldType::Date, 0}, std::nullopt},
      {Value::Boolean(true), {"b", FieldType::Boolean, 0}, Value::Boolean(true)},
      {Value::Integer(0), {"b", FieldType::Boolean, 0}, Value::Boolean(false)},
  };
  for (const auto& c : cases) {
    const std::string what = c.value.ToDisplayText() + " into " + c.def.name;
    if (!c.expected) {
      EXPECT_THROW(ConvertToField(c.value, c.def, "t.db"), EngineError) << what;
      continue;
    }
    EXPECT_EQ(ConvertToField(c.value, c.def, "t.db"), *c.expected) << what;
  }
}

}  // namespace
}  // namespace veltra::db
