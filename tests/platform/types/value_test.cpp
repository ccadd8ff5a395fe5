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
  EXPECT_EQ(Value::Float(1e20).ToDisplayText(), "100000000000000000000");
  EXPECT_EQ(Value::Float(-0.0).ToDisplayText(), "0");
  EXPECT_EQ(Value::Integer(-7).ToDisplayText(), "-7");
  EXPECT_EQ(Value::FromDate(*MakeDate(2011, 12, 6)).ToDisplayText(), "2011-12-06");
  EXPECT_EQ(Value::Null().ToDisplayText(), "");
  EXPECT_EQ(Value::Integer(3).AsDouble(), 3.0);
  EXPECT_EQ(Value::Text("3").AsDouble(), 0.0);
}

// Texts and bytes on both sides of the in-place limit keep their content
// and kind through copies, moves and assignments, and compare by content.
TEST(Value, TextAndBytesSurviveCopiesMovesAndAssignments) {
  const std::string bytes_with_nul("a\0b", 3);
  const struct {
    Value value;
    std::string content;
  } cases[] = {
      {Value::Text("1"), "1"},
      {Value::Text("高新区技术"), "高新区技术"},  // 15 bytes: one past the in-place limit
      {Value::Text("14 bytes long!"), "14 bytes long!"},
      {Value::Text(std::string(5000, 'x')), std::string(5000, 'x')},
      {Value::FromBytes(bytes_with_nul), bytes_with_nul},
  };
  for (const auto& c : cases) {
    const bool text = c.value.kind() == Value::Kind::Text;
    auto content = [&](const Value& v) { return std::string(text ? v.text() : v.bytes()); };
    Value copy = c.value;
    Value moved = std::move(copy);
    EXPECT_TRUE(copy.is_null()) << c.content;
    Value assigned = Value::Float(1);
    assigned = moved;
    assigned = assigned;  // self-assignment keeps the value
    Value reassigned = Value::Text(std::string(40, 'y'));
    reassigned = std::move(moved);
    for (const Value* v : std::initializer_list<const Value*>{&assigned, &reassigned, &c.value}) EXPECT_EQ(content(*v), c.content);
    EXPECT_EQ(assigned, reassigned);
    EXPECT_EQ(assigned, text ? Value::Text(c.content) : Value::FromBytes(c.content));
    EXPECT_NE(assigned, text ? Value::FromBytes(c.content) : Value::Text(c.content));
  }
  EXPECT_THROW(Value::Integer(1).text(), std::bad_variant_access);
  EXPECT_NE(Value::Integer(1), Value::Float(1));
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
