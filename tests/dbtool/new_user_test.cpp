// A new user's first session: open the enterprise table in the table tool,
// select from it, save the result as dBase and text tables, transpose it and
// print it to PDF through the generic printout.
#include <gtest/gtest.h>
#include <unistd.h>

#include "dbtool/db_tool.h"
#include "install/working_folder.h"
#include "platform/formats/table_file.h"
#include "query/query_p.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/ui_fixture.h"
#include "tests/query/pdf_text.h"

namespace veltra::dbtool {
namespace {

using ui::testing::Click;
namespace fs = std::filesystem;

class NewUserTest : public ui::testing::UiTest {
 protected:
  NewUserTest() : root_(fs::temp_directory_path() / ("veltra_new_user_" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
    fs::create_directories(root_);
    install::CreateWorkingFolder(folder(), {.demo = true});
  }
  ~NewUserTest() override { fs::remove_all(root_); }
  fs::path folder() const { return root_ / "work"; }
  std::string PathOf(const std::string& name) const { return (folder() / name).string(); }
  std::vector<std::vector<std::string>> RowsOf(const std::string& name) const {
    std::vector<std::vector<std::string>> rows;
    for (const auto& record : formats::OpenTableFile(folder() / name)->ReadAll()) {
      std::vector<std::string>& row = rows.emplace_back();
      for (const Value& value : record) row.push_back(value.ToDisplayText());
    }
    return rows;
  }

 private:
  fs::path root_;
};

TEST_F(NewUserTest, SelectSaveTransposeAndPrintToPdf) {
  db::Database database(folder());
  ui::OpenDialog OpenDialog1;
  ui::SaveDialog SaveDialog1;
  OpenDialog1.filter = "*.db *.dbf|*.db;*.dbf";
  SaveDialog1.filter = "*.db|*.db|*.dbf|*.dbf|*.txt|*.txt";
  TF_db_tool F_db_tool(database, OpenDialog1, SaveDialog1);
  query::TF_query_p F_query_p(database);
  F_db_tool.ShowPrintout = [&] { F_query_p.ShowModal(); };
  const fs::path pdf = folder() / "kfq.pdf";

  ui_.ExpectFileDialog("请选择数据库文件", PathOf("kfq_1.db"));
  ui_.OnModal("F_db_tool", [&](ui::Form&) {
    F_db_tool.Memo1.SetLines({"select QA01, QA04", "from kfq_1.db", "order by QA01"});
    EXPECT_TRUE(Click(F_db_tool.Button5));
    ASSERT_EQ(F_db_tool.DataSource1.GetDataSet(), &F_db_tool.Query1);

    ui_.ExpectFileDialog("请选择存盘文件名", PathOf("kfq_list"), 2);
    EXPECT_TRUE(Click(F_db_tool.Button2));
    ui_.ExpectFileDialog("请选择存盘文件名", PathOf("kfq_list"), 3);
    EXPECT_TRUE(Click(F_db_tool.Button2));
    EXPECT_TRUE(Click(F_db_tool.Button6));

    ui_.OnModal("F_query_p", [&](ui::Form&) {
      F_query_p.PrinterSetup.target.pdf_file = pdf;
      EXPECT_TRUE(Click(F_query_p.Button5));
    }, ui::kModalCancel);
    EXPECT_TRUE(Click(F_db_tool.Button3));
  }, ui::kModalCancel);
  F_db_tool.ShowModal();

  const auto dbase = RowsOf("kfq_list.dbf");
  ASSERT_FALSE(dbase.empty());
  EXPECT_EQ(dbase[0], (std::vector<std::string>{"000001", "示例光电科技有限公司"}));
  EXPECT_EQ(RowsOf("kfq_list.txt"), dbase);
  // Untouched grid columns are as wide as their fields, so the saved
  // name field still holds a full 100-byte name.
  const auto saved = formats::OpenTableFile(folder() / "kfq_list.dbf");
  EXPECT_GE(saved->fields().at(1).size, 100);
  const auto transposed = RowsOf("hljh.db");
  ASSERT_EQ(transposed.size(), 2u);
  EXPECT_EQ(transposed[1][0], "QA04");
  EXPECT_EQ(transposed[1][1], "示例光电科技有限公司");

  const std::string text = query::testing::PdfText(pdf, folder() / "kfq.txt");
  EXPECT_NE(text.find("QA04"), std::string::npos);
  EXPECT_NE(text.find("示例光电科技有限公司"), std::string::npos);
  EXPECT_NE(text.find("示例软件服务有限公司"), std::string::npos);
}

}  // namespace
}  // namespace veltra::dbtool
