#include "platform/print/expression.h"

#include <gtest/gtest.h>

#include "print_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::print {
namespace {

using testing::MemoryRecords;

class ExpressionTest : public ::testing::Test {
 protected:
  FieldLookup lookup_ = [this](std::string_view data_set, std::string_view field) {
    if (!data_set.empty() && data_set != "Table1" && data_set != "Table2")
      throw EngineError(EngineError::Kind::NoSuchTable, std::string(data_set));
    MemoryRecords& source = data_set == "Table2" ? subtitle_ : projects_;
    const auto names = source.FieldNames();
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == field) return FieldBinding{&source, static_cast<int>(i)};
    throw EngineError(EngineError::Kind::NoSuchField, std::string(field));
  };

  Value Eval(std::string_view text) { return Expression::Compile(text, lookup_).Evaluate(); }

  std::string SyntaxError(std::string_view text) {
    try {
      Expression::Compile(text, lookup_);
    } catch (const EngineError& e) {
      EXPECT_EQ(e.kind(), EngineError::Kind::Syntax) << e.what();
      return e.what();
    }
    ADD_FAILURE() << "no error for " << text;
    return "";
  }

  MemoryRecords projects_{{"YY", "金额"},
                          {{Value::Text("1"), Value::Float(12.5)}, {Value(), Value::Integer(3)}}};
  MemoryRecords subtitle_{{"Text"}, {{Value::Text("高新区企业")}}};
};

TEST_F(ExpressionTest, FieldReferencesReadTheCurrentRecord) {
  EXPECT_EQ(Eval("Table2.Text"), Value::Text("高新区企业"));
  const Expression amount = Expression::Compile("金额", lookup_);
  EXPECT_EQ(amount.Evaluate(), Value::Float(12.5));
  projects_.MoveTo(1);
  EXPECT_EQ(amount.Evaluate(), Value::Integer(3));
}

TEST_F(ExpressionTest, IfPicksTheTickByCode) {
  const Expression tick = Expression::Compile("IF(Table1.YY = '1', '√', '')", lookup_);
  EXPECT_EQ(tick.Evaluate(), Value::Text("√"));
  projects_.MoveTo(1);  // no reason: no tick
  EXPECT_TRUE(tick.Evaluate().is_null());
  EXPECT_EQ(Eval("if (Table1.YY <> '2', 'a', 'b')"), Value::Text("a"));
}

TEST_F(ExpressionTest, ComparisonsAreNumericForNumbersAndTextOtherwise) {
  EXPECT_EQ(Eval("金额 > 9"), Value::Boolean(true));  // 12.5 > 9, not "12.5" < "9"
  EXPECT_EQ(Eval("金额 <= 12.5"), Value::Boolean(true));
  EXPECT_EQ(Eval("'12' < '9'"), Value::Boolean(true));
  EXPECT_EQ(Eval("'错误' < '警告'"), Value::Boolean(true));  // GBK order
  EXPECT_EQ(Eval("'it''s' = 'it''s'"), Value::Boolean(true));
  EXPECT_EQ(Eval("(YY >= '1')"), Value::Boolean(true));
}

TEST_F(ExpressionTest, FaultsNameTheExpressionAndPosition) {
  const std::string missing_else = SyntaxError("IF(YY = '1', '√')");
  EXPECT_NE(missing_else.find("IF(YY = '1', '√')"), std::string::npos) << missing_else;
  EXPECT_NE(missing_else.find("缺少“,”"), std::string::npos) << missing_else;
  EXPECT_NE(SyntaxError("YY = 'abc").find("第6个字符处开始的引号没有结束的引号"), std::string::npos);
  EXPECT_NE(SyntaxError("Table1.").find("缺少字段名"), std::string::npos);
  EXPECT_NE(SyntaxError("YY = = '1'").find("第6个字符处的“=”不应出现"), std::string::npos);
  EXPECT_NE(SyntaxError("1.2.3").find("的数值“1.2.3”无法识别"), std::string::npos);
  EXPECT_NE(SyntaxError("YY '1'").find("的“1”多余"), std::string::npos);
  EXPECT_NE(SyntaxError("").find("表达式不完整"), std::string::npos);
}

TEST_F(ExpressionTest, UnknownNamesFailWhenCompiled) {
  EXPECT_TRUE(veltra::testing::ThrowsEngineError([&] { Expression::Compile("IF(Table1.ZZ = '1', 'x', '')", lookup_); },
                                                 EngineError::Kind::NoSuchField));
  EXPECT_THROW(Expression::Compile("Table9.Text", lookup_), EngineError);
}

}  // namespace
}  // namespace veltra::print
