// The enterprise window and its dialogs as a user drives them.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "mainunit/ui_prompts.h"
#include "entry/change_r.h"
#include "entry/kfq_window.h"
#include "exchange/bhcl.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"
#include "tests/support/render_path.h"

namespace veltra::entry {
namespace {

using ui::testing::Click;
using ui::testing::Find;

// WCAG's contrast ratio of two colours, 1 (none) to 21.
double ContrastRatio(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Paint events of the progress bar (with the window behind it) and of
// every other widget, as they happen.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(const QWidget& progress_bar) : progress_bar_(progress_bar) { qApp->installEventFilter(this); }
  ~PaintCounter() override { qApp->removeEventFilter(this); }
  int progress = 0;
  int others = 0;

 private:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    const auto* widget = static_cast<const QWidget*>(object);
    if (widget == &progress_bar_) ++progress;
    if (!widget->isAncestorOf(&progress_bar_) && widget != &progress_bar_) ++others;
    return false;
  }
  const QWidget& progress_bar_;
};

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
  // The coded fields show their codes as read-only text, plainly readable.
  const QLabel& codes = Find<QLabel>(w, "Codes_QB05");
  EXPECT_NE(codes.text().toStdString().find("1 有"), std::string::npos);
  EXPECT_GE(ContrastRatio(codes.palette().color(codes.isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                codes.foregroundRole()),
                          codes.palette().color(codes.backgroundRole())),
            4.5);
  // The project grids take their columns in the form's order.
  const auto titles = [](ui::DBGrid& grid) {
    std::vector<std::string> shown;
    for (int i = 0; i < grid.ColumnCount(); ++i) shown.push_back(grid.Column(i).Title());
    return shown;
  };
  EXPECT_EQ(titles(*w.DBGrid5), (std::vector<std::string>{"序号", "项目名称", "项目来源", "合作形式", "成果形式",
                                                          "技术经济目标", "活动类型", "起始日期", "完成日期"}));
  EXPECT_EQ(titles(*w.DBGrid6), (std::vector<std::string>{"跨年度项目处所进展阶段", "参加项目人员",
                                                          "项目人员实际工作时间", "项目经费内部支出"}));
  // The two layout-design fields the form mixes up are each on their own edit.
  EXPECT_NE(w.EditOf("Qj86_1"), w.EditOf("Qj86"));
  EXPECT_NE(w.EditOf("Qj86_1"), nullptr);

  // Every caption of every page shows whole at the window's own size.
  for (ui::TabSheet* page : w.TabSheets) {
    w.PageControl1->SetActivePage(page);
    QCoreApplication::processEvents();
    for (const QLabel* label : w.findChildren<QLabel*>()) {
      if (!label->isVisible() || label->wordWrap()) continue;
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
  }
  // The pages as shown, for a look by eye.
  w.resize(792, 543);
  w.Frame().ShowPage(0);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("kfq_cover.png")));
  w.Frame().ShowPage(4);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("kfq_products.png")));
  w.Frame().ShowPage(1);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("kfq_profile.png")));
  w.Frame().ShowPage(6);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("kfq_projects.png")));
  w.PageControl1->SetActivePage(w.TabSheets[5]);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("kfq_activities.png")));

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
  EXPECT_EQ(ui_.messages_shown().back().default_answer, ui::Answer::No);
  EXPECT_TRUE(Column("kfq_1.db", "Id").empty());
  EXPECT_FALSE(window->TabSheets[1]->TabVisible());
}

