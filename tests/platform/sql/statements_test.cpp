// The statements that validation, queries, reports and renumbering build,
// run on small tables with known answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "platform/sql/engine.h"
#include "tests/platform/sql/memory_catalog.h"
#include "tests/support/engine_error.h"

namespace veltra::sql {
namespace {

using namespace testing;

std::vector<std::string> Column(const Result& result, std::size_t column) {
  std::vector<std::string> values;
  for (const Row& row : result.rows) values.push_back(row.at(column).ToDisplayText());
  return values;
}

class StatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalog.Add("kfq_1.db",
                {Text("Id", 9), Text("QA01", 6), Text("QA02", 1), Text("QA03", 10), Text("QA04", 100),
                 Text("QB03", 4), Text("QB07", 1), Text("QB15", 2), Number("QC05"), Number("QC02"),
                 {"qa_one", FieldType::SmallInt, 0}, Text("is_chge", 1)},
                {
                    {T("K110001"), T("110001"), T("1"), T("A1"), T("甲公司"), T("0610"), T("1"), T("1"), F(6000), F(10), I(1), T("1")},
                    {T("K110002"), T("110002"), T("2"), T("A2"), T("乙公司"), T("6310"), T("2"), N, F(-5), F(20), I(1), T("2")},
                    {T("K110003"), T("110003"), T("1"), T("A3"), T("丙公司"), T("4710"), N, T(" "), N, N, I(1), N},
                    {T("K110004"), T("110004"), T("1"), T("A4"), T("丁公司"), T("9999"), T("1"), T("2"), F(-1), F(5), I(1), T("1")},
                });
    catalog.Add("kfq_2.db", {Text("QA01", 6), Number("QE14"), {"qe_one", FieldType::SmallInt, 0}},
                {{T("110001"), F(100), I(1)}, {T("110001"), F(50), I(1)}, {T("110002"), N, I(1)}});
    catalog.Add("kfq_r.db", {Text("编号", 10), Text("字段值", 10), Text("字段名", 10), Text("错误信息", 80),
                             Text("状态", 4), Text("序号", 10)});
    catalog.Add("sendname.db", {Number("id"), Text("name", 40), Text("text", 60)},
                {{F(2), T("\"kfq_1.db"), T("old")}, {F(1), T("kfq_r.db"), T("result")}});
  }

  Result Run(const std::string& sql) { return RunStatement(sql, catalog); }

  MemoryCatalog catalog;
};

TEST_F(StatementsTest, PlainRuleReportsOnlyRecordsWhoseConditionIsFalse) {
  const Result result =
      Run("select QA01 编号,QC05 字段值 from \"kfq_1.db\" where not (QC05>=0 and QC05<=1e9)");
  ASSERT_TRUE(result.has_result_set);
  EXPECT_EQ(Column(result, 0), (std::vector<std::string>{"110002", "110004"}));  // null QC05 is unknown
  ASSERT_EQ(result.columns.size(), 2u);
  EXPECT_EQ(result.columns[0], (FieldDef{"编号", FieldType::String, 6}));
  EXPECT_EQ(result.columns[1].name, "字段值");
  EXPECT_EQ(result.columns[1].type, FieldType::Float);
}

TEST_F(StatementsTest, PlainRuleWithKindFourFilterAndExtraColumn) {
  const Result result = Run(
      "select QA01 编号,QC05 字段值,is_chge from \"kfq_1.db\" where not (QC05>=0)"
      " and (is_chge=\"1\" or is_chge=\"2\")");
  EXPECT_EQ(Column(result, 0), (std::vector<std::string>{"110002", "110004"}));
  EXPECT_EQ(Column(result, 2), (std::vector<std::string>{"2", "1"}));
}

