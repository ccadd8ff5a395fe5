// The builders over a hand-made folder: every total, count and list row
// against figures worked out by hand, empty sources, the template's own
// fields, missing installation tables and repeated builds.
#include <gtest/gtest.h>

#include <filesystem>

#include "reports/enterprise_lists.h"
#include "reports/enterprise_summaries.h"
#include "reports/project_summaries.h"
#include "tests/reports/report_folder.h"

namespace veltra::reports {
namespace {

using Strings = std::vector<std::string>;

void BuildAll(BuilderContext& context) {
  BuildEnterpriseSummary(context);
  BuildEnterpriseRdSummary(context);
  BuildIndustrialEnterpriseList(context);
  BuildServiceEnterpriseList(context);
  BuildLargeEnterpriseList(context, 1);
  BuildSoftwareEnterpriseSummary(context);
  BuildLocalProjectSummary(context);
  BuildNationalProjectSummary(context);
}

class BuildersTest : public ReportFolderTest {
 protected:
  // The single row of a summary table.
  Fields OnlyRow(const std::string& table) {
    const std::vector<Fields> rows = Rows(table);
    EXPECT_EQ(rows.size(), 1u) << table;
    return rows.empty() ? Fields() : rows.front();
  }

  void ExpectValues(const std::string& table, const Fields& expected) {
    const Fields row = OnlyRow(table);
    for (const auto& [column, value] : expected) {
      ASSERT_TRUE(row.count(column)) << table << " has no column " << column;
      EXPECT_EQ(row.at(column), value) << table << "." << column;
    }
  }
};

TEST_F(BuildersTest, SummariesAddUpTheHandMadeSurvey) {
  FillSurvey();
  BuildAll(context());

  ASSERT_EQ(ColumnNames("qyhz.db").size(), 77u + 4 + 2 + 5);
  EXPECT_EQ(ColumnNames("qyhz.db").back(), "认定数");
  ExpectValues("qyhz.db", {{"企业数", "12"}, {"总收入", "675006.5"}, {"工业总产值", "6600"},  // one qc02 null
                           {"技术收入", ""},                                                  // never filled
                           {"产品数", "3"}, {"产品全年工业总产值", "30"}, {"产品创汇", ""},
                           {"项目数", "2"}, {"项目本年经费内部支出", "10"},
                           // qa02 '3' and null are in neither zone count; an empty qb07 is outside
                           {"政策区企业数", "6"}, {"新建区企业数", "4"}, {"区外企业数", "5"}, {"进区数", "7"},
                           {"认定数", "7"}});
  EXPECT_EQ(Rows("kfq4hz.db").size(), 1u);

  ASSERT_EQ(ColumnNames("qyrdhz.db").size(), 38u + 5);
  ExpectValues("qyrdhz.db", {{"QC02", "6600"}, {"Qj14", "4"}, {"Qj15", ""}, {"Qi52", ""}, {"Qh08", "7"},
                             {"Qh50", "10"}, {"Qh08_3", ""}});
  // The R&D build took the partial tables' names over.
  EXPECT_EQ(ColumnNames("kfq1hz.db").size(), 38u);
  EXPECT_EQ(ColumnNames("kfq3hz.db"), (Strings{"Qh08", "Qh08_1", "Qh08_2", "Qh08_3", "Qh50"}));

  ExpectValues("rjqyhz.db", {{"企业数", "3"}, {"总销售收入", "600"}, {"项目管理人员", ""}});
  ExpectValues("dfhz.db", {{"地方级项目数", "2"}, {"计划总投资", "120"}, {"当年上缴税金额", "5"}, {"贷款", ""}});
  // Only is_chge '1' and '2' count.
  ExpectValues("gjhz.db", {{"国家级项目数", "2"}, {"计划总投资", "30"}, {"贷款", ""}});
  EXPECT_EQ(ColumnNames("rjqyhz.db").size(), 41u);
  EXPECT_EQ(ColumnNames("dfhz.db").size(), 12u);
  EXPECT_EQ(ColumnNames("gjhz.db").size(), 10u);
}

TEST_F(BuildersTest, ListsSelectByIncomeIndustryAndListingLargestFirst) {
  FillSurvey();
  struct Case {
    std::function<void(BuilderContext&)> build;
    std::string table;
    Strings report_numbers;  // ties at 100000 keep the table's order
  };
  const std::vector<Case> cases = {
      // "0600" and "4699" are in, "0599", "4700" and an empty code out; 4999.5 is below 5000
      {BuildIndustrialEnterpriseList, "gyqy.db", {"110002", "110010", "110001"}},
      {BuildServiceEnterpriseList, "fwqy.db", {"110008", "110006", "110005", "110009"}},
      {[](BuilderContext& c) { BuildLargeEnterpriseList(c, 0); },
       "dqy.db",
       {"110007", "110002", "110010", "110008", "110011", "110003"}},
      {[](BuilderContext& c) { BuildLargeEnterpriseList(c, 1); }, "dqy.db", {"110007", "110002", "110010"}},
      // a blank or empty qb15 is not a listing
      {[](BuilderContext& c) { BuildLargeEnterpriseList(c, 2); }, "dqy.db", {"110008", "110004", "110001", "110006"}},
      // an unknown mode leaves the last list as it was
      {[](BuilderContext& c) { BuildLargeEnterpriseList(c, 3); }, "dqy.db", {"110008", "110004", "110001", "110006"}},
  };
  for (const Case& test : cases) {
    test.build(context());
    EXPECT_EQ(Column(test.table, "报表编号"), test.report_numbers) << test.table;
  }
  EXPECT_EQ(ColumnNames("gyqy.db"), (Strings{"报表编号", "企业名称", "总收入", "工业总产值", "工业增加值", "净利润",
                                             "实际上缴税费", "出口创汇总额", "人数"}));
  EXPECT_EQ(Column("fwqy.db", "行业代码"), (Strings{"6400", "7512", "6301", "7399"}));
  EXPECT_EQ(ColumnNames("dqy.db").size(), 15u);
  EXPECT_EQ(Rows("dqy.db").front().at("企业名称"), "企业110008");
}

TEST_F(BuildersTest, EmptySourcesGiveOneRowOfNullSumsAndZeroCounts) {
  BuildAll(context());
  BuildLargeEnterpriseList(context(), 2);
  const Fields summary = OnlyRow("qyhz.db");
  for (const auto& [column, value] : summary) {
    const bool count = column == "政策区企业数" || column == "新建区企业数" || column == "区外企业数" ||
                       column == "进区数" || column == "认定数";
    EXPECT_EQ(value, count ? "0" : "") << column;
  }
  for (const char* table : {"qyrdhz.db", "rjqyhz.db", "dfhz.db", "gjhz.db"}) {
    for (const auto& [column, value] : OnlyRow(table)) EXPECT_EQ(value, "") << table << "." << column;
  }
  for (const char* table : {"gyqy.db", "fwqy.db", "dqy.db"}) {
    EXPECT_TRUE(Rows(table).empty()) << table;
    EXPECT_FALSE(ColumnNames(table).empty()) << table;
  }
}

TEST_F(BuildersTest, TemplateFieldsFollowTheSumsUnderUniqueNames) {
  FillSurvey();
  main().Database1.CreateTable("kfq4hz.db", db::TableType::Default,
                               {{"企业数", FieldType::Integer, 0},
                                {"政策区企业数", FieldType::Integer, 0},
                                {"新建区企业数", FieldType::Integer, 0},
                                {"区外企业数", FieldType::Integer, 0},
                                {"进区数", FieldType::Integer, 0},
                                {"认定数", FieldType::Integer, 0},
                                {"备注", FieldType::String, 10}});
  BuildEnterpriseSummary(context());
  const Strings names = ColumnNames("qyhz.db");
  EXPECT_EQ(Strings(names.end() - 7, names.end()),
            (Strings{"企业数_1", "政策区企业数", "新建区企业数", "区外企业数", "进区数", "认定数", "备注"}));
  ExpectValues("qyhz.db", {{"企业数", "12"}, {"企业数_1", ""}, {"进区数", "7"}, {"备注", ""}});
}

TEST_F(BuildersTest, MissingInstallationTablesFailByNameAndKeepTheLastResults) {
  FillSurvey();
  BuildAll(context());
  const std::vector<Fields> summary = Rows("qyhz.db"), partial = Rows("kfq1hz.db"), local = Rows("dfhz.db");
  AddRows("kfq_1.db", {{{"Id", "110013"}, {"QA01", "110013"}, {"Qa_one", "1"}}});

  auto message_of = [](const std::function<void()>& build) {
    try {
      build();
    } catch (const EngineError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  // A template without one of the count fields.
  main().Database1.CreateTable("kfq4hz.db", db::TableType::Default, {{"政策区企业数", FieldType::Integer, 0}});
  EXPECT_NE(message_of([&] { BuildEnterpriseSummary(context()); }).find("kfq4hz.db 缺少字段 新建区企业数"),
            std::string::npos);
  std::filesystem::remove(Path("kfq4hz.db"));
  EXPECT_NE(message_of([&] { BuildEnterpriseSummary(context()); }).find("kfq4hz.db"), std::string::npos);
  std::filesystem::remove(Path("dfxm2.db"));
  EXPECT_NE(message_of([&] { BuildLocalProjectSummary(context()); }).find("dfxm2.db"), std::string::npos);

  EXPECT_EQ(Rows("qyhz.db"), summary);
  EXPECT_EQ(Rows("kfq1hz.db"), partial);
  EXPECT_EQ(Rows("dfhz.db"), local);
  EXPECT_FALSE(main().Table1.Active());
}

TEST_F(BuildersTest, ASecondBuildReplacesTheFirst) {
  FillSurvey();
  BuildAll(context());
  AddRows("kfq_1.db", {{{"Id", "110013"}, {"QA01", "110013"}, {"QA02", "1"}, {"QB07", "1"}, {"QC05", "300000"},
                        {"Qa_one", "1"}}});
  BuildAll(context());
  ExpectValues("qyhz.db", {{"企业数", "13"}, {"总收入", "975006.5"}, {"政策区企业数", "7"}, {"进区数", "8"}});
  EXPECT_EQ(Rows("kfq4hz.db").size(), 1u);
  EXPECT_EQ(Column("dqy.db", "报表编号"), (Strings{"110013", "110007", "110002", "110010"}));
}

}  // namespace
}  // namespace veltra::reports