TEST_F(KfqWindowTest, AFailedFirstActivationClosesEverythingAndTheNextOpeningTriesAgain) {
  const auto remove_rules = [this] { std::filesystem::remove(folder() / "kfq2_chk.db"); };
  const auto unknown_mask_field = [this] {
    AddRows("kfq1_chk.db", {{{"field_name", "nofield"}, {"field_mask", "999999;0;_"}}});
  };
  std::size_t shown = 0;
  for (const auto& [error, spoil] : std::vector<std::pair<std::string, std::function<void()>>>{
           {"表kfq2_chk.db不存在", remove_rules}, {"表kfq_1.db中没有字段“nofield”", unknown_mask_field}}) {
    SCOPED_TRACE(error);
    spoil();
    ui_.ExpectException(error);
    window = std::make_unique<TF_kfq>(main(), prompts);
    window->Show();  // the error is shown and the window closes
    QApplication::processEvents();
    ASSERT_EQ(ui_.exceptions_shown().size(), ++shown);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Frame().Master().Active());
    EXPECT_FALSE(window->Frame().Detail(0).Active());
    EXPECT_FALSE(main().Table1.Active());

    // Mended, the same window sets itself up on its next opening.
    std::filesystem::remove(folder() / "kfq1_chk.db");
    std::filesystem::remove(folder() / "kfq2_chk.db");
    CreateEmpty("kfq1_chk.db");
    CreateEmpty("kfq2_chk.db");
    window->Show();
    QApplication::processEvents();
    EXPECT_TRUE(window->Frame().Master().Active());
    EXPECT_EQ(window->Frame().CurrentTable(), &window->Frame().Master());
    ASSERT_TRUE(Click(Tool("ToolButton10")));
  }
}

TEST_F(KfqWindowTest, AValueTheFieldCannotTakeKeepsItsTextAndFocusAndBlocksTheSave) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "100001"}, {"QA12", "2011-05-01"}, {"QC02", "5"}}});
  TF_kfq& w = Open();
  struct Case {
    int page;
    const char* field;
    const char* other_field;  // an edit on the same page
    const char* typed;
    const char* error;
  };
  for (const Case& c : {Case{0, "QA12", "QA04", "2012-13-45", "表kfq_1.db的字段“填报时间”不能取值“2012-13-45”：须是存在的日期，写成年-月-日（如2012-01-31）或八位数字（如20120131）"},
                        Case{2, "QC02", "QC04", "12a", "表kfq_1.db的字段“工业总产值”不能取值“12a”：须是数值"}}) {
    SCOPED_TRACE(c.field);
    w.Frame().ShowPage(c.page);
    QApplication::processEvents();
    ui::DBEdit& edit = *w.EditOf(c.field);
    const std::string stored = w.Frame().Master().FieldByName(c.field).AsString();
    edit.selectAll();
    ui::testing::Type(edit, c.typed);
    ui_.ExpectException(c.error);
    w.EditOf(c.other_field)->setFocus(Qt::TabFocusReason);  // leaving the edit
    EXPECT_EQ(QApplication::focusWidget(), &edit);
    ui_.ExpectException(c.error);
    ASSERT_TRUE(Click(Tool("ToolButton7")));  // 存盘 refuses
    EXPECT_EQ(edit.Text(), c.typed);
    EXPECT_EQ(Column("kfq_1.db", c.field), std::vector<std::string>{stored});
    ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
    ASSERT_TRUE(Click(Tool("ToolButton8")));
    EXPECT_EQ(edit.Text(), stored);
  }
}

TEST_F(KfqWindowTest, AppendOffersTheFileItsTitleNamesAndEmptyingDefaultsToNo) {
  CreateEmpty("in_1.db", "kfq_1.db");
  main().OpenDialog1.file_name = "kfq_2.db";  // left by the table tool
  Open();
  ui_.ExpectFileDialog("请选择企业数据库  文件名:kfq_1.db", (folder() / "in_1.db").string());
  ui_.ExpectMessage(ui::MessageKind::Question, "", "是否清空企业数据库", ui::Answer::No);
  ui_.ExpectFileDialog("请选择产品数据库  文件名:kfq_2.db", std::nullopt);
  ui_.ExpectFileDialog("请选择科技项目情况数据库  文件名:kfq_5.db", std::nullopt);
  ASSERT_TRUE(Click(Tool("ToolButton9")));
  std::vector<std::string> offered;
  for (const ui::FileDialogRequest& request : ui_.file_dialogs_shown()) offered.push_back(request.file_name);
  EXPECT_EQ(offered, (std::vector<std::string>{"kfq_1.db", "kfq_2.db", "kfq_5.db"}));
  EXPECT_EQ(ui_.messages_shown().back().default_answer, ui::Answer::No);
}

