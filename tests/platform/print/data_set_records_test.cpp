#include "platform/print/data_set_records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/print/band_report.h"
#include "platform/print/page_canvas.h"
#include "print_test_support.h"

namespace veltra::print {
namespace {

class DataSetRecordsTest : public ::testing::Test {
 protected:
  DataSetRecordsTest() {
    char pattern[] = "/tmp/veltra_print_db_XXXXXX";
    folder_ = mkdtemp(pattern);
    database_ = std::make_unique<db::Database>(folder_);
    database_->CreateTable("kfq_r.db", db::TableType::Default,
                           {{"编号", FieldType::String, 10}, {"错误信息", FieldType::String, 80}});
    table_ = std::make_unique<db::Table>(*database_);
    table_->SetTableName("kfq_r.db");
    table_->Open();
    for (const auto& [code, message] : {std::pair{"110001", "总收入不能为负"},
                                        std::pair{"110002", "错误信息二"},
                                        std::pair{"110003", "总收入不能为负"}}) {
      table_->Append();
      table_->FieldByName("编号").SetAsString(code);
      table_->FieldByName("错误信息").SetAsString(message);
      table_->Post();
    }
  }
  ~DataSetRecordsTest() override {
    table_.reset();
    database_.reset();
    std::filesystem::remove_all(folder_);
  }

  std::filesystem::path folder_;
  std::unique_ptr<db::Database> database_;
  std::unique_ptr<db::Table> table_;
};

TEST_F(DataSetRecordsTest, PrintsTheFilteredViewWithoutMovingTheCursor) {
  table_->SetFilter("错误信息='总收入不能为负'");
  table_->SetFiltered(true);
  table_->Last();
  int scrolls = 0;
  table_->AfterScroll = [&](db::DataSet&) { ++scrolls; };

  DataSetRecords records(*table_);
  BandReport report;
  report.data_set = &records;
  report.detail.height = UnitsFromPixels(20);
  report.detail.items = {
      DataText{TextBox{0, 0, 0, Alignment::Left, Font{QStringLiteral("宋体"), 10}}, "编号", ""}};
  const Document document = report.Prepare();

  ASSERT_EQ(document.pages.size(), 1u);
  const auto texts = testing::TextsOn(document.pages[0]);
  EXPECT_EQ(texts, (std::vector<QString>{"110001", "110003"}));
  EXPECT_EQ(table_->FieldByName("编号").AsString(), "110003");
  EXPECT_EQ(scrolls, 0);
}

}  // namespace
}  // namespace veltra::print
