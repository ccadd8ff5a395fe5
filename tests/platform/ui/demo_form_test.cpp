// A small entry window built the way the system's windows are: a master
// table with data-aware edits, a detail grid, a tool bar, a status line,
// key preview for Enter, and a nested locate dialog.
#include <QImage>
#include <QToolBar>
#include <set>

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/types/error.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_controls.h"
#include "platform/ui/text_controls.h"
#include "tests/platform/ui/data_fixture.h"
#include "tests/platform/ui/harness/input.h"

namespace veltra::ui::testing {
namespace {

class TF_locate : public Form {
 public:
  TF_locate() : Form("F_locate") {
    SetCaption("定位记录");
    SetClientSize(249, 138);
    Edit1.setGeometry(10, 10, 120, 22);
    Button1.setGeometry(10, 60, 75, 25);
    Button1.OnClick = [this] { SetModalResult(kModalOk); };
  }
  Edit Edit1{this, "Edit1"};
  Button Button1{this, "Button1", "确定"};
};

class TF_demo : public Form {
 public:
  explicit TF_demo(db::Database& database) : Form("F_demo"), Table1(database), Table2(database) {
    SetCaption("高新区企业");
    SetClientSize(500, 360);
    SetCentred(true);
    SetKeyPreview(true);
    Table1.SetTableName("kfq_1.db");
    Table2.SetTableName("kfq_2.db");
    Table2.GetIndexDefs() = {{"kfq_2", "QA01;QE01"}};
    Table2.SetIndexName("kfq_2");
    Table2.SetMasterSource(&DataSource1);
    Table2.SetMasterFields("QA01");
    DBEdit1.setGeometry(10, 10, 120, 22);
    DBEdit2.setGeometry(10, 40, 120, 22);
    DBGrid1.setGeometry(10, 70, 480, 200);
    ToolBar1.setGeometry(0, 280, 500, 30);
    StatusBar1.setGeometry(0, 330, 500, 24);
    DBEdit1.SetDataSource(&DataSource1);
    DBEdit1.SetDataField("QA01");
    DBEdit2.SetDataSource(&DataSource1);
    DBEdit2.SetDataField("QA02");
    DBGrid1.AddColumn("QE01", "序号", 40);
    DBGrid1.AddColumn("QE02", "全年产品产值", 99);
    DBGrid1.SetDataSource(&DataSource2);

    OnActivate = [this] { FormActivate(); };
    OnKeyPress = [this](int& key) { FormKeyPress(key); };
    Table1.BeforePost = [this](db::DataSet&) { Table1BeforePost(); };
    Table2.BeforePost = [this](db::DataSet&) { Table2.FieldByName("QA01").SetAsString(Table1.FieldByName("QA01").AsString()); };
    ToolButton5.OnClick = [this] { Table1.Append(); };
    ToolButton6.OnClick = [this] { ToolButton6Click(); };
    ToolButton7.OnClick = [this] { ToolButton7Click(); };
    ToolButton9.OnClick = [this] { ToolButton9Click(); };
    StatusBar1.OnDblClick = [this] { StatusBar1DblClick(); };
  }

  void FormActivate() {
    ++activations;
    if (!Table1.Active()) {
      Table1.Open();
      Table2.Open();
    }
    StatusBar1.SetSimpleText("总记录: " + std::to_string(Table1.RecordCount()));
  }
  void FormKeyPress(int& key) {
    if (key != 13) return;
    key = 0;
    FocusNextControl();
  }
  void Table1BeforePost() {
    if (Table1.FieldByName("QA01").IsNull()) {
      ShowNotice("企业报表编号不能为空", "错误窗口", MessageKind::Error);
      throw SilentAbort();
    }
  }
  void ToolButton6Click() {
    if (!AskYesNo("是否删除当前记录", "提示")) return;
    Table1.Delete();
  }
  void ToolButton7Click() {
    for (db::Table* table : {&Table2, &Table1}) {
      if (table->State() == db::DataSetState::Edit || table->State() == db::DataSetState::Insert) table->Post();
    }
  }
  void ToolButton9Click() {
    OpenDialog1.title = "请选择追加的企业数据文件";
    OpenDialog1.filter = "*.db *.dbf|*.db;*.dbf";
    if (OpenDialog1.Execute()) StatusBar1.SetSimpleText(OpenDialog1.file_name);
  }
  void StatusBar1DblClick() {
    if (F_locate.ShowModal() == kModalOk) Table1.MoveBy(std::stoi(F_locate.Edit1.Text()) - Table1.RecNo());
  }

