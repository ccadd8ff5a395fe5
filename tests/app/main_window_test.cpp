// The main window as the user meets it at start.
#include "app/main_window.h"

#include <QApplication>
#include <QTest>

#include "entry/entry_window.h"
#include "entry/kfq_window.h"
#include "query/query.h"
#include "install/working_folder.h"
#include "platform/db/table.h"
#include "reports/report.h"
#include "tests/platform/print/print_test_support.h"
#include "platform/ui/lists.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"
#include "tests/support/render_path.h"

namespace veltra::app {
namespace {

using ui::testing::Click;
using ui::testing::Find;

// The main window shown on a working folder, the scratch folder itself unless a test says otherwise.
class MainWindowTest : public veltra::testing::WorkingFolderTest {
 protected:
  MainWindowTest() { ShowOn(folder()); }
  ~MainWindowTest() override { window.reset(); }
  void ShowOn(const std::filesystem::path& working_folder) {
    ui::testing::EnsureApplication();
    window = std::make_unique<TF_main>(working_folder);
    window->Show();
  }
  ui::testing::UiScript ui_;
  std::unique_ptr<TF_main> window;
};

TEST_F(MainWindowTest, LayoutListAndDisabledMailButtons) {
  TF_main& w = *window;
  EXPECT_EQ(w.Caption(), "2011年度Veltra计划录入统计系统");
  EXPECT_EQ(w.RadioGroup1->Count(), 10);
  EXPECT_EQ(w.RadioGroup1->ItemIndex(), 0);
  EXPECT_EQ(w.RadioGroup1->title().toStdString(), "请选择报表");
  EXPECT_EQ(w.Button10->geometry(), QRect(512, 288, 153, 49));
  for (ui::Button* mail : {w.Button9, w.Button3, w.Button8, w.Button2}) EXPECT_FALSE(mail->isEnabled());
  EXPECT_TRUE(w.Button1->isEnabled());
}

TEST_F(MainWindowTest, FocusStartsOnDataEntryAndTabFollowsTheFormsOrder) {
  TF_main& w = *window;
  QApplication::setActiveWindow(&w);  // the first control of the tab order takes the focus
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("main_window.png")));
  std::vector<std::string> order;
  for (int i = 0; i < 9; ++i) {
    QWidget* focus = QApplication::focusWidget();
    order.push_back(w.RadioGroup1->isAncestorOf(focus) ? "RadioGroup1" : ui::testing::FocusedName());
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  // The disabled mail buttons take no focus.
  EXPECT_EQ(order, (std::vector<std::string>{"Button1", "Button7", "Button5", "Button6", "RadioGroup1", "Button10",
                                              "Button11", "Button4", "Button1"}));
}

TEST_F(MainWindowTest, ComprehensiveItemsDisableValidationAndQuery) {
  TF_main& w = *window;
  ui::testing::ChooseItem(*w.RadioGroup1, 4);
  EXPECT_FALSE(w.Button7->isEnabled());
  EXPECT_FALSE(w.Button5->isEnabled());
  ui::testing::ChooseItem(*w.RadioGroup1, 6);
  EXPECT_TRUE(w.Button7->isEnabled());
  EXPECT_TRUE(w.Button5->isEnabled());
}

TEST_F(MainWindowTest, OutsideEnterprisesOpenTheOneEnterpriseWindowEachTime) {
  TF_main& w = *window;
  ui::testing::ChooseItem(*w.RadioGroup1, 2);
  w.Unit().OpenedFromCheck = true;
  ui_.OnModal("F_kfq", [](ui::Form& kfq) {
    EXPECT_EQ(kfq.Caption(), "区外企业");
    ASSERT_TRUE(Click(Find<ui::ToolButton>(kfq, "ToolButton10")));
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(*w.Button1));
  EXPECT_FALSE(w.Unit().OpenedFromCheck);
  entry::TF_kfq* first = w.F_kfq();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(w.Unit().MainCurrentForm, first);
  EXPECT_FALSE(first->Frame().Master().Active());  // closed by its FormClose

  ui::testing::ChooseItem(*w.RadioGroup1, 0);
  ui_.OnModal("F_kfq", [](ui::Form& kfq) {
    EXPECT_EQ(kfq.Caption(), "高新区企业");
    kfq.Close();
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(*w.Button1));
  EXPECT_EQ(w.F_kfq(), first);
  EXPECT_EQ(w.Unit().ReportKind, 0);  // "数据录入" leaves the kind alone
}

TEST_F(MainWindowTest, DirectTableWorkOpensTheOneTableToolOnTheWorkingFolder) {
  TF_main& w = *window;
  for (int round = 0; round < 2; ++round) {
    // The tool asks for a table at once; cancelling leaves it empty.
    ui_.ExpectFileDialog("请选择数据库文件", std::nullopt);
    ui_.OnModal("F_db_tool", [](ui::Form& tool) {
      EXPECT_FALSE(Find<ui::Button>(tool, "Button2").isEnabled());
      tool.Close();
    }, ui::kModalCancel);
    ASSERT_TRUE(Click(*w.Button10));
  }
}

// The main window on a folder made by the installation, rules and catalogue included.
class InstalledMainWindowTest : public MainWindowTest {
 protected:
  InstalledMainWindowTest() {
    install::CreateWorkingFolder(folder() / "work");
    ShowOn(folder() / "work");
  }
};

TEST_F(InstalledMainWindowTest, ValidationRunsTheChosenKindIntoItsResultTable) {
  TF_main& w = *window;
  ui::testing::ChooseItem(*w.RadioGroup1, 2);  // enterprises outside the zones
  ui_.OnModal("F_check", [](ui::Form& check) {
    EXPECT_EQ(check.Caption(), "区外企业数据校验");
    ASSERT_TRUE(Click(Find<ui::Button>(check, "Button3")));
    check.Close();
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(*w.Button7));
  EXPECT_EQ(w.Unit().ReportKind, 3);

  // No enterprise keyed in yet: the run leaves its single "OK" row.
  db::Table results(w.Unit().Database1);
  results.SetTableName("kfq_r.db");
  results.Open();
  ASSERT_EQ(results.RecordCount(), 1);
  EXPECT_EQ(results.FieldByName("状态").AsString(), "OK");
  EXPECT_EQ(results.FieldByName("错误信息").AsString(), "无任何错误及警告");
}

TEST_F(InstalledMainWindowTest, EachItemOpensItsEntryWindowAndAFaultOpensItsRecordsWindow) {
  install::CreateWorkingFolder(folder() / "demo", {.demo = true});
  ShowOn(folder() / "demo");
  TF_main& w = *window;
  struct Entry {
    int item;
    const char* form;
    const char* caption;
  };
  for (const Entry& entry : {Entry{1, "F_kfqzh", "高新区综合情况"}, Entry{3, "F_gjxm", "国家级项目"},
                             Entry{4, "F_gjwsb", "国家级项目未上报原因"}, Entry{5, "F_tzjg", "国家高新区创业投资机构情况表"},
                             Entry{8, "F_tsjd", "特色产业基地情况"}, Entry{9, "F_sjgxq", "省级高新区"}}) {
    ui::testing::ChooseItem(*w.RadioGroup1, entry.item);
    ui_.OnModal(entry.form, [&entry](ui::Form& form) {
      EXPECT_EQ(form.Caption(), entry.caption);
      form.Close();
    }, ui::kModalCancel);
    ASSERT_TRUE(Click(*w.Button1));
  }

  // "修改报表" on the result row opens the kind's window with the locate request set.
  for (const Entry& entry : {Entry{3, "F_gjxm", "国家级项目"}, Entry{5, "F_tzjg", "创业投资机构情况"},
                             Entry{8, "F_tsjd", "特色产业基地情况"}, Entry{9, "F_sjgxq", "省级高新区"}}) {
    ui::testing::ChooseItem(*w.RadioGroup1, entry.item);
    ui_.OnModal("F_check", [](ui::Form& check) {
      ASSERT_TRUE(Click(Find<ui::Button>(check, "Button3")));
      ASSERT_TRUE(Click(Find<ui::Button>(check, "Button5")));
      check.Close();
    }, ui::kModalCancel);
    ui_.OnModal(entry.form, [&entry, &w](ui::Form& form) {
      EXPECT_EQ(form.Caption(), entry.caption);
      EXPECT_TRUE(w.Unit().OpenedFromCheck);
      form.Close();
    }, ui::kModalCancel);
    ASSERT_TRUE(Click(*w.Button7));
    EXPECT_EQ(w.EntryWindowNamed(std::string("TF_") + (entry.form + 2)), w.Unit().MainCurrentForm);
  }
}

TEST_F(InstalledMainWindowTest, IncubatorsAndScienceParksOpenTheirOwnWindows) {
  TF_main& w = *window;
  for (const auto& [item, form, caption] : {std::tuple{7, "F_fhq", "科技企业孵化器情况"},
                                            std::tuple{6, "F_dxkjy", "大学科技园情况"}}) {
    ui::testing::ChooseItem(*w.RadioGroup1, item);
    ui_.OnModal(form, [caption = caption](ui::Form& entry) {
      EXPECT_EQ(entry.Caption(), caption);
      entry.Close();
    }, ui::kModalCancel);
    ASSERT_TRUE(Click(*w.Button1));
  }
  EXPECT_NE(w.EntryWindowNamed("TF_fhq"), nullptr);
  EXPECT_EQ(w.Unit().MainCurrentForm, w.EntryWindowNamed("TF_dxkjy"));
}

TEST_F(InstalledMainWindowTest, AFaultOpensTheWindowOfItsKindOnTheFaultyDetailRow) {
  TF_main& w = *window;
  const auto add = [&w](const std::string& name, const std::map<std::string, std::string>& values) {
    db::Table table(w.Unit().Database1);
    table.SetTableName(name);
    table.Open();
    table.Append();
    for (const auto& [field, value] : values) table.FieldByName(field).SetAsString(value);
    table.Post();
  };
  add("fhq.db", {{"ID", "0001"}, {"CODE", "0001"}, {"TDF711", "示例孵化器"}});
  add("fhqzfqy.db", {{"ID", "00010001"}, {"CODE", "0001"}, {"CODE2", "0001"}, {"Tdf730", "甲"}});
  add("fhqzfqy.db", {{"ID", "00010002"}, {"CODE", "0001"}, {"CODE2", "0002"}});  // no name: a fault
  ui::testing::ChooseItem(*w.RadioGroup1, 7);
  bool opened = false;
  ui_.OnModal("F_check", [this, &opened](ui::Form& check) {
    ASSERT_TRUE(Click(Find<ui::Button>(check, "Button3")));
    auto& grid = Find<ui::DBGrid>(check, "DBGrid1");
    int fault = -1;
    for (int row = 0; row < grid.RowCount(); ++row) {
      if (grid.CellText(row, 3) == "Tdf730") fault = row;
    }
    ASSERT_GE(fault, 0);
    ui_.OnModal("F_fhq", [&opened](ui::Form& form) {
      opened = true;
      auto& fhq = static_cast<entry::EntryWindow&>(form);
      EXPECT_EQ(fhq.PageControl1->ActivePage(), fhq.TabSheets[2]);
      EXPECT_EQ(fhq.Frame().Detail(0).FieldByName("CODE2").AsString(), "0002");
      form.Close();
    }, ui::kModalCancel);
    const QRect cell = grid.visualRect(grid.model()->index(fault, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    // The same fault read as one of the science parks or of the software
    // bases (which no list item offers) opens their windows.
    for (const auto& [kind, form, caption] : {std::tuple{8, "F_dxkjy", "大学科技园情况"},
                                              std::tuple{7, "F_rjjd", "软件产业基地情况"}}) {
      window->Unit().ReportKind = kind;
      ui_.OnModal(form, [caption = caption](ui::Form& entry) {
        EXPECT_EQ(entry.Caption(), caption);
        entry.Close();
      }, ui::kModalCancel);
      ASSERT_TRUE(Click(Find<ui::Button>(check, "Button5")));
    }
    check.Close();
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(*w.Button7));
  EXPECT_TRUE(opened);
  EXPECT_NE(w.EntryWindowNamed("TF_rjjd"), nullptr);
  EXPECT_TRUE(w.Unit().LocateKeyValue2.empty());
}

TEST_F(InstalledMainWindowTest, ReportPrintingBuildsTheTickedSummaryAndPrintsIt) {
  TF_main& w = *window;
  ui::testing::ChooseItem(*w.RadioGroup1, 0);  // zone enterprises
  print::testing::ScriptedUser printer;
  const auto pdf = folder() / "qyhz.pdf";
  printer.file_answers = {pdf};
  ui_.OnModal("F_report", [](ui::Form& form) {
    auto& report = static_cast<reports::TF_report&>(form);
    EXPECT_EQ(report.Caption(), "报表打印");
    for (int i = 0; i < report.ListBox1->Count(); ++i)
      report.CheckListBox1->SetChecked(i, report.ListBox1->Item(i) == "kfqhz");
    ASSERT_TRUE(Click(*report.ToolButton3));
    report.Close();
  }, ui::kModalCancel);
  ASSERT_TRUE(Click(*w.Button6));
  EXPECT_EQ(w.Unit().ReportKind, 1);

  // No enterprise keyed in yet: every count of the built summary is 0.
  db::Table summary(w.Unit().Database1);
  summary.SetTableName("qyhz.db");
  summary.Open();
  ASSERT_EQ(summary.RecordCount(), 1);
  EXPECT_EQ(summary.FieldByName("区外企业数").AsString(), "0");
  EXPECT_TRUE(summary.FieldByName("企业数").IsNull());
  EXPECT_NE(print::testing::PdfText(pdf).find("企业数"), std::string::npos);
}

TEST_F(InstalledMainWindowTest, QueryOpensBesideTheMainWindowOnTheChosenKind) {
  TF_main& w = *window;
  ui::testing::ChooseItem(*w.RadioGroup1, 6);  // university science parks
  ASSERT_TRUE(Click(*w.Button5));
  EXPECT_EQ(w.Unit().ReportKind, 8);
  query::TF_query* query = w.F_query();
  ASSERT_NE(query, nullptr);
  EXPECT_TRUE(query->isVisible());
  EXPECT_EQ(query->Caption(), "大学科技园查询统计");

  // The main window stays usable; the same window comes back on the new kind.
  w.Show();  // the user turns back to the main window
  ui::testing::ChooseItem(*w.RadioGroup1, 0);
  ASSERT_TRUE(Click(*w.Button5));
  EXPECT_EQ(w.F_query(), query);
  EXPECT_EQ(query->Caption(), "高新区企业查询统计");
}

TEST_F(InstalledMainWindowTest, MaintenanceWorksOnTheWorkingFolder) {
  TF_main& w = *window;
  ui_.OnModal("F_xtwh", [](ui::Form& xtwh) {
    EXPECT_EQ(xtwh.Caption(), "系统维护");
    ui::testing::DoubleClickItem(Find<ui::CheckListBox>(xtwh, "CheckListBox1"), 4);
    ASSERT_TRUE(Click(Find<ui::Button>(xtwh, "Button1")));
    xtwh.Close();
  }, ui::kModalCancel);
  ui_.ExpectMessage(ui::MessageKind::Information, "", "数据备份完成");
  ASSERT_TRUE(Click(*w.Button11));
  EXPECT_EQ(w.Unit().SendBaseDir, (folder() / "work").string() + "/");
  EXPECT_TRUE(std::filesystem::exists(folder() / "work" / "bak" / "gj_wsb.db"));
}

// The mail buttons stay disabled, but their handlers open the mail windows in their modes.
TEST_F(InstalledMainWindowTest, MailHandlersOpenTheSendingWindowInTheirModeAndTheReceivingWindow) {
  TF_main& w = *window;
  const std::pair<ui::Button*, int> senders[] = {{w.Button8, 0}, {w.Button9, 1}, {w.Button3, 2}};
  for (const auto& [button, mode] : senders) {
    ui_.OnModal("F_smtp", [&, mode = mode](ui::Form& smtp) {
      EXPECT_EQ(w.Unit().ReportKind, mode);
      EXPECT_EQ(smtp.Caption(), "发送邮件");
    }, ui::kModalCancel);
    button->OnClick();
  }
  ui_.OnModal("F_pop3", [](ui::Form& pop3) { EXPECT_EQ(pop3.Caption(), "接收邮件"); }, ui::kModalCancel);
  w.Button2->OnClick();
}

}  // namespace
}  // namespace veltra::app