TEST_F(StatementsTest, ResultRowsAreAppendedThenStampedByTheirNullField) {
  Result insert = Run(
      "insert into kfq_r.db (编号,字段值) select QA01 编号,QC05 字段值 from \"kfq_1.db\" where not (QC05>=0)");
  EXPECT_FALSE(insert.has_result_set);
  EXPECT_EQ(insert.rows_affected, 2u);
  Result update = Run(
      "update kfq_r.db set 字段名='QC05',错误信息='总收入不能为负',状态='错误' where 字段名 IS NULL");
  EXPECT_EQ(update.rows_affected, 2u);
  Run("insert into kfq_r.db (编号,字段值,字段名,状态) values ('110009','x','qb03','警告'), (null,'','qj25','错误')");
  EXPECT_EQ(Run("update kfq_r.db set 错误信息='m' where 字段名 IS NULL").rows_affected, 0u);

  // The float -5 went into a text column as its shortest text.
  EXPECT_EQ(catalog.Get("kfq_r.db").rows()[0][1], T("-5"));

  EXPECT_EQ(Run("delete from kfq_r.db where 编号 is null and (字段名='qj25' or 字段名='qj26' or "
                "字段名='qj27' or 字段名='qj01')")
                .rows_affected,
            1u);
  const Result sorted = Run("select * from kfq_r.db order by 状态 desc,编号");
  // "警告" sorts after "错误" in GBK, so it comes first descending.
  EXPECT_EQ(Column(sorted, 0), (std::vector<std::string>{"110009", "110002", "110004"}));
  EXPECT_EQ(sorted.columns.size(), 6u);
}

TEST_F(StatementsTest, CodeListBatchesKeepRecordsOutsideEveryCode) {
  const Result first = Run(
      "select QA01 编号,QB03 字段值 from \"kfq_1.db\" where not (QB03='0610'\n or QB03='6310'\n)");
  EXPECT_EQ(Column(first, 1), (std::vector<std::string>{"4710", "9999"}));
  catalog.Add("tmp_r.DB", {Text("编号", 10), Text("字段值", 10)});
  Run("insert into tmp_r.DB select QA01 编号,QB03 字段值 from \"kfq_1.db\" where not (QB03='0610')");
  const Result next = Run("select 编号,字段值 from tmp_r.db where not (字段值='4710'\n or 字段值='9999')");
  EXPECT_EQ(Column(next, 0), (std::vector<std::string>{"110002"}));
}

TEST_F(StatementsTest, GroupedRuleLeftJoinsAndGroups) {
  const Result result = Run(
      "select a.QA01 编号,sum(b.QE14) 产品收入,count(b.QA01) 产品数 from \"kfq_1.db\" a left join "
      "\"kfq_2.db\" b on a.QA01=b.QA01 group by a.QA01");
  EXPECT_EQ(Column(result, 0), (std::vector<std::string>{"110001", "110002", "110003", "110004"}));
  EXPECT_EQ(Column(result, 1), (std::vector<std::string>{"150", "", "", ""}));
  EXPECT_EQ(Column(result, 2), (std::vector<std::string>{"2", "1", "0", "0"}));
  EXPECT_EQ(result.columns[1].type, FieldType::Float);
  EXPECT_EQ(result.columns[2].type, FieldType::Integer);

  // The second step reads the saved result by its column names.
  catalog.Add("tmp.db", result.columns, result.rows);
  const Result faults = Run("select 编号,产品数 from tmp.db where (产品数=0 or 产品收入<100)");
  EXPECT_EQ(Column(faults, 0), (std::vector<std::string>{"110003", "110004"}));
}

TEST_F(StatementsTest, SendRegisterTakesDoubleQuotedNamesAsLiterals) {
  EXPECT_EQ(Run("delete from sendname.db where id=2 and name=\"\"\"kfq_1.db\"").rows_affected, 1u);
  Run("insert into sendname.db (id,name,text) values (2,\"kfq_1.db\",'企业数据')");
  Run("delete from sendname.db where id=1 and name='kfq_r.db'");
  Run("insert into sendname.db (id,name,text) values (1,'kfq_r.db','校验结果')");
  const auto& rows = catalog.Get("sendname.db").rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (Row{F(2), T("kfq_1.db"), T("企业数据")}));
  EXPECT_EQ(rows[1][1], T("kfq_r.db"));
}

