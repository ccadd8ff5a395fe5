#include "dbtool/transpose.h"

#include <gtest/gtest.h>

#include "platform/db/query.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::dbtool {
namespace {

using db::testing::DbTest;
using Rows = std::vector<std::vector<std::string>>;

class TransposeTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 10},
                        {"QA02", FieldType::String, 20},
                        {"QC05", FieldType::Float, 0},
                        {"QC06", FieldType::SmallInt, 0},
                        {"QD01", FieldType::Date, 0}});
    source.SetTableName("kfq_1.db");
    source.Open();
  }
  FieldDefs DefsOf(const std::string& name) { return formats::OpenTableFile(db().ResolveTableName(name))->fields(); }

  db::Table source{db()};
};

TEST_F(TransposeTest, RecordsBecomeColumnsAndFieldsRows) {
  AddRecord(source, {"110001", "软件园", "12.5", "3", "2011-05-01"});
  AddRecord(source, {"110002", "孵化器", "0.25", "-4", "2010-12-31"});
  AddRecord(source, {"110003", "", "", "", ""});
  TransposeToTable(db(), source);

  const FieldDefs columns = DefsOf("hljh.db");
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[0], (FieldDef{"字段名", FieldType::String, 60}));
  EXPECT_EQ(columns[3], (FieldDef{"字段3", FieldType::String, 60}));
  // Nulls stay empty rather than turning into 0 or day zero.
  EXPECT_EQ(FileRows("hljh.db"), (Rows{{"QA01", "110001", "110002", "110003"},
                                       {"QA02", "软件园", "孵化器", ""},
                                       {"QC05", "12.5", "0.25", ""},
                                       {"QC06", "3", "-4", ""},
                                       {"QD01", "2011-05-01", "2010-12-31", ""}}));
}

TEST_F(TransposeTest, ColumnsAreAsWideAsTheWidestStringField) {
  Create("wide.db", {{"A", FieldType::String, 100}, {"B", FieldType::String, 8}});
  Create("widest.db", {{"A", FieldType::String, 255}});
  for (const auto& [name, width] : std::vector<std::pair<std::string, int>>{{"wide.db", 101}, {"widest.db", 255}}) {
    db::Table table(db());
    table.SetTableName(name);
    table.Open();
    AddRecord(table, {std::string(100, 'x')});
    TransposeToTable(db(), table);
    EXPECT_EQ(DefsOf("hljh.db")[1].size, width) << name;
    EXPECT_EQ(FileRows("hljh.db")[0][1], std::string(100, 'x')) << name;
  }
}

TEST_F(TransposeTest, EmptySourceStillListsItsFields) {
  TransposeToTable(db(), source);
  EXPECT_EQ(DefsOf("hljh.db").size(), 1u);
  EXPECT_EQ(FileRows("hljh.db"), (Rows{{"QA01"}, {"QA02"}, {"QC05"}, {"QC06"}, {"QD01"}}));
}

TEST_F(TransposeTest, QueryOnTheTransposedTableCanBeTransposedAgain) {
  AddRecord(source, {"110001", "软件园"});
  AddRecord(source, {"110002", "孵化器"});
  TransposeToTable(db(), source);
  db::Query query(db());
  query.SQL.Add("select * from hljh.db");
  query.Open();
  TransposeToTable(db(), query);
  EXPECT_EQ(FileRows("hljh.db")[1], (std::vector<std::string>{"字段1", "110001", "软件园", "", "", ""}));
}

TEST_F(TransposeTest, MoreRecordsThanTheFormatHasColumnsFailsAndKeepsTheOldTable) {
  AddRecord(source, {"110001"});
  TransposeToTable(db(), source);
  const Rows before = FileRows("hljh.db");
  for (int i = 0; i < 300; ++i) AddRecord(source, {std::to_string(i)});
  EXPECT_THROW(TransposeToTable(db(), source), EngineError);
  EXPECT_EQ(FileRows("hljh.db"), before);
}

TEST_F(TransposeTest, ClosedSourceIsRefused) {
  source.Close();
  EXPECT_THROW(TransposeToTable(db(), source), EngineError);
  EXPECT_FALSE(std::filesystem::exists(folder() / "hljh.db"));
}

}  // namespace
}  // namespace veltra::dbtool
