// The enterprise window and its dialogs as a user drives them.
#include <QApplication>
#include <QLabel>

#include "mainunit/ui_prompts.h"
#include "entry/change_r.h"
#include "entry/kfq_window.h"
#include "exchange/bhcl.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"

namespace veltra::entry {
namespace {

using ui::testing::Click;
using ui::testing::Find;

class KfqWindowTest : public veltra::testing::WorkingFolderTest {
 protected:
  KfqWindowTest() { ui::testing::EnsureApplication(); }
  ~KfqWindowTest() override {
    window.reset();
  }
  TF_kfq& Open() {
    window = std::make_unique<TF_kfq>(main(), prompts);
    window->SetCaption("高新区企业");
    window->Show();
    QApplication::processEvents();
    return *window;
  }
  ui::ToolButton& Tool(const char* name) { return Find<ui::ToolButton>(*window, name); }

  ui::testing::UiScript ui_;
  mainunit::UiPrompts prompts;
  std::unique_ptr<TF_kfq> window;
};

TEST_F(KfqWindowTest, KeyedInEnterpriseAndProductReachTheTables) {
  TF_kfq& w = Open();
  EXPECT_FALSE(w.TabSheets[1]->TabVisible());  // empty table: the cover only
  ASSERT_TRUE(Click(Tool("ToolButton5")));
  EXPECT_TRUE(w.TabSheets[1]->TabVisible());
  ui::testing::Type(*w.DBEdit1, "110001");
  ui::testing::Type(*w.EditOf("QA04"), "Jia Ltd");
  ASSERT_TRUE(Click(Tool("ToolButton7")));
  EXPECT_EQ(Column("kfq_1.db", "Id"), (std::vector<std::string>{"110001"}));
  EXPECT_EQ(w.StatusBar1->SimpleText(), "报表编号: 110001  当前记录: 1  总记录: 1  未修改");

  w.PageControl1->setCurrentWidget(w.TabSheets[4]);  // the user picks the products tab
  QApplication::processEvents();
  EXPECT_EQ(w.Frame().CurrentTable(), &w.Frame().Detail(0));
  EXPECT_FALSE(w.ToolButton9->isEnabled());
  ASSERT_TRUE(Click(Tool("ToolButton5")));
  w.Frame().Detail(0).FieldByName("QE01").SetAsString("1");
  ASSERT_TRUE(Click(Tool("ToolButton7")));
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1"}));
  EXPECT_EQ(w.DBGrid1->Column(1).Title(), "产品名称");
  EXPECT_EQ(w.DBGrid1->Column(1).Width(), 208);
  EXPECT_EQ(w.DBGrid6->Column(0).FieldName(), "Qh36");
  // The coded fields show their codes as read-only text.
  EXPECT_NE(Find<QLabel>(w, "Codes_QB05").text().toStdString().find("1 有"), std::string::npos);
  // The two layout-design fields the form mixes up are each on their own edit.
  EXPECT_NE(w.EditOf("Qj86_1"), w.EditOf("Qj86"));
  EXPECT_NE(w.EditOf("Qj86_1"), nullptr);

  // The pages as shown, for a look by eye.
  w.resize(792, 543);
  w.Frame().ShowPage(0);
  EXPECT_TRUE(w.grab().save("kfq_cover.png"));
  w.Frame().ShowPage(4);
  EXPECT_TRUE(w.grab().save("kfq_products.png"));
  w.Frame().ShowPage(1);
  EXPECT_TRUE(w.grab().save("kfq_profile.png"));

  ASSERT_TRUE(Click(Tool("ToolButton10")));
  EXPECT_FALSE(w.Frame().Master().Active());
}

TEST_F(KfqWindowTest, DeleteAsksAndAQuestionAnsweredNoKeepsTheRecord) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "1"}}});
  Open();
  ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::No);
  ASSERT_TRUE(Click(Tool("ToolButton6")));
  ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::Yes);
  ASSERT_TRUE(Click(Tool("ToolButton6")));
  EXPECT_TRUE(Column("kfq_1.db", "Id").empty());
  EXPECT_FALSE(window->TabSheets[1]->TabVisible());
}