TEST_F(StatementsTest, SummariesOverEmptyTablesGiveOneRowOfNullSumsAndZeroCounts) {
  const std::string sums = "select sum(a.qa_one) 企业数\n,sum(a.QC02) 工业总产值\n from \"kfq_1.db\" a";
  const Result full = Run(sums);
  ASSERT_EQ(full.rows.size(), 1u);
  EXPECT_EQ(full.rows[0], (Row{F(4), F(35)}));
  catalog.Add("kfq_1.db", catalog.Get("kfq_1.db").fields());
  const Result empty = Run(sums);
  ASSERT_EQ(empty.rows.size(), 1u);
  EXPECT_EQ(empty.rows[0], (Row{N, N}));
  const Result count = Run("select count(qa02) 政策区企业数 from \"kfq_1.db\" where qa02='1'");
  EXPECT_EQ(count.rows, (std::vector<Row>{{I(0)}}));
  EXPECT_EQ(count.columns[0].type, FieldType::Integer);
}

// Grouped sums of amounts near 1e15 among ordinary ones: every order of the
// records gives the exact sum (all values are multiples of 1/64, so the
// exact sum is counted in 64ths), AVG its quotient.
TEST_F(StatementsTest, SumsAndAveragesAreExactWhateverTheOrderOfTheRecords) {
  std::vector<double> amounts{1e15 + 0.375, 3.015625, -1e15, 0.046875, 123.25, -7.5};
  std::sort(amounts.begin(), amounts.end());
  std::int64_t sixty_fourths = 0;
  for (double amount : amounts) sixty_fourths += static_cast<std::int64_t>(amount * 64);
  const double exact = static_cast<double>(sixty_fourths) / 64;
  do {
    std::vector<Row> rows;
    for (double amount : amounts) rows.push_back({T("1"), F(amount)});
    catalog.Add("t.db", {Text("g", 1), Number("v")}, rows);
    const Result result = Run("select g,sum(v) s,avg(v) a from t.db group by g");
    ASSERT_EQ(result.rows.size(), 1u);
    ASSERT_EQ(result.rows[0][1], F(exact));
    ASSERT_EQ(result.rows[0][2], F(exact / 6));
  } while (std::next_permutation(amounts.begin(), amounts.end()));
}

TEST_F(StatementsTest, CountsWithConditionsOnNullFields) {
  EXPECT_EQ(Run("select count(qa02) 政策区企业数 from \"kfq_1.db\" where qa02='1'").rows[0][0], I(3));
  EXPECT_EQ(Run("select count(*) 区外企业数 from \"kfq_1.db\" where qb07='2' or qb07 is null").rows[0][0],
            I(2));
  EXPECT_EQ(Run("select count(qb07) 进区数 from \"kfq_1.db\" where qb07='1'").rows[0][0], I(2));
}

TEST_F(StatementsTest, UnconditionedCommaJoinConcatenatesColumnsInTableOrder) {
  catalog.Add("kfq1hz.db", {Number("企业数"), Number("工业总产值")}, {{F(4), F(35)}});
  catalog.Add("kfq2hz.db", {Number("产品数")}, {{F(3)}});
  catalog.Add("kfq4hz.db", {{"政策区企业数", FieldType::Integer, 0}}, {{I(3)}});
  const Result result = Run("select * from kfq1hz.db,kfq2hz.db,kfq4hz.db");
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_EQ(result.rows[0], (Row{F(4), F(35), F(3), I(3)}));
  std::vector<std::string> names;
  for (const FieldDef& column : result.columns) names.push_back(column.name);
  EXPECT_EQ(names, (std::vector<std::string>{"企业数", "工业总产值", "产品数", "政策区企业数"}));
}

