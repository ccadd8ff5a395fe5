// Every editable grid of the program, as a user leaves it: a value typed
// into a cell with its editor still open, then a button, a record move, a
// page change or closing the window. The files must hold what was typed,
// or the window must refuse it once and keep it for correction.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "dbtool/db_tool.h"
#include "entry/dxkjy.h"
#include "entry/gjwsb.h"
#include "entry/kfq_window.h"
#include "entry/rjjd.h"
#include "tests/entry/installed_window_fixture.h"

namespace veltra::app {
namespace {

using ui::testing::Click;
using ui::testing::ClickTab;
using ui::testing::TurnWheel;
using ui::testing::Find;
using Texts = std::vector<std::string>;

struct TypedCase;

class TypedCellsTest : public entry::testing::InstalledWindowTest {
 public:
  static std::vector<TypedCase> Cases();

 protected:
  TypedCellsTest() {
    AddRowsTo("kfq_1.db", {{{"Id", "110001"}, {"QA01", "110001"}}});
    AddRowsTo("kfq_2.db", {{{"ID", "110001_1"}, {"QA01", "110001"}, {"QE01", "1"}, {"QE14", "5000"}},
                           {{"ID", "110001_2"}, {"QA01", "110001"}, {"QE01", "2"}}});
    AddRowsTo("kfq_5.db", {{{"Id", "110001_1"}, {"Qa01", "110001"}, {"Qh00", "1"}}});
    AddRowsTo("dx.db", {{{"ID", "0001"}, {"CODE", "0001"}}});
    AddRowsTo("dxxm.db", {{{"Id", "00010001"}, {"Code", "0001"}, {"Code2", "0001"}, {"Tdf8q110", "abc"}}});
    AddRowsTo("rjjd.db", {{{"Id", "0001"}, {"Code", "0001"}}});
    AddRowsTo("rjjdqy.db", {{{"Id", "00010001"}, {"Code", "0001"}, {"Code2", "0001"}}});
    AddRowsTo("rjjdqycp.db", {{{"Id", "000100010001"}, {"Code", "0001"}, {"Code2", "0001"}, {"Code3", "0001"}}});
    AddRowsTo("gj_wsb.db", {{{"JB00", "1"}, {"YY", "2"}}});
  }