TEST_F(KfqWindowTest, ANarrowScreenPutsTheWindowAtTheTopLeft) {
  ui_.SetScreenWidth(800);
  TF_kfq& w = Open();
  EXPECT_EQ(w.pos(), QPoint(0, 0));
}

TEST_F(KfqWindowTest, EnterInTheLastUpperColumnMovesToTheLowerGrid) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "1"}}});
  AddRows("kfq_2.db", {{{"ID", "1_1"}, {"QA01", "1"}, {"QE01", "1"}}});
  TF_kfq& w = Open();
  w.PageControl1->setCurrentWidget(w.TabSheets[4]);
  ui::testing::Focus(*w.DBGrid1);
  w.DBGrid1->SetSelectedColumn(w.DBGrid1->ColumnCount() - 1);
  ui::testing::PressEnter();
  EXPECT_EQ(w.DBGrid2->SelectedColumn(), 0);
  ui::testing::Focus(*w.DBGrid2);
  ui::testing::PressEnter();
  EXPECT_EQ(w.DBGrid2->SelectedColumn(), 1);
}

TEST_F(KfqWindowTest, LocateDialogSearchesTheChosenKeyOnEnter) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "100001"}, {"QA03", "L1"}},
                       {{"Id", "2"}, {"QA01", "200002"}, {"QA03", "L2"}}});
  TF_kfq& w = Open();
  ui_.OnModal("F_change_r2", [](ui::Form& dialog) {
    EXPECT_EQ(Find<ui::Edit>(dialog, "Edit1").Text(), "");
    ASSERT_TRUE(Click(Find<ui::RadioButton>(dialog, "RadioButton3")));
    ui::testing::Type(Find<ui::Edit>(dialog, "Edit1"), "L2");
    ui::testing::PressEnter();
  }, ui::kModalOk);
  ui::testing::DoubleClick(*w.StatusBar1);
  EXPECT_EQ(w.Frame().Master().FieldByName("QA01").AsString(), "200002");
  EXPECT_EQ(w.Frame().SavedReportNo(), "200002");
}

TEST_F(KfqWindowTest, PlainLocateDialogSearchesTheWindowsKeyAndKeepsItsOrderWithoutAnIndex) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "100001"}}, {{"Id", "2"}, {"QA01", "200002"}}});
  TF_kfq& w = Open();
  db::Table& master = w.Frame().Master();
  master.SetIndexFieldNames("QA01");
  main().LocateTable = &master;
  main().LocateKeyField = "qa01";
  main().LocateIndexName = "";
  TF_change_r dialog(main());
  ui_.OnModal("F_change_r", [](ui::Form& d) {
    ASSERT_TRUE(Click(Find<ui::RadioButton>(d, "RadioButton2")));
    ASSERT_TRUE(Click(Find<ui::Button>(d, "Button1")));  // empty value: stays open
    EXPECT_TRUE(d.isVisible());
    ui::testing::Type(Find<ui::Edit>(d, "Edit1"), "200002");
    ui::testing::PressEnter();
  }, ui::kModalOk);
  dialog.ShowModal();
  EXPECT_EQ(master.FieldByName("QA01").AsString(), "200002");
  EXPECT_EQ(master.IndexFieldNames(), "QA01");
}

TEST_F(KfqWindowTest, ClosingTheRenumberingDialogByItsFrameAbandonsTheImport) {
  std::filesystem::create_directory(folder() / "in");
  for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) CreateEmpty(std::string("in\\") + name, name);
  AddRows("in\\kfq_1.db", {{{"QA01", "110001"}, {"QA03", "L1"}}});
  Open();
  ui_.ExpectFileDialog("请选择上报企业数据的磁盘目录", (folder() / "in" / "kfq_1.db").string());
  ui_.OnModal("F_bhcl", [](ui::Form& dialog) {
    EXPECT_EQ(Find<QLabel>(dialog, "Label1").text().toStdString(), exchange::kListingLine1);
    dialog.Close();
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(Tool("ToolButton11")));
  EXPECT_FALSE(main().ImportOk);
  EXPECT_TRUE(Column("kfq_1.db", "QA01").empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder() / "tmp"));
}

}  // namespace
}  // namespace veltra::entry
