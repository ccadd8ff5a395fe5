#include "query/printout_tables.h"

#include <gtest/gtest.h>

#include "tests/platform/db/db_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::query {
namespace {

class PrintoutTablesTest : public db::testing::DbTest {
 protected:
  void SetUp() override {
    Create("bt_p.db", {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}});
    Create("bt2_p.db", {{"标题文字", FieldType::String, 80},
                        {"标题对齐", FieldType::Integer, 0},
                        {"标题字号", FieldType::Integer, 0},
                        {"正文字号", FieldType::Integer, 0}});
  }
  void AddRow(const std::string& name, const std::vector<std::string>& values) { AddRecord(*Opened(name), values); }
};

TEST_F(PrintoutTablesTest, TitleComesFromTheFirstRow) {
  AddRow("bt2_p.db", {"开发区企业情况表", "2", "16", "9"});
  AddRow("bt2_p.db", {"第二行", "0", "10", "10"});
  const PrintoutTitle title = ReadPrintoutTitle(db());
  EXPECT_EQ(title.text, "开发区企业情况表");
  EXPECT_EQ(title.alignment, TitleAlignment::Right);
  EXPECT_EQ(title.title_size, 16);
  EXPECT_EQ(title.body_size, 9);
}

TEST_F(PrintoutTablesTest, ValuesOutsideTheListsAreLeftOut) {
  AddRow("bt2_p.db", {"", "3", "127", "-1"});
  const PrintoutTitle title = ReadPrintoutTitle(db());
  EXPECT_EQ(title.text, "");
  EXPECT_FALSE(title.alignment);
  EXPECT_FALSE(title.title_size);
  EXPECT_FALSE(title.body_size);
}

TEST_F(PrintoutTablesTest, EmptyTitleTableGivesNoTitle) {
  const PrintoutTitle title = ReadPrintoutTitle(db());
  EXPECT_EQ(title.text, "");
  EXPECT_FALSE(title.alignment);
}

TEST_F(PrintoutTablesTest, ColumnsInRowOrder) {
  AddRow("bt_p.db", {"编号", "10"});
  AddRow("bt_p.db", {"企业名称", "40"});
  AddRow("bt_p.db", {"多余", "5"});
  const auto columns = ReadPrintColumns(db(), 2);
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[1].caption, "企业名称");
  EXPECT_EQ(columns[1].width_chars, 40);
}

TEST_F(PrintoutTablesTest, TooFewCaptionsAreReportedWithTheTable) {
  AddRow("bt_p.db", {"编号", "10"});
  EXPECT_TRUE(veltra::testing::ThrowsEngineError([&] { ReadPrintColumns(db(), 3); }, std::nullopt, {"bt_p.db"}));
}

TEST_F(PrintoutTablesTest, MissingTableFails) {
  std::filesystem::remove(folder() / "bt2_p.db");
  EXPECT_THROW(ReadPrintoutTitle(db()), EngineError);
}

}  // namespace
}  // namespace veltra::query