TEST_F(StatementsTest, ListBuildersFilterBySubstringAndSortByIncome) {
  const Result industrial = Run(
      "select qa01 报表编号\n,qa04 企业名称\n,qc05 总收入\n from \"kfq_1.db\" where qc05>=5000 and "
      "SUBSTRING(qb03 FROM 1 FOR 2)>=\"06\" and SUBSTRING(qb03 FROM 1 FOR 2)<=\"46\" order by qc05 desc");
  EXPECT_EQ(Column(industrial, 0), (std::vector<std::string>{"110001"}));
  const Result service = Run(
      "select qa01 报表编号,qb03 行业代码 from \"kfq_1.db\" where SUBSTRING(qb03 FROM 1 FOR 2)=\"63\"    or "
      "SUBSTRING(qb03 FROM 1 FOR 2)=\"64\" or  SUBSTRING(qb03 FROM 1 FOR 2)=\"75\" order by qc05 desc");
  EXPECT_EQ(Column(service, 0), (std::vector<std::string>{"110002"}));
  // A single blank is a value; an empty field is null and does not qualify.
  const Result listed = Run("select qa01 报表编号 from \"kfq_1.db\" where qb15<>' ' order by qc05 desc");
  EXPECT_EQ(Column(listed, 0), (std::vector<std::string>{"110001", "110004"}));
}

TEST_F(StatementsTest, OrderByDescendingPutsNullsLastAndKeepsTies) {
  const Result result = Run("select qa01, qa02 from \"kfq_1.db\" order by qc05 desc");
  EXPECT_EQ(Column(result, 0), (std::vector<std::string>{"110001", "110004", "110002", "110003"}));
  const Result ties = Run("select qa01 from \"kfq_1.db\" order by qa02");
  EXPECT_EQ(Column(ties, 0), (std::vector<std::string>{"110001", "110003", "110004", "110002"}));
  const Result by_position = Run("select qa04, qa01 from \"kfq_1.db\" order by 2 desc");
  EXPECT_EQ(Column(by_position, 1).front(), "110004");
}

TEST_F(StatementsTest, RenumberingReadsTheSubmittedCopyAndUpdatesIt) {
  catalog.Add("tmp\\kfq_1.db", {Text("qa01", 6), Text("qa03", 10), Text("qa04", 100)},
              {{T("110001"), T("A1"), T("甲公司")}, {T("120001"), T("A2"), T("乙公司")},
               {T("110003"), T("B3"), T("戊公司")}, {T("130000"), T("C9"), T("新公司")}});
  const Result list = Run("select qa01 原报表编号,qa01 修改后编号,qa03 法人代码,qa04 企业名称 from tmp\\kfq_1");
  ASSERT_EQ(list.columns.size(), 4u);
  EXPECT_EQ(list.columns[0].name, "原报表编号");
  EXPECT_EQ(list.columns[1].name, "修改后编号");
  EXPECT_EQ(list.rows[1][0], list.rows[1][1]);

  const Result conflicts = Run(
      "select b.qa01 原报表编号,b.qa01 修改后编号,b.qa03 法人代码,b.qa04 企业名称 from \"kfq_1.db\" "
      "a,tmp\\kfq_1.db b where ((a.qa03=b.qa03) and (a.qa01!=b.qa01)) or ((a.qa03!=b.qa03) and "
      "(a.qa01=b.qa01))");
  EXPECT_EQ(Column(conflicts, 0), (std::vector<std::string>{"120001", "110003"}));

  EXPECT_EQ(Run("update \"tmp\\kfq_1.db\" set qa01=\"110009\" where qa01=\"120001\"").rows_affected, 1u);
  EXPECT_EQ(catalog.Get("tmp\\kfq_1.db").rows()[1][0], T("110009"));
}