  // An entry window on its page `page`, rules off so that only typing counts.
  template <typename Window>
  Window& OpenEntry(const std::string& page) {
    auto& w = Open<Window>();
    ui::testing::ChooseItem(*w.ComboBox1, "校验关闭");
    w.PageControl1->setCurrentWidget(&Find<ui::TabSheet>(w, page));
    QApplication::processEvents();
    return w;
  }
  // Any button of the window, tool button or not.
  void Push(const char* name) { ASSERT_TRUE(Click(Find<QWidget>(*window, name))) << name; }
  static QLineEdit* OpenCellEditor() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
};

struct TypedCase {
  std::string name;
  // Shows the window ready to type; returns the grid to type into.
  std::function<ui::DBGrid&(TypedCellsTest&)> open;
  int row;
  int column;
  std::string text;
  // What the user does next, the editor still open.
  std::function<void(TypedCellsTest&)> act;
  std::string file;
  std::string field;
  Texts stored;
};

void PrintTo(const TypedCase& c, std::ostream* out) { *out << c.name; }

std::vector<TypedCase> TypedCellsTest::Cases() {
  using T = TypedCellsTest;
  const auto products = [](const char* grid) {
    return [grid](T& t) -> ui::DBGrid& {
      return *t.OpenEntry<entry::TF_kfq>("TabSheet5").Grid(grid);
    };
  };
  const auto push = [](const char* button) { return [button](T& t) { t.Push(button); }; };
  return {
      {"ProductNameThenSave", products("DBGrid1"), 0, 1, "新产品", push("ToolButton7"), "kfq_2.db", "QE02",
       {"新产品", ""}},
      {"ProductOutputThenReturn", products("DBGrid2"), 0, 3, "6000", push("ToolButton10"), "kfq_2.db", "QE14",
       {"6000", ""}},
      {"ExportRegionThenNextRecord", products("DBGrid2"), 0, 6, "1", push("ToolButton2"), "kfq_2.db", "QE17",
       {"1", ""}},
      {"ProductNameThenCancelAnsweredNoAndSave", products("DBGrid1"), 0, 1, "留下",
       [](T& t) {
         t.ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::No);
         t.Push("ToolButton8");
         t.Push("ToolButton7");
       },
       "kfq_2.db", "QE02", {"留下", ""}},
      {"ProductNameThenCoverTabAndWindowClosed", products("DBGrid1"), 1, 1, "换页",
       [](T& t) {
         auto& w = static_cast<entry::TF_kfq&>(*t.window);
         ClickTab(*w.PageControl1, 0);
         EXPECT_EQ(w.PageControl1->ActivePage(), w.TabSheets[0]);
         w.close();
       },
       "kfq_2.db", "QE02", {"", "换页"}},
      {"ProjectSpendingThenEnterInTheLastColumnAndSave",
       [](T& t) -> ui::DBGrid& { return *t.OpenEntry<entry::TF_kfq>("TabSheet9").Grid("DBGrid6"); }, 0, 3, "300",
       [](T& t) {
         ui::testing::PressEnter();
         EXPECT_EQ(ui::testing::FocusedName(), "DBGrid6") << "the editor is closed";
         t.Push("ToolButton7");
       },
       "kfq_5.db", "Qh51", {"300"}},
      {"SoftwareProductThenSave", [](T& t) -> ui::DBGrid& { return *t.OpenEntry<entry::TF_rjjd>("TabSheet5").DBGrid2; },
       0, 3, "1000", push("ToolButton7"), "rjjdqycp.db", "Ke201", {"1000"}},
      {"UnreportedReasonThenWindowClosed", [](T& t) -> ui::DBGrid& { return *t.Open<entry::TF_gjwsb>().DBGrid1; }, 0, 3,
       "4", [](T& t) { t.window->close(); }, "gj_wsb.db", "YY", {"4"}},
      {"TableToolThenReturn",
       [](T& t) -> ui::DBGrid& {
         t.window = std::make_unique<dbtool::TF_db_tool>(t.unit->Database1, t.unit->OpenDialog1, t.unit->SaveDialog1);
         t.ui_.ExpectFileDialog("请选择数据库文件", (t.work / "gj_wsb.db").string());
         return t.Open<dbtool::TF_db_tool>().DBGrid1;
       },
       0, 3, "5", push("Button4"), "gj_wsb.db", "YY", {"5"}},
  };
}

class TypedCellCases : public TypedCellsTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedCellCases, TheFileHoldsWhatWasTypedIntoTheOpenCell) {
  const TypedCase& c = GetParam();
  ui::DBGrid& grid = c.open(*this);
  ui::testing::TypeIntoCell(grid, c.row, c.column, c.text);
  ASSERT_NE(OpenCellEditor(), nullptr);
  c.act(*this);
  EXPECT_EQ(Values(c.file, c.field), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Grids, TypedCellCases, ::testing::ValuesIn(TypedCellsTest::Cases()),
                         [](const ::testing::TestParamInfo<TypedCase>& info) { return info.param.name; });

TEST_F(TypedCellsTest, AValueTheFieldCannotTakeIsRefusedOnceAndKeptInItsCell) {
  auto& w = OpenEntry<entry::TF_dxkjy>("TabSheet5");
  const std::string refusal = "表dxxm.db的字段“资助金额”不能取值“abc”：须是数值";
  ui::testing::TypeIntoCell(*w.DBGrid1, 0, 5, "abc");
  const std::vector<std::pair<std::string, std::function<void()>>> acts = {
      {"存盘", [&] { Push("ToolButton7"); }},
      {"下一记录", [&] { Push("ToolButton2"); }},
      {"插入记录", [&] { Push("ToolButton5"); }},
      {"the cover's tab", [&] { ClickTab(*w.PageControl1, 0); }},
      {"Ctrl+Tab", [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier); }},
      {"Ctrl+PgUp", [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier); }},
      {"the wheel over the tabs", [&] { TurnWheel(*w.PageControl1->tabBar()); }},
      {"another cell", [&] { ui::testing::SelectCell(*w.DBGrid1, 0, 1); }},
      {"a double click on another cell",
       [&] {
         const QPoint cell = w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center();
         QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
         QTest::mouseDClick(w.DBGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
       }},
      {"返回", [&] { Push("ToolButton10"); }},
  };
  for (const auto& [act, run] : acts) {
    SCOPED_TRACE(act);
    ui_.ExpectException(refusal);
    run();
    ASSERT_NE(OpenCellEditor(), nullptr);
    EXPECT_EQ(OpenCellEditor()->text().toStdString(), "abc");
    EXPECT_EQ(w.DBGrid1->SelectedColumn(), 5);
    EXPECT_EQ(w.DBGrid1->selectionModel()->selectedIndexes(), QModelIndexList{w.DBGrid1->model()->index(0, 5)});
    EXPECT_EQ(w.PageControl1->ActivePage(), w.TabSheets[2]);
    EXPECT_TRUE(w.isVisible());
  }
  EXPECT_EQ(ui_.exceptions_shown(), Texts(acts.size(), refusal)) << "no second message after the refusal";
  EXPECT_EQ(Values("dxxm.db", "Tdf8q150"), Texts{""});

