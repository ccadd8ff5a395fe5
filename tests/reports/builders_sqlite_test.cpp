// Every statement the builders run, checked against SQLite running it on
// the same rows: the tables it reads are copied from the working folder
// as they stand when the statement runs (intermediate tables included).
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "reports/enterprise_lists.h"
#include "reports/enterprise_summaries.h"
#include "reports/project_summaries.h"
#include "tests/reports/report_folder.h"
#include "tests/support/sqlite_oracle.h"

namespace veltra::reports {
namespace {

// Equal incomes keep the table's order in our engine; SQLite is told so.
std::string SqliteSpelling(const std::string& sql) {
  return std::regex_replace(testing::SqliteSpelling(sql), std::regex("order by qc05 desc"),
                            "order by qc05 desc, rowid");
}

std::set<std::string> TablesRead(const std::string& sql) {
  static const std::regex table(R"(\w+\.db)");
  std::set<std::string> tables;
  for (auto it = std::sregex_iterator(sql.begin(), sql.end(), table); it != std::sregex_iterator(); ++it) {
    tables.insert(it->str());
  }
  return tables;
}

class BuildersSqliteTest : public ReportFolderTest {
 protected:
  explicit BuildersSqliteTest(bool demo = false) : ReportFolderTest(demo) {
    context().AfterOpen = [this](db::Query& query, std::string_view) { CompareWithSqlite(query); };
  }

  // Runs every builder; each statement is compared as it runs.
  void BuildAll() {
    BuildEnterpriseSummary(context());
    BuildEnterpriseRdSummary(context());
    BuildIndustrialEnterpriseList(context());
    BuildServiceEnterpriseList(context());
    for (const int mode : {0, 1, 2}) BuildLargeEnterpriseList(context(), mode);
    BuildSoftwareEnterpriseSummary(context());
    BuildLocalProjectSummary(context());
    BuildNationalProjectSummary(context());
  }
  static constexpr int kStatementsPerBuild = 9 + 3 + 1 + 1 + 3 + 3;

  void CompareWithSqlite(db::Query& query) {
    const std::string sql = query.SQL.Text();
    testing::SqliteDatabase sqlite;
    for (const std::string& table : TablesRead(sql)) {
      auto file = formats::OpenTableFile(Path(table));
      std::vector<std::string> columns;
      for (const FieldDef& field : file->fields()) columns.push_back(field.name);
      sqlite.Load(table, columns, file->ReadAll());
    }
    std::vector<std::string> ours;
    for (int r = 0; r < query.RecordCount(); ++r) ours.push_back(testing::CanonicalRow(query.RecordAt(r)));
    EXPECT_EQ(ours, sqlite.Query(SqliteSpelling(sql))) << sql;
    ++compared_;
  }

  int compared_ = 0;
};

TEST_F(BuildersSqliteTest, EveryStatementAgreesWithSqliteOverEmptyAndFilledTables) {
  BuildAll();
  FillSurvey();
  BuildAll();
  EXPECT_EQ(compared_, 2 * kStatementsPerBuild);
}

class DemoFolderSqliteTest : public BuildersSqliteTest {
 protected:
  DemoFolderSqliteTest() : BuildersSqliteTest(true) {}
};

TEST_F(DemoFolderSqliteTest, EveryStatementAgreesWithSqliteOverTheDemoRecords) {
  BuildAll();
  EXPECT_EQ(compared_, kStatementsPerBuild);
  EXPECT_FALSE(Rows("dqy.db").empty() && Rows("gyqy.db").empty() && Rows("fwqy.db").empty());
}

}  // namespace
}  // namespace veltra::reports
