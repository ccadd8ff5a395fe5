#include "platform/types/value.h"

#include <gtest/gtest.h>

#include "platform/types/field.h"

namespace veltra {
namespace {

TEST(Value, EmptyTextAndBytesAreNull) {
  EXPECT_TRUE(Value::Text("").is_null());
  EXPECT_TRUE(Value::FromBytes("").is_null());
  EXPECT_FALSE(Value::Text(" ").is_null());
  EXPECT_EQ(Value::Text("高新区").text(), "高新区");
}

TEST(Value, DisplayTextOfEachKind) {
  EXPECT_EQ(Value::Float(2.5).ToDisplayText(), "2.5");
  EXPECT_EQ(Value::Float(100).ToDisplayText(), "100");
  EXPECT_EQ(Value::Float(200000).ToDisplayText(), "200000");
  EXPECT_EQ(Value::Float(123456789012.5).ToDisplayText(), "123456789012.5");
  EXPECT_EQ(Value::Float(0.1).ToDisplayText(), "0.1");
  EXPECT_EQ(Value::Float(1e20).ToDisplayText(), "1e+20");
  EXPECT_EQ(Value::Float(-0.0).ToDisplayText(), "0");
  EXPECT_EQ(Value::Integer(-7).ToDisplayText(), "-7");
  EXPECT_EQ(Value::FromDate(*MakeDate(2011, 12, 6)).ToDisplayText(), "2011-12-06");
  EXPECT_EQ(Value::Null().ToDisplayText(), "");
  EXPECT_EQ(Value::Integer(3).AsDouble(), 3.0);
  EXPECT_EQ(Value::Text("3").AsDouble(), 0.0);
}

TEST(FieldDefs, FindsNamesWithoutRegardToCase) {
  const FieldDefs fields = {{"Id", FieldType::String, 9}, {"QA01", FieldType::String, 6},
                            {"Qa16", FieldType::String, 20}};
  EXPECT_EQ(FindField(fields, "qa01"), 1);
  EXPECT_EQ(FindField(fields, "QA16"), 2);
  EXPECT_EQ(FindField(fields, "QA99"), -1);
  EXPECT_TRUE(IsNumericType(FieldType::SmallInt));
  EXPECT_FALSE(IsNumericType(FieldType::Date));
  EXPECT_TRUE(IsBlobType(FieldType::Memo));
}

}  // namespace
}  // namespace veltra