  for (int i = 0; i < 3; ++i) QTest::keyClick(OpenCellEditor(), Qt::Key_Backspace);
  ui::testing::Type(*OpenCellEditor(), "12");
  Push("ToolButton7");
  EXPECT_EQ(Values("dxxm.db", "Tdf8q150"), Texts{"12"});
}

TEST_F(TypedCellsTest, AnEditsRefusedValueKeepsItsPageWhicheverWayThePageIsTurned) {
  auto& w = OpenEntry<entry::TF_kfq>("TabSheet3");  // the page of 产品销售收入
  ui::DBEdit& edit = *w.EditOf("QC07");
  const ui::TabSheet* page = w.PageControl1->ActivePage();
  ui::testing::Type(edit, "abc");
  const std::string refusal = "表kfq_1.db的字段“产品销售收入”不能取值“abc”：须是数值";
  const std::vector<std::pair<std::string, std::function<void()>>> acts = {
      {"Ctrl+Tab", [&] { QTest::keyClick(&edit, Qt::Key_Tab, Qt::ControlModifier); }},
      {"Ctrl+PgDn", [&] { QTest::keyClick(&edit, Qt::Key_PageDown, Qt::ControlModifier); }},
      {"the wheel over the tabs", [&] { TurnWheel(*w.PageControl1->tabBar()); }},
      {"the cover's tab", [&] { ClickTab(*w.PageControl1, 0); }},
  };
  for (const auto& [act, run] : acts) {
    SCOPED_TRACE(act);
    ui_.ExpectException(refusal);
    run();
    EXPECT_EQ(w.PageControl1->ActivePage(), page);
    EXPECT_EQ(QApplication::focusWidget(), &edit);
    EXPECT_EQ(edit.Text(), "abc");
  }
  EXPECT_EQ(ui_.exceptions_shown(), Texts(acts.size(), refusal));
}

// The table tool heads its columns with the fields' own names, the entry
// windows with captions: each refusal names the field as its window shows it.
TEST_F(TypedCellsTest, TheTableToolsRefusalNamesTheFieldAsItsColumnHead) {
  Open<entry::TF_kfq>().close();
  window = std::make_unique<dbtool::TF_db_tool>(unit->Database1, unit->OpenDialog1, unit->SaveDialog1);
  ui_.ExpectFileDialog("请选择数据库文件", (work / "kfq_1.db").string());
  auto& tool = Open<dbtool::TF_db_tool>();
  ui::testing::TypeIntoCell(tool.DBGrid1, 0, FindField(tool.Table1.FieldLayout(), "QC07"), "abc");
  ui_.ExpectException("表kfq_1.db的字段“QC07”不能取值“abc”：须是数值");
  ui::testing::SelectCell(tool.DBGrid1, 0, 0);
  EXPECT_EQ(ui_.exceptions_shown(), Texts{"表kfq_1.db的字段“QC07”不能取值“abc”：须是数值"});
  for (int i = 0; i < 3; ++i) QTest::keyClick(OpenCellEditor(), Qt::Key_Backspace);
  ui::testing::Type(*OpenCellEditor(), "12");
  Push("Button4");
  EXPECT_EQ(Values("kfq_1.db", "QC07").front(), "12");
}

