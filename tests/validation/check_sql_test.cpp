// Statement texts: table expressions, their rule kinds and the quoting of
// pasted values.
#include "validation/check_sql.h"

#include <gtest/gtest.h>

namespace veltra::validation {
namespace {

TEST(CheckSqlTest, TableExpressionChoosesTheRuleKind) {
  const TableExpression plain = BuildTableExpression("kfq_1.db\" a", "");
  EXPECT_EQ(plain.kind, RuleKind::Plain);
  EXPECT_EQ(plain.from, "\"kfq_1.db\" a");
  EXPECT_EQ(plain.table_name, "kfq_1.db");

  const TableExpression joined = BuildTableExpression("kfq_1.db\" a,kfq_2.db\" b", "d\\");
  EXPECT_EQ(joined.kind, RuleKind::Grouped);
  EXPECT_EQ(joined.from, "\"d\\kfq_1.db\" a left join \"d\\kfq_2.db\" b");

  // ";" wins over a comma and is cut off as the last character.
  const TableExpression codes = BuildTableExpression("kfq_1.db\",x;", "");
  EXPECT_EQ(codes.kind, RuleKind::CodeList);
  EXPECT_EQ(codes.from, "\"kfq_1.db\" left join \"x");

  const TableExpression written_join = BuildTableExpression("kfq_1.db\" a left join \"kfq_5.db\" c", "");
  EXPECT_EQ(written_join.kind, RuleKind::Grouped);
}

TEST(CheckSqlTest, StatementsPasteFragmentsAndQuoteValues) {
  const SelectExtras extras{",is_chge", ",code2", " and (is_chge=\"1\")"};
  EXPECT_EQ(CodeListFirstBatchLine("qa01", "qa03", extras, "\"kfq_1.db\"", "O'K"),
            "select qa01 编号,qa03 字段值,is_chge,code2 from \"kfq_1.db\" where not (qa03='O''K'");
  EXPECT_EQ(CodeListLaterBatchLine(extras, "B"),
            "select 编号,字段值,is_chge,code2 from tmp_r.db where not (字段值='B'");
  EXPECT_EQ(CodeListAlternative("字段值", "C"), " or 字段值='C'");
  EXPECT_EQ(CodeListBatchEnd(extras), ") and (is_chge=\"1\")");
  EXPECT_EQ(PlainRuleSelect("qa01", "qc05", extras, "\"kfq_1.db\"", "qc05>=0"),
            "select qa01 编号,qc05 字段值,is_chge,code2 from \"kfq_1.db\" where not (qc05>=0) and (is_chge=\"1\")");
  EXPECT_EQ(GroupedRuleSelect("a.qa01", "count(*) n", "", "\"a.db\" a left join \"b.db\" b", "a.x=b.x", "a.qa01"),
            "select a.qa01 编号,count(*) n from \"a.db\" a left join \"b.db\" b on a.x=b.x group by a.qa01");
  EXPECT_EQ(GroupedRuleFaults("n", ",is_chge", "n=0"), "select 编号,n,is_chge from tmp.db where (n=0)");
  EXPECT_EQ(StampFaults("kfq_r.db", "qc05", "它's", "错误"),
            "update kfq_r.db set 字段名='qc05',错误信息='它''s',状态='错误' where 字段名 IS NULL");
  EXPECT_EQ(RegisterTable(kRegisterDataTable, "kfq_1.db", "企业'数据"),
            "insert into sendname.db (id,name,text) values (2,'kfq_1.db','企业''数据')");
  EXPECT_EQ(UnregisterTable(kRegisterResultTable, "kfq_r.db"), "delete from sendname.db where id=1 and name='kfq_r.db'");
}

}  // namespace
}  // namespace veltra::validation