TEST_F(StatementsTest, QueryWindowStatementsWithJoinFilterAndCaptionOrder) {
  const Result query = Run(
      "select a.qa01 报表编号\n,a.qa04 企业名称\n,b.QE14 产品收入\n from \"kfq_1.db\" a,\"kfq_2.db\" b\n"
      " where(a.qa01=b.qa01)\n and ( (is_chge=\"1\" or is_chge=\"2\"))\n and (b.QE14>0)\n"
      " order by 产品收入\n desc");
  EXPECT_EQ(Column(query, 2), (std::vector<std::string>{"100", "50"}));
  const Result statistics = Run(
      "select a.qb07 进区\n,sum(\na.qc05) 总收入合计\n,sum(a.qc02) 工业总产值合计\n from \"kfq_1.db\" a\n"
      " group by a.qb07");
  EXPECT_EQ(Column(statistics, 0), (std::vector<std::string>{"", "1", "2"}));  // nulls form one group
  EXPECT_EQ(Column(statistics, 1), (std::vector<std::string>{"", "5999", "-5"}));
  EXPECT_EQ(statistics.columns[1].name, "总收入合计");
}

TEST_F(StatementsTest, StarFormsAndUnreportedProjects) {
  catalog.Add("gjxm.db", {Text("jb00", 10), Text("jb01", 40), Text("jb02", 10), Text("is_chge", 1)},
              {{T("P1"), T("项目一"), T("x"), T("1")}, {T("P2"), T("项目二"), T("y"), N}});
  const Result unreported = Run("select jb00,jb01,jb02 from \"gjxm.db\" where is_chge is null");
  EXPECT_EQ(Column(unreported, 0), (std::vector<std::string>{"P2"}));
  EXPECT_EQ(unreported.columns[1], (FieldDef{"jb01", FieldType::String, 40}));

  const Result table_star = Run("Select b.*, a.QA04 from \"kfq_1.db\" a left join kfq_2.db b on a.qa01=b.qa01");
  ASSERT_EQ(table_star.columns.size(), 4u);
  EXPECT_EQ(table_star.rows.size(), 5u);
  EXPECT_EQ(table_star.rows[3], (Row{N, N, N, T("丙公司")}));  // null-extended
}

TEST_F(StatementsTest, GeneratedAndRepeatedColumnNames) {
  const Result result = Run("select count(*), qa01, qa01, qc05*2 from kfq_1.db group by qa01, qc05");
  std::vector<std::string> names;
  for (const FieldDef& column : result.columns) names.push_back(column.name);
  EXPECT_EQ(names, (std::vector<std::string>{"COUNT", "QA01", "QA01_1", "EXPR4"}));
  EXPECT_EQ(result.columns[3].type, FieldType::Float);

  // A suffix skips names the select list already has, and a name's later
  // repeats go on from its last suffix (thousands of repeats stay cheap).
  std::string many = "select qa01, qa01, qa03 qa01_1, qa01";
  for (int i = 0; i < 3000; ++i) many += ", qa01";
  names.clear();
  for (const FieldDef& column : Run(many + " from kfq_1.db").columns) names.push_back(column.name);
  ASSERT_EQ(names.size(), 3004u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
            (std::vector<std::string>{"QA01", "QA01_2", "qa01_1", "QA01_3", "QA01_4"}));
  EXPECT_EQ(names.back(), "QA01_3003");
}