TEST_F(KfqWindowTest, AppendShowsItsWayOnTheProgressBarAloneAndTheRecordOnceAtTheEnd) {
  constexpr int kEnterprises = 300;
  veltra::testing::NamedRows enterprises, products;
  for (int i = 1; i <= kEnterprises; ++i) {
    const std::string number = std::to_string(100000 + i);
    enterprises.push_back({{"QA01", number}, {"QA03", "L" + number}, {"QA04", "企业" + number}});
    products.push_back({{"QA01", number}, {"QE01", "1"}, {"QE02", "产品" + number}});
  }
  CreateEmpty("in_1.db", "kfq_1.db");
  AddRows("in_1.db", enterprises);
  CreateEmpty("in_2.db", "kfq_2.db");
  AddRows("in_2.db", products);
  TF_kfq& w = Open();
  ui_.ExpectFileDialog("请选择企业数据库  文件名:kfq_1.db", (folder() / "in_1.db").string());
  ui_.ExpectMessage(ui::MessageKind::Question, "", "是否清空企业数据库", ui::Answer::No);
  ui_.ExpectFileDialog("请选择产品数据库  文件名:kfq_2.db", (folder() / "in_2.db").string());
  ui_.ExpectMessage(ui::MessageKind::Question, "", "是否清空产品数据库", ui::Answer::No);
  ui_.ExpectFileDialog("请选择科技项目情况数据库  文件名:kfq_5.db", std::nullopt);
  PaintCounter paints(*w.ProgressBar1);
  ASSERT_TRUE(Click(Tool("ToolButton9")));
  EXPECT_EQ(Column("kfq_2.db", "ID").size(), static_cast<std::size_t>(kEnterprises));
  EXPECT_GT(paints.progress, 0);
  // The window laid out again as the bar comes and goes, never a paint a record.
  EXPECT_LT(paints.others, kEnterprises / 2);
  EXPECT_EQ(w.DBEdit1->Text(), "100001");
  EXPECT_EQ(w.StatusBar1->SimpleText(), "报表编号: 100001  当前记录: 1  总记录: 300  未修改");
}

TEST_F(KfqWindowTest, ANarrowScreenPutsTheWindowAtTheTopLeft) {
  ui_.SetScreenWidth(800);
  TF_kfq& w = Open();
  EXPECT_EQ(w.pos(), QPoint(0, 0));
}