// The navigator's cancel throws away the record's changes, the open cell's
// text among them, whether its field could take it or not.
TEST_F(TypedCellsTest, TheTableToolsCancelDropsTheOpenCellWithTheRecordsChanges) {
  window = std::make_unique<dbtool::TF_db_tool>(unit->Database1, unit->OpenDialog1, unit->SaveDialog1);
  ui_.ExpectFileDialog("请选择数据库文件", (work / "kfq_2.db").string());
  auto& tool = Open<dbtool::TF_db_tool>();
  const auto& layout = tool.Table1.FieldLayout();
  ui::testing::TypeIntoCell(tool.DBGrid1, 0, FindField(layout, "QE02"), "改名");
  ui::testing::TypeIntoCell(tool.DBGrid1, 0, FindField(layout, "QE14"), "abc");
  Push("DBNavigator1Cancel");
  EXPECT_TRUE(ui_.exceptions_shown().empty());
  EXPECT_EQ(OpenCellEditor(), nullptr);
  EXPECT_EQ(tool.Table1.State(), db::DataSetState::Browse);
  EXPECT_EQ(tool.DBGrid1.CellText(0, FindField(layout, "QE14")), "5000");
  Push("Button4");
  EXPECT_EQ(Values("kfq_2.db", "QE02"), (Texts{"", ""}));
  EXPECT_EQ(Values("kfq_2.db", "QE14"), (Texts{"5000", ""}));
}

TEST_F(TypedCellsTest, ACellTakesItsFieldsEditMask) {
  auto& w = OpenEntry<entry::TF_dxkjy>("TabSheet5");
  // Code2 is "0000;1;_": digits only, all four of them.
  ui::testing::TypeIntoCell(*w.DBGrid1, 0, 0, "ab新2");
  EXPECT_EQ(OpenCellEditor()->text().toStdString(), "2___");
  ui_.ExpectException("表dxxm.db的字段“编号”不能取值“2___”：须按格式“____”填写：4位数字");
  Push("ToolButton7");
  ui::testing::Type(*OpenCellEditor(), "x345");
  EXPECT_EQ(OpenCellEditor()->text().toStdString(), "2345");
  Push("ToolButton7");
  EXPECT_EQ(Values("dxxm.db", "Code2"), Texts{"2345"});
}

TEST_F(TypedCellsTest, AQueryResultInTheTableToolTakesNoTyping) {
  window = std::make_unique<dbtool::TF_db_tool>(unit->Database1, unit->OpenDialog1, unit->SaveDialog1);
  ui_.ExpectFileDialog("请选择数据库文件", (work / "gj_wsb.db").string());
  auto& tool = Open<dbtool::TF_db_tool>();
  tool.Memo1.SetLines({"select * from gj_wsb.db"});
  Push("Button5");
  ui::testing::SelectCell(tool.DBGrid1, 0, 3);
  QTest::keyClick(&tool.DBGrid1, '7');
  EXPECT_EQ(QApplication::focusWidget(), &tool.DBGrid1) << "no cell editor opens";
  EXPECT_TRUE(ui_.exceptions_shown().empty());
}

TEST_F(TypedCellsTest, InsertRecordStartsTheNewRowInItsSequenceColumn) {
  auto& w = OpenEntry<entry::TF_kfq>("TabSheet5");
  ui::testing::TypeIntoCell(*w.DBGrid2, 0, 6, "2");
  ASSERT_TRUE(w.grab().save("typed_cell_editor.png"));  // the cell being typed into, for a look by eye
  Push("ToolButton7");
  Push("ToolButton5");
  EXPECT_TRUE(w.DBGrid1->Focused());
  EXPECT_EQ(w.DBGrid1->SelectedColumn(), 0);
  ui::testing::Type(*QApplication::focusWidget(), "0003");
  Push("ToolButton7");
  EXPECT_EQ(Values("kfq_2.db", "QE01"), (Texts{"1", "2", "0003"}));
  EXPECT_EQ(Values("kfq_2.db", "QE17"), (Texts{"2", "", ""}));
}

}  // namespace
}  // namespace veltra::app