  db::Table Table1, Table2;
  db::DataSource DataSource1{&Table1}, DataSource2{&Table2};
  DBEdit DBEdit1{this, "DBEdit1"}, DBEdit2{this, "DBEdit2"};
  DBGrid DBGrid1{this, "DBGrid1"};
  QToolBar ToolBar1{this};
  ToolButton ToolButton5{&ToolBar1, "ToolButton5", "插入记录"};
  ToolButton ToolButton6{&ToolBar1, "ToolButton6", "删除记录"};
  ToolButton ToolButton7{&ToolBar1, "ToolButton7", "存盘"};
  ToolButton ToolButton9{&ToolBar1, "ToolButton9", "数据追加"};
  StatusBar StatusBar1{this, "StatusBar1"};
  OpenDialog OpenDialog1;
  TF_locate F_locate;
  int activations = 0;
};

class DemoFormTest : public DataUiTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 6}, {"QA02", FieldType::String, 20}});
    Create("kfq_2.db", {{"QA01", FieldType::String, 6}, {"QE01", FieldType::String, 4},
                        {"QE02", FieldType::Float, 0}});
  }
  using Rows = std::vector<std::vector<std::string>>;
};

TEST_F(DemoFormTest, EntryThroughTheRealControls) {
  TF_demo F_demo(db());
  ui_.SetScreenWidth(800);
  ui_.OnModal("F_demo", [&](Form&) {
    EXPECT_EQ(F_demo.x(), 150);  // centred on the 800-pixel screen
    EXPECT_EQ(TextOf(F_demo.StatusBar1), "总记录: 0");

    // A post refused by BeforePost shows its box and leaves the record.
    Type(F_demo.DBEdit2, "甲企业");
    ui_.ExpectMessage(MessageKind::Error, "错误窗口", "企业报表编号不能为空");
    EXPECT_TRUE(Click(F_demo.ToolButton7));
    EXPECT_EQ(F_demo.Table1.State(), db::DataSetState::Insert);

    Type(F_demo.DBEdit1, "110001");
    PressEnter();
    EXPECT_EQ(FocusedName(), "DBEdit2");
    EXPECT_TRUE(Click(F_demo.ToolButton7));
    EXPECT_EQ(F_demo.Table1.State(), db::DataSetState::Browse);

    TypeIntoCell(F_demo.DBGrid1, 0, 0, "01");
    TypeIntoCell(F_demo.DBGrid1, 0, 1, "5.5");
    EXPECT_TRUE(Click(F_demo.ToolButton7));

    // A second enterprise, kept on No and deleted on Yes.
    EXPECT_TRUE(Click(F_demo.ToolButton5));
    Type(F_demo.DBEdit1, "110002");
    Type(F_demo.DBEdit2, "乙企业");
    EXPECT_TRUE(Click(F_demo.ToolButton7));
    ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", Answer::No);
    EXPECT_TRUE(Click(F_demo.ToolButton6));
    EXPECT_EQ(F_demo.Table1.RecordCount(), 2);
    ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", Answer::Yes);
    EXPECT_TRUE(Click(F_demo.ToolButton6));
    EXPECT_EQ(F_demo.Table1.RecordCount(), 1);

    ui_.ExpectFileDialog("请选择追加的企业数据文件", "/data/kfq_1.db");
    EXPECT_TRUE(Click(F_demo.ToolButton9));
    EXPECT_EQ(TextOf(F_demo.StatusBar1), "/data/kfq_1.db");

    // The nested locate dialog; returning activates the window again.
    const int activations = F_demo.activations;
    ui_.OnModal("F_locate", [&](Form& locate) {
      Type(Find<Edit>(locate, "Edit1"), "1");
      EXPECT_TRUE(Click(Find<Button>(locate, "Button1")));
    }, kModalCancel);
    DoubleClick(F_demo.StatusBar1);
    EXPECT_EQ(F_demo.activations, activations + 1);
    EXPECT_EQ(F_demo.DBEdit1.Text(), "110001");
  }, kModalOk);
  EXPECT_EQ(F_demo.ShowModal(), kModalOk);

  EXPECT_EQ(FileRows("kfq_1.db"), (Rows{{"110001", "甲企业"}}));
  EXPECT_EQ(FileRows("kfq_2.db"), (Rows{{"110001", "01", "5.5"}}));
}

TEST_F(DemoFormTest, ScreenshotOfTheWindowIsNotBlank) {
  TF_demo F_demo(db());
  F_demo.Show();
  const QImage shot = F_demo.grab().toImage();
  const std::string path = (folder() / "demo.png").string();
  ASSERT_TRUE(shot.save(QString::fromStdString(path)));
  const QImage read(QString::fromStdString(path));
  ASSERT_EQ(read.size(), QSize(500, 360));
  // Text and frames give more than a handful of colours.
  std::set<QRgb> colours;
  for (int y = 0; y < read.height(); y += 2) {
    for (int x = 0; x < read.width(); x += 2) colours.insert(read.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 4u);
  F_demo.Close();
}

}  // namespace
}  // namespace veltra::ui::testing