TEST_F(KfqWindowTest, EnterMovesAlongTheUpperGridAndOnlyFromItsLastColumnToTheLowerOne) {
  AddRows("kfq_1.db", {{{"Id", "1"}, {"QA01", "1"}}});
  AddRows("kfq_2.db", {{{"ID", "1_1"}, {"QA01", "1"}, {"QE01", "1"}}});
  TF_kfq& w = Open();
  w.PageControl1->setCurrentWidget(w.TabSheets[4]);
  QApplication::processEvents();
  const auto focus_in = [](const ui::DBGrid* grid) {
    const QWidget* focus = QApplication::focusWidget();
    return focus == grid || grid->isAncestorOf(focus);
  };
  const int last = w.DBGrid1->ColumnCount() - 1;
  struct Step {
    ui::DBGrid* grid;
    int column;
    ui::DBGrid* then_grid;
    int then_column;
  };
  for (const Step& step : {Step{w.DBGrid1, 1, w.DBGrid1, 2}, Step{w.DBGrid1, last, w.DBGrid2, 0},
                           Step{w.DBGrid2, 0, w.DBGrid2, 1}}) {
    SCOPED_TRACE(step.grid->objectName().toStdString() + " column " + std::to_string(step.column));
    ui::testing::SelectCell(*step.grid, 0, step.column);
    ui::testing::Type(*QApplication::focusWidget(), "7");  // opens the cell editor
    ui::testing::PressEnter();
    EXPECT_TRUE(focus_in(step.then_grid));
    EXPECT_EQ(step.then_grid->SelectedColumn(), step.then_column);
  }
  // What was typed stayed in the columns it was typed in.
  EXPECT_EQ(w.Frame().Detail(0).FieldByName("QE02").AsString(), "7");
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

TEST_F(KfqWindowTest, OnProductsOfAllEnterprisesTheLocateDialogOffersTheRecordNumberOnly) {
  AddRows("kfq_1.db", {{{"Id", "100001"}, {"QA01", "100001"}}, {{"Id", "200002"}, {"QA01", "200002"}}});
  AddRows("kfq_2.db", {{{"ID", "100001_1"}, {"QA01", "100001"}, {"QE01", "1"}},
                       {{"ID", "200002_1"}, {"QA01", "200002"}, {"QE01", "1"}}});
  TF_kfq& w = Open();
  struct Showing {
    bool products;  // else the cover
    bool keys_offered;
    const char* button;  // the one checked when it shows
    const char* typed;
    const char* found;  // the current table's Id afterwards
  };
  for (const Showing& s : {Showing{false, true, "RadioButton1", nullptr, "200002"},
                           Showing{true, false, "RadioButton1", "2", "200002_1"},
                           Showing{false, true, "RadioButton2", "100001", "100001"}}) {
    SCOPED_TRACE(s.typed ? s.typed : "first");
    w.Frame().ShowPage(s.products ? 4 : 0);
    if (s.products) ui::testing::ChooseItem(Find<ui::ComboBox>(w, "ComboBox2"), "所有企业记录");
    ui_.OnModal("F_change_r2", [&s](ui::Form& dialog) {
      EXPECT_TRUE(Find<ui::RadioButton>(dialog, s.button).isChecked());
      EXPECT_EQ(Find<ui::RadioButton>(dialog, "RadioButton2").isEnabled(), s.keys_offered);
      EXPECT_EQ(Find<ui::RadioButton>(dialog, "RadioButton3").isEnabled(), s.keys_offered);
      if (s.typed == nullptr) {  // the user picks 报表编号 and searches
        ASSERT_TRUE(Click(Find<ui::RadioButton>(dialog, "RadioButton2")));
        ui::testing::Type(Find<ui::Edit>(dialog, "Edit1"), "200002");
      } else {
        ui::testing::Type(Find<ui::Edit>(dialog, "Edit1"), s.typed);
      }
      ui::testing::PressEnter();
    }, ui::kModalOk);
    ui::testing::DoubleClick(*w.StatusBar1);
    EXPECT_EQ(w.Frame().CurrentTable()->FieldByName("Id").AsString(), s.found);
  }
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

TEST_F(KfqWindowTest, ARenumberingDialogClosedByItsFrameOrFailingToCopyImportsNothing) {
  struct Case {
    const char* name;     // the submission folder
    bool lacks_projects;  // the submission folder has no kfq_5.db
  };
  for (const Case& c : {Case{"closed", false}, Case{"partial", true}}) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path in = folder() / c.name;
    std::filesystem::create_directory(in);
    for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) {
      if (!(c.lacks_projects && std::string(name) == "kfq_5.db")) CreateEmpty(std::string(c.name) + "\\" + name, name);
    }
    AddRows(std::string(c.name) + "\\kfq_1.db", {{{"QA01", "110001"}, {"QA03", "L1"}}});
    if (!window) Open();
    ui_.ExpectFileDialog("请选择上报企业数据的磁盘目录", (in / "kfq_1.db").string());
    if (c.lacks_projects) ui_.ExpectException("上报数据目录" + in.string() + "中没有kfq_5.db");
    ui_.OnModal("F_bhcl", [&c](ui::Form& dialog) {
      if (c.lacks_projects) {
        EXPECT_FALSE(Click(Find<ui::Button>(dialog, "Button1")));  // closed already
      } else {
        EXPECT_EQ(Find<QLabel>(dialog, "Label1").text().toStdString(), exchange::kListingLine1);
        dialog.Close();
      }
    }, ui::kModalCancel);
    ASSERT_TRUE(Click(Tool("ToolButton11")));
    EXPECT_FALSE(main().ImportOk);
    EXPECT_TRUE(Column("kfq_1.db", "QA01").empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder() / "tmp"));
  }
}

}  // namespace
}  // namespace veltra::entry
