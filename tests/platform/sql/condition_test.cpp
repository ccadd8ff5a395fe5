// Semantics of the expression evaluator, through the record-condition API
// that constraints and filters use.
#include <gtest/gtest.h>

#include "platform/sql/condition.h"
#include "tests/platform/sql/memory_catalog.h"

namespace veltra::sql {
namespace {

using namespace testing;

const FieldDefs kLayout = {Text("QA01", 6), Text("QB03", 4), Number("QC05"), Text("name", 20),
                           {"QA12", FieldType::Date, 0}};

Truth Eval(const std::string& condition, const Row& row) {
  return CompileCondition(condition, kLayout)->Evaluate(row);
}

const Row kRow = {T("110001"), T("0610"), F(12.5), T("错误abc"), Value::FromDate(*MakeDate(2011, 3, 1))};
const Row kNulls = {N, N, N, N, N};

TEST(ConditionTest, ThreeValuedLogic) {
  EXPECT_EQ(Eval("QC05>=0 and QC05<=1e9", kRow), Truth::True);
  EXPECT_EQ(Eval("QC05>=0 and QC05<=1e9", kNulls), Truth::Unknown);
  EXPECT_EQ(Eval("not (QC05>=0)", kNulls), Truth::Unknown);  // not unknown stays unknown
  EXPECT_EQ(Eval("QC05>0 or QA01='x'", kNulls), Truth::Unknown);
  EXPECT_EQ(Eval("QC05>0 or QA01='110001'", {N, N, N, N, N}), Truth::Unknown);
  EXPECT_EQ(Eval("QC05 is null or QC05>0", kNulls), Truth::True);
  EXPECT_EQ(Eval("QC05<0 and QA01='1'", {N, N, F(1), N, N}), Truth::False);  // false and unknown
  EXPECT_EQ(Eval("QC05 is not null", kRow), Truth::True);
  EXPECT_EQ(Eval("QA01 in ('1', null)", kRow), Truth::Unknown);
  EXPECT_EQ(Eval("QA01 not in ('1', '110001')", kRow), Truth::False);
  EXPECT_EQ(Eval("QC05 between 10 and 13", kRow), Truth::True);
  EXPECT_EQ(Eval("QC05 not between 10 and 13", kRow), Truth::False);
  EXPECT_EQ(Eval("QC05 between 10 and null", kRow), Truth::Unknown);
}

TEST(ConditionTest, EmptyTextIsNull) {
  EXPECT_EQ(Eval("QA01=''", kRow), Truth::Unknown);
  EXPECT_EQ(Eval("'' is null", kRow), Truth::True);
  EXPECT_EQ(Eval("QA01 || '' = QA01", kRow), Truth::True);
  EXPECT_EQ(Eval("substring(QA01 from 9 for 2) is null", kRow), Truth::True);
}

TEST(ConditionTest, TextComparesInGbkOrder) {
  // U+9519 错 is GBK B4ED, U+8B66 警 is GBK BEAF: code point order says the opposite.
  EXPECT_EQ(Eval("'警告' > '错误'", kRow), Truth::True);
  EXPECT_EQ(Eval("'a' < '错'", kRow), Truth::True);
  EXPECT_EQ(Eval("QB03 >= \"06\" and QB03 <= \"46\"", kRow), Truth::True);
  EXPECT_EQ(Eval("'abc' = 'ABC'", kRow), Truth::False);  // values keep their case
}

TEST(ConditionTest, TextMeetsNumberAsNumber) {
  EXPECT_EQ(Eval("QB03 = 610", kRow), Truth::True);
  EXPECT_EQ(Eval("QC05 = '12.5'", kRow), Truth::True);
  EXPECT_THROW(Eval("name > 3", kRow), EngineError);
  EXPECT_EQ(Eval("QA12 >= '2011-01-01'", kRow), Truth::True);
  EXPECT_THROW(Eval("QA12 = 3", kRow), EngineError);
}

TEST(ConditionTest, LikeAndSubstringCountCharacters) {
  EXPECT_EQ(Eval("name like '错_abc'", kRow), Truth::True);  // _ is one character, not one byte
  EXPECT_EQ(Eval("name like '错__abc'", kRow), Truth::False);
  EXPECT_EQ(Eval("name like '__abc'", kRow), Truth::True);
  EXPECT_EQ(Eval("name like '___abc'", kRow), Truth::False);
  EXPECT_EQ(Eval("name like '%b%'", kRow), Truth::True);
  EXPECT_EQ(Eval("name not like '%x%'", kRow), Truth::True);
  EXPECT_EQ(Eval("name like 'ABC%'", kRow), Truth::False);
  EXPECT_EQ(Eval("QA01 like '%%1'", kRow), Truth::True);
  EXPECT_EQ(Eval("name like '%a%c'", kRow), Truth::True);
  EXPECT_EQ(Eval("name like QB03", kNulls), Truth::Unknown);
  EXPECT_EQ(Eval("substring(name from 1 for 2) = '错误'", kRow), Truth::True);
  EXPECT_EQ(Eval("substring(name from 3) = 'abc'", kRow), Truth::True);
  EXPECT_EQ(Eval("substring(name, 0, 2) = '错'", kRow), Truth::True);
  EXPECT_EQ(Eval("upper(name) = '错误ABC' and lower('AbC') = 'abc' and trim('  x ') = 'x'", kRow),
            Truth::True);
}

TEST(ConditionTest, CastArithmeticAndConcatenation) {
  EXPECT_EQ(Eval("cast(QC05 as integer) = 12", kRow), Truth::True);
  EXPECT_EQ(Eval("cast(QB03 as float) + 1 = 611", kRow), Truth::True);
  EXPECT_EQ(Eval("cast(name as char(3)) = '错'", kRow), Truth::True);  // 3 GBK bytes, not half a character
  EXPECT_EQ(Eval("cast('2011-03-01' as date) = QA12", kRow), Truth::True);
  EXPECT_THROW(Eval("cast(name as integer) = 1", kRow), EngineError);
  EXPECT_EQ(Eval("QC05 * 2 - 5 = 20 and -QC05 = -12.5 and QC05 / 0 is null", kRow), Truth::True);
  EXPECT_EQ(Eval("QC05 + 1 is null", kNulls), Truth::True);
  EXPECT_EQ(Eval("QA01 || '-' || QC05 = '110001-12.5'", kRow), Truth::True);
}

TEST(ConditionTest, CompileErrors) {
  auto kind_of = [](const std::string& condition) {
    try {
      CompileCondition(condition, kLayout);
    } catch (const EngineError& error) {
      return error.kind();
    }
    return EngineError::Kind::State;
  };
  EXPECT_EQ(kind_of("qc99 > 0"), EngineError::Kind::NoSuchField);
  EXPECT_EQ(kind_of("QC05 >"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("QC05 > 0)"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("sum(QC05) > 0"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("'abc"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("QC05 # 2"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("foo(QC05) > 0"), EngineError::Kind::Unsupported);
  // Too deep: the message gives where and the limit.
  std::string chain = "QC05=0";
  for (int i = 0; i < 5000; ++i) chain += " or QC05=" + std::to_string(i);
  for (const auto& [condition, expected] : {std::pair(std::string(1000, '(') + "1=1" + std::string(1000, ')'),
                                                      std::string("SQL语句第1行第201列：表达式嵌套超过了200层的上限")),
                                            std::pair(chain, std::string("层的上限"))}) {
    try {
      CompileCondition(condition, kLayout);
      ADD_FAILURE() << "no error";
    } catch (const EngineError& error) {
      EXPECT_EQ(error.kind(), EngineError::Kind::Unsupported);
      EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("第1行第"), std::string::npos) << error.what();
    }
  }
}

TEST(ConditionTest, CodeListBatchOfTwoHundredAndTwoCodes) {
  std::string condition = "not (QB03='0000'";
  for (int code = 1; code < 202; ++code) condition += "\n or QB03='" + std::to_string(1000 + code) + "'";
  condition += ")";
  EXPECT_EQ(Eval(condition, kRow), Truth::True);
  EXPECT_EQ(Eval(condition, {N, T("1201"), N, N, N}), Truth::False);
  EXPECT_EQ(Eval(condition, kNulls), Truth::Unknown);
}

}  // namespace
}  // namespace veltra::sql
