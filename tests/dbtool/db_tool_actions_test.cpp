#include <gtest/gtest.h>

#include "dbtool/save_file_name.h"
#include "dbtool/statement_runner.h"
#include "dbtool/table_maintenance.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::dbtool {
namespace {

using db::testing::DbTest;
using Rows = std::vector<std::vector<std::string>>;

class DbToolActionsTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 10}, {"QC05", FieldType::Float, 0}});
    table.SetTableName("kfq_1.db");
    table.Open();
    AddRecord(table, {"110001", "1"});
    AddRecord(table, {"110002", "2"});
    AddRecord(table, {"110003", "3"});
  }
  db::Table table{db()};
};

TEST_F(DbToolActionsTest, SelectOpensTheQuery) {
  db::Query query(db());
  query.SQL.Add("select qa01 from kfq_1 where qc05 > 1");
  const StatementOutcome outcome = RunStatement(query);
  EXPECT_TRUE(outcome.has_rows);
  EXPECT_TRUE(query.Active());
  EXPECT_EQ(query.RecordCount(), 2);
}

TEST_F(DbToolActionsTest, StatementWithoutRowsRunsOnceAndCountsChanges) {
  table.Close();
  db::Query query(db());
  query.SQL.Add("update kfq_1 set qc05 = qc05 + 10");
  query.SQL.Add(" where qc05 >= 2");
  const StatementOutcome outcome = RunStatement(query);
  EXPECT_FALSE(outcome.has_rows);
  EXPECT_EQ(outcome.rows_changed, 2u);
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(FileRows("kfq_1.db"), (Rows{{"110001", "1"}, {"110002", "12"}, {"110003", "13"}}));

  query.SQL.Clear();
  query.SQL.Add("insert into kfq_1 (qa01, qc05) values ('110004', 4)");
  EXPECT_EQ(RunStatement(query).rows_changed, 1u);
  EXPECT_EQ(FileRows("kfq_1.db").size(), 4u);
}

TEST_F(DbToolActionsTest, BadStatementChangesNothing) {
  db::Query query(db());
  query.SQL.Add("delete kfq_1 where");
  EXPECT_THROW(RunStatement(query), EngineError);
  EXPECT_EQ(FileRows("kfq_1.db").size(), 3u);
}

TEST_F(DbToolActionsTest, EmptyingKeepsTheTableOpenAndItsFields) {
  EmptyOpenedTable(table);
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_EQ(table.FieldLayout().size(), 2u);
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
}

TEST_F(DbToolActionsTest, PackingADBaseTableKeepsItDBase) {
  db().CreateTable("gjxm_s.dbf", db::TableType::DBase, {{"XMBH", FieldType::String, 10}});
  db::Table dbase(db());
  dbase.SetTableName(db().ResolveTableName("gjxm_s.dbf").string());
  dbase.Open();
  AddRecord(dbase, {"A1"});
  AddRecord(dbase, {"A2"});
  dbase.First();
  dbase.Delete();
  const auto file_size = [&] { return std::filesystem::file_size(folder() / "gjxm_s.dbf"); };
  const auto before = file_size();

  PackOpenedTable(dbase);
  EXPECT_TRUE(dbase.Active());
  EXPECT_EQ(formats::OpenTableFile(folder() / "gjxm_s.dbf")->kind(), formats::TableKind::DBase);
  EXPECT_FALSE(std::filesystem::exists(folder() / "gjxm_s.db"));
  EXPECT_LT(file_size(), before);  // the deleted record is gone from the file
  EXPECT_EQ(FileRows("gjxm_s.dbf"), (Rows{{"A2"}}));
}

TEST_F(DbToolActionsTest, FailedPackStillReopensTheTable) {
  const auto other = Opened("kfq_1.db");  // holds the file, so it cannot be rewritten
  EXPECT_THROW(PackOpenedTable(table), EngineError);
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.RecordCount(), 3);
}

TEST(SaveFileNameTest, MissingExtensionComesFromTheFilter) {
  EXPECT_EQ(WithFilterExtension("report", 1), "report.db");
  EXPECT_EQ(WithFilterExtension("report", 2), "report.dbf");
  EXPECT_EQ(WithFilterExtension("/home/u/report", 3), "/home/u/report.txt");
  EXPECT_EQ(WithFilterExtension("report.DBF", 1), "report.DBF");
  EXPECT_EQ(WithFilterExtension("my.dir/report", 2), "my.dir/report.dbf");
}

}  // namespace
}  // namespace veltra::dbtool