TEST_F(StatementsTest, ErrorsNameTheProblemAndWhere) {
  auto error_of = [this](const std::string& sql) {
    try {
      Run(sql);
    } catch (const EngineError& error) {
      return std::pair{error.kind(), std::string(error.what())};
    }
    return std::pair{EngineError::Kind::State, std::string("no error")};
  };
  EXPECT_EQ(error_of("select qc99 from \"kfq_1.db\""),
            std::pair(EngineError::Kind::NoSuchField, std::string("unknown column qc99 in kfq_1.db")));
  EXPECT_EQ(error_of("select * from nosuch.db").first, EngineError::Kind::NoSuchTable);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db\nwhere qc05 >> 1"),
            std::pair(EngineError::Kind::Syntax, std::string("SQL语句第2行第13列“>”附近有语法错误")));
  EXPECT_EQ(error_of("select qa01 from kfq_1.db where").second, "SQL语句在第1行第32列处意外结束");
  // Binary input is quoted as text.
  EXPECT_EQ(error_of("select qa01 from kfq_1.db where qc05>1 \xFF\xFE").second, "SQL语句第1行第40列“\\xFF\\xFE”附近有语法错误");
  EXPECT_EQ(error_of("sel\x01" "ect").second, "SQL语句第1行第4列“\\x01”附近有语法错误");
  EXPECT_EQ(error_of("select qa01 from kfq_1.db union select qa01 from kfq_2.db").first,
            EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db where qa01 in (select qa01 from kfq_2.db)").first,
            EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("select case when qc05 > 0 then 'a' end from kfq_1.db").first,
            EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("select count(distinct qa02) from kfq_1.db").first, EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("create table x (a int)").first, EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("select a.qa01 from kfq_1.db a right join kfq_2.db b on a.qa01=b.qa01").first,
            EngineError::Kind::Unsupported);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db a, kfq_2.db b").first, EngineError::Kind::NoSuchField);
  EXPECT_EQ(error_of("select qa02, sum(qc05) from kfq_1.db group by qa01").first, EngineError::Kind::Syntax);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db where qa04 > 3").first, EngineError::Kind::TypeMismatch);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db order by 5").first, EngineError::Kind::Syntax);
  EXPECT_EQ(error_of("select qa01 from kfq_1.db order by 1e30").first, EngineError::Kind::Syntax);
  EXPECT_EQ(error_of("insert into kfq_2.db (QA01, nope) values ('1', 2)").second,
            "unknown column nope in kfq_2.db");
  EXPECT_EQ(error_of("insert into kfq_2.db (QA01, QE14) values ('1', 'abc')").first,
            EngineError::Kind::TypeMismatch);
}

TEST_F(StatementsTest, KeywordsAndNamesIgnoreAsciiCase) {
  const Result result = Run("SeLeCt Qa01 编号 FROM \"KFQ_1.DB\" A WhErE a.QC05 < 0 OrDeR By 编号 DESC");
  EXPECT_EQ(Column(result, 0), (std::vector<std::string>{"110004", "110002"}));
  const Result with_as = Run("select QA01 AS 编号, QA04 as \"企业名称\" from kfq_1.db where QA01 = '110001'");
  EXPECT_EQ(with_as.columns[0].name, "编号");
  EXPECT_EQ(with_as.columns[1].name, "企业名称");
  EXPECT_EQ(Run("insert into \"KFQ_2.db\" values ('110003', 1, 1)").rows_affected, 1u);
}

TEST_F(StatementsTest, MinMaxAndOrderOfTextFollowGbk) {
  catalog.Add("msg.db", {Text("状态", 4), Number("n")},
              {{T("警告"), F(1)}, {T("错误"), F(2)}, {N, F(3)}, {T("OK"), F(4)}});
  const Result extremes = Run("select min(状态) lo, max(状态) hi, count(状态) c, avg(n) a from msg.db");
  EXPECT_EQ(extremes.rows[0], (Row{T("OK"), T("警告"), I(3), F(2.5)}));
  EXPECT_EQ(extremes.columns[0], (FieldDef{"lo", FieldType::String, 4}));
  const Result sorted = Run("select 状态 from msg.db order by 状态");
  EXPECT_EQ(Column(sorted, 0), (std::vector<std::string>{"", "OK", "错误", "警告"}));
  EXPECT_THROW(Run("select sum(状态) from msg.db"), EngineError);
}

TEST_F(StatementsTest, JoinsMatchIntegerAndFloatKeysAndSkipNullKeys) {
  catalog.Add("codes.db", {{"code", FieldType::SmallInt, 0}, Text("label", 4)},
              {{I(1), T("一")}, {I(2), T("二")}, {N, T("空")}});
  catalog.Add("facts.db", {Number("code"), Number("v")}, {{F(2), F(20)}, {F(1), F(10)}, {N, F(0)}, {F(2), F(21)}});
  const Result inner = Run("select f.v, c.label from facts.db f, codes.db c where f.code = c.code");
  EXPECT_EQ(Column(inner, 1), (std::vector<std::string>{"二", "一", "二"}));
  const Result left = Run("select f.v, c.label from facts.db f left join codes.db c on c.code = f.code and c.code > 1");
  EXPECT_EQ(Column(left, 1), (std::vector<std::string>{"二", "", "", "二"}));
  const Result filtered =
      Run("select f.v from facts.db f left join codes.db c on f.code = c.code where c.label is null");
  EXPECT_EQ(Column(filtered, 0), (std::vector<std::string>{"0"}));
}

