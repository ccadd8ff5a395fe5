#include "query/query_p.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "query/bt_p.h"
#include "tests/query/pdf_text.h"
#include "tests/platform/ui/data_fixture.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/support/render_path.h"

namespace veltra::query {
namespace {

using ui::testing::Click;
using ui::testing::PressEnter;
using ui::testing::Type;

class QueryPTest : public ui::testing::DataUiTest {
 protected:
  void SetUp() override {
    Create("query_p.db", {{"QA01", FieldType::String, 10}, {"QA02", FieldType::String, 30}});
    Create("bt_p.db", {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}});
    Create("bt2_p.db", {{"标题文字", FieldType::String, 80},
                        {"标题对齐", FieldType::Integer, 0},
                        {"标题字号", FieldType::Integer, 0},
                        {"正文字号", FieldType::Integer, 0}});
    Fill("bt2_p.db", {{"开发区企业名单", "1", "16", "10"}});
    Fill("bt_p.db", {{"编号", "10"}, {"企业名称", "30"}});
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 150; ++i) rows.push_back({std::to_string(110000 + i), "企业" + std::to_string(i)});
    Fill("query_p.db", rows);
  }
  void Fill(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
    const auto table = Opened(name);
    for (const auto& row : rows) AddRecord(*table, row);
  }
  void Run(const std::function<void()>& steps) {
    ui_.OnModal("F_query_p", [&](ui::Form&) { steps(); }, ui::kModalCancel);
    F_query_p.ShowModal();
  }
  static void Retype(ui::Edit& edit, const std::string& text) {
    edit.clear();
    Type(edit, text);
  }

  TF_query_p F_query_p{db()};
};

TEST_F(QueryPTest, ActivationReadsTheSettingsAndPagesThrough) {
  Run([&] {
    EXPECT_EQ(F_query_p.x(), std::max(0, (ui::Ui().ScreenWidth() - F_query_p.width()) / 2));  // centred
    EXPECT_EQ(F_query_p.Edit4.Text(), "开发区企业名单");
    EXPECT_EQ(F_query_p.ComboBox4.Text(), "16");
    EXPECT_EQ(F_query_p.ComboBox2.Text(), "10");
    const int pages = F_query_p.Printout().PageCount();
    ASSERT_GT(pages, 2);
    EXPECT_EQ(F_query_p.Edit2.Text(), std::to_string(pages));
    EXPECT_EQ(F_query_p.Edit3.Text(), "1");
    EXPECT_FALSE(F_query_p.Image1->pixmap().isNull());
    // Five digits show whole in each page box (Qt keeps 2 pixels each side).
    for (const ui::Edit* box : {&F_query_p.Edit1, &F_query_p.Edit2, &F_query_p.Edit3}) {
      EXPECT_LE(box->fontMetrics().horizontalAdvance("87780"), box->contentsRect().width() - 4) << box->objectName().toStdString();
    }
    EXPECT_TRUE(F_query_p.grab().save(veltra::testing::RenderPath("query_p.png")));

    EXPECT_TRUE(Click(F_query_p.Button3));  // nothing before the first page
    EXPECT_EQ(F_query_p.CurrentPage(), 0);
    EXPECT_TRUE(Click(F_query_p.Button4));
    EXPECT_EQ(F_query_p.Edit3.Text(), "2");

    Retype(F_query_p.Edit3, std::to_string(pages));
    PressEnter();
    EXPECT_EQ(F_query_p.CurrentPage(), pages - 1);
    EXPECT_TRUE(Click(F_query_p.Button4));  // nothing after the last
    EXPECT_EQ(F_query_p.CurrentPage(), pages - 1);
    for (const std::string& outside : {std::string("0"), std::to_string(pages + 1)}) {
      Retype(F_query_p.Edit3, outside);
      PressEnter();
      EXPECT_EQ(F_query_p.CurrentPage(), pages - 1) << outside;
    }
    // Enter in the title box: another title keeps the page; a title added
    // or taken away changes the pages' height and shows the first again.
    for (const auto& [title, page] : std::vector<std::pair<std::string, int>>{
             {"另一标题", pages - 1}, {"", 0}, {"", 1}, {"又一标题", 0}}) {
      if (F_query_p.CurrentPage() == 0) {
        EXPECT_TRUE(Click(F_query_p.Button4));
      }
      Retype(F_query_p.Edit4, title);
      PressEnter();
      EXPECT_EQ(F_query_p.CurrentPage(), page) << title;
    }
  });
}

TEST_F(QueryPTest, PrintsTheChosenRangeOnly) {
  const auto pdf = folder() / "printed.pdf";
  F_query_p.PrinterSetup.target.pdf_file = pdf;
  Run([&] {
    Retype(F_query_p.Edit1, "3");
    Retype(F_query_p.Edit2, "2");
    EXPECT_TRUE(Click(F_query_p.Button5));
    EXPECT_FALSE(std::filesystem::exists(pdf));

    ui_.ExpectException("“x”不是整数");
    Retype(F_query_p.Edit1, "x");
    EXPECT_TRUE(Click(F_query_p.Button5));
    EXPECT_FALSE(std::filesystem::exists(pdf));

    Retype(F_query_p.Edit1, "2");
    EXPECT_TRUE(Click(F_query_p.Button5));
  });
  const std::string text = testing::PdfText(pdf, folder() / "printed.txt");
  const PrintedPage second = F_query_p.Printout().Page(1);
  EXPECT_NE(text.find("开发区企业名单"), std::string::npos);
  EXPECT_NE(text.find("企业名称"), std::string::npos);
  EXPECT_NE(text.find("企业" + std::to_string(second.first_row)), std::string::npos);
  EXPECT_EQ(text.find("企业0 "), std::string::npos) << "page 1 was printed too";
}

TEST_F(QueryPTest, FixedLeftColumnOnASingleFieldLeavesNoPageAndNothingBreaks) {
  Create("query_p.db", {{"QA01", FieldType::String, 10}});
  Fill("query_p.db", {{"110001"}});
  F_query_p.PrinterSetup.target.pdf_file = folder() / "none.pdf";
  Run([&] {
    EXPECT_TRUE(Click(F_query_p.CheckBox3));
    EXPECT_EQ(F_query_p.Edit2.Text(), "0");
    EXPECT_TRUE(Click(F_query_p.Button1));
    EXPECT_TRUE(Click(F_query_p.Button4));
    Retype(F_query_p.Edit1, "1");
    EXPECT_TRUE(Click(F_query_p.Button5));
  });
  EXPECT_FALSE(std::filesystem::exists(folder() / "none.pdf"));
}

TEST_F(QueryPTest, CaptionsEditedInTheHeaderDialogArePrinted) {
  Run([&] {
    ui_.OnModal("F_bt_p", [&](ui::Form& form) {
      auto& bt_p = static_cast<TF_bt_p&>(form);
      ui::testing::TypeIntoCell(bt_p.DBGrid1, 1, 0, "单位名称");
      EXPECT_TRUE(Click(bt_p.Button1));
    }, ui::kModalOk);
    EXPECT_TRUE(Click(F_query_p.Button7));
    bool found = false;
    for (const print::DrawOp& op : F_query_p.ShownPage().pages.at(0).ops) {
      if (const auto* text = std::get_if<print::TextOp>(&op)) found |= text->text == QStringLiteral("单位名称");
    }
    EXPECT_TRUE(found);
  });
  EXPECT_EQ(FileRows("bt_p.db"), (std::vector<std::vector<std::string>>{{"编号", "10"}, {"单位名称", "30"}}));
}

}  // namespace
}  // namespace veltra::query