TEST_F(StatementsTest, ResultColumnSizesOfStringExpressions) {
  const Result result = Run(
      "select substring(QB03 from 1 for 2) a, 'abc' b, '中文' c, QA01 || QB07 d, upper(QA04) e, "
      "cast(QC05 as char(8)) f from kfq_1.db");
  std::vector<int> sizes;
  for (const FieldDef& column : result.columns) {
    EXPECT_EQ(column.type, FieldType::String) << column.name;
    sizes.push_back(column.size);
  }
  // Two characters may take four GBK bytes; the field holds four.
  EXPECT_EQ(sizes, (std::vector<int>{4, 3, 4, 7, 100, 8}));
  EXPECT_EQ(result.rows[0][5], T("6000"));
}

TEST_F(StatementsTest, InsertedValuesTakeTheFieldTypes) {
  catalog.Add("typed.db", {Text("s", 4), Number("f"), {"i", FieldType::SmallInt, 0}, {"d", FieldType::Date, 0}});
  Run("insert into typed.db values (12.5, ' 7 ', 3.9, '2011-02-28')");
  Run("insert into typed.db (d, s) values (null, '')");
  const auto& rows = catalog.Get("typed.db").rows();
  EXPECT_EQ(rows[0], (Row{T("12.5"), F(7), I(3), Value::FromDate(*MakeDate(2011, 2, 28))}));
  EXPECT_EQ(rows[1], (Row{N, N, N, N}));
  auto kind_of = [this](const std::string& sql) {
    try {
      Run(sql);
    } catch (const EngineError& error) {
      return error.kind();
    }
    return EngineError::Kind::State;
  };
  EXPECT_EQ(kind_of("insert into typed.db (i) values (40000)"), EngineError::Kind::InvalidValue);
  EXPECT_EQ(kind_of("insert into typed.db (d) values ('2011-02-30')"), EngineError::Kind::TypeMismatch);
  EXPECT_EQ(kind_of("insert into typed.db (s, f) values ('a')"), EngineError::Kind::Syntax);
  EXPECT_EQ(kind_of("insert into typed.db (s, s) values ('a', 'b')"), EngineError::Kind::Syntax);
  EXPECT_EQ(catalog.Get("typed.db").rows().size(), 2u);  // nothing half-written
}

TEST_F(StatementsTest, RunawayCrossJoinEndsWithAnError) {
  std::vector<Row> rows;
  for (int i = 0; i < 600; ++i) rows.push_back({F(i)});
  catalog.Add("many.db", {Number("v")}, rows);
  EXPECT_TRUE(veltra::testing::ThrowsEngineError(
      [&] { Run("select count(*) from many.db a, many.db b, many.db c where c.v < 0"); }, EngineError::Kind::Unsupported));
  // Joined on a key, the same tables are cheap.
  EXPECT_EQ(Run("select count(*) from many.db a, many.db b, many.db c where a.v = b.v and c.v = b.v")
                .rows[0][0],
            I(600));
}

TEST_F(StatementsTest, DistinctAndHaving) {
  const Result distinct = Run("select distinct qa02 from kfq_1.db");
  EXPECT_EQ(Column(distinct, 0), (std::vector<std::string>{"1", "2"}));
  const Result having = Run("select qa01, count(*) n from kfq_2.db group by qa01 having count(*) > 1");
  EXPECT_EQ(Column(having, 0), (std::vector<std::string>{"110001"}));
}

}  // namespace
}  // namespace veltra::sql
