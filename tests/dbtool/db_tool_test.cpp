#include "dbtool/db_tool.h"

#include <gtest/gtest.h>

#include "tests/platform/ui/data_fixture.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/support/file_io_probe.h"
#include "tests/support/render_path.h"

namespace veltra::dbtool {
namespace {

using ui::testing::Click;
using Rows = std::vector<std::vector<std::string>>;

class DbToolTest : public ui::testing::DataUiTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 10}, {"QC05", FieldType::Float, 0}});
    Create("bt_p.db", {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}});
    db::Table table(db());
    table.SetTableName("kfq_1.db");
    table.Open();
    AddRecord(table, {"110001", "1.5"});
    AddRecord(table, {"110002", "2"});
    OpenDialog1.filter = "*.db *.dbf|*.db;*.dbf";
    SaveDialog1.filter = "*.db|*.db|*.dbf|*.dbf|*.txt|*.txt";
  }
  std::string PathOf(const std::string& name) { return (folder() / name).string(); }
  // Shows the tool, opening `table` when it asks for one, and runs `steps`.
  void Run(const std::string& table, const std::function<void()>& steps) {
    ui_.ExpectFileDialog("请选择数据库文件", table.empty() ? std::nullopt : std::optional(PathOf(table)));
    ui_.OnModal("F_db_tool", [&](ui::Form&) { steps(); }, ui::kModalCancel);
    F_db_tool.ShowModal();
  }
  void RunSql(const std::string& statement) {
    F_db_tool.Memo1.SetLines({statement});
    EXPECT_TRUE(Click(F_db_tool.Button5));
  }

  ui::OpenDialog OpenDialog1;
  ui::SaveDialog SaveDialog1;
  TF_db_tool F_db_tool{db(), OpenDialog1, SaveDialog1};
};

TEST_F(DbToolTest, OpensRunsSavesTransposesAndPrints) {
  int printouts = 0;
  F_db_tool.ShowPrintout = [&] { ++printouts; };
  Run("kfq_1.db", [&] {
    EXPECT_EQ(F_db_tool.x(), (ui::Ui().ScreenWidth() - F_db_tool.width()) / 2);  // centred, as the other windows
    EXPECT_TRUE(F_db_tool.Table1.Active());
    EXPECT_EQ(F_db_tool.DBGrid1.RowCount(), 2);
    EXPECT_TRUE(F_db_tool.Button7.isEnabled());
    {
      veltra::testing::FileIoProbe probe("kfq_1.db");
      F_db_tool.Table1.Edit();
      F_db_tool.Table1.FieldByName("QC05").SetAsFloat(1.5);
      F_db_tool.Table1.Post();
      EXPECT_EQ(probe.syncs, 1) << "a record saved in the tool is on the disk itself";
    }

    RunSql("select qa01, qc05 from kfq_1 where qc05 > 1.5");
    EXPECT_EQ(F_db_tool.DataSource1.GetDataSet(), &F_db_tool.Query1);
    EXPECT_EQ(F_db_tool.DBGrid1.RowCount(), 1);
    EXPECT_FALSE(F_db_tool.Button7.isEnabled());
    EXPECT_FALSE(F_db_tool.Button8.isEnabled());

    ui_.ExpectFileDialog("请选择存盘文件名", PathOf("result"), 2);
    EXPECT_TRUE(Click(F_db_tool.Button2));
    EXPECT_EQ(formats::OpenTableFile(PathOf("result.dbf"))->kind(), formats::TableKind::DBase);
    EXPECT_EQ(FileRows("result.dbf"), (Rows{{"110002", "2"}}));

    EXPECT_TRUE(Click(F_db_tool.Button6));
    const Rows transposed{{"QA01", "110002"}, {"QC05", "2"}};
    EXPECT_EQ(FileRows("hljh.db"), transposed);
    // The grid shows the transposed rows, and what follows acts on them.
    EXPECT_EQ(F_db_tool.DataSource1.GetDataSet(), &F_db_tool.Query1);
    EXPECT_EQ(F_db_tool.DBGrid1.Column(0).Title(), "字段名");
    EXPECT_EQ(F_db_tool.DBGrid1.RowCount(), 2);
    EXPECT_TRUE(F_db_tool.grab().save(veltra::testing::RenderPath("db_tool_transposed.png")));

    EXPECT_TRUE(Click(F_db_tool.Button3));
    EXPECT_EQ(FileRows("query_p.db"), transposed);
    EXPECT_EQ(FileRows("bt_p.db").size(), 2u);
    EXPECT_EQ(printouts, 1);
  });
  EXPECT_FALSE(F_db_tool.Table1.Active());
  EXPECT_FALSE(F_db_tool.Query1.Active());
}

TEST_F(DbToolTest, StatementWithoutRowsSaysHowManyRowsItChanged) {
  Run("kfq_1.db", [&] {
    ui_.ExpectMessage(ui::MessageKind::Information, "提示信息", "语句已执行，共修改了 2 条记录");
    RunSql("update kfq_1 set qc05 = 7");
    EXPECT_EQ(F_db_tool.DataSource1.GetDataSet(), &F_db_tool.Table1);
    EXPECT_EQ(F_db_tool.DBGrid1.CellText(0, 1), "7");
  });
  EXPECT_EQ(FileRows("kfq_1.db"), (Rows{{"110001", "7"}, {"110002", "7"}}));
}

TEST_F(DbToolTest, CancelledFirstDialogLeavesNothingOpen) {
  Run("", [&] {
    EXPECT_EQ(F_db_tool.DataSource1.GetDataSet(), nullptr);
    for (ui::Button* button : {&F_db_tool.Button2, &F_db_tool.Button6, &F_db_tool.Button7, &F_db_tool.Button8}) {
      EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();
    }
    // Printing with nothing shown names what is missing instead of printing stale rows.
    ui_.ExpectException("没有打开的表或查询结果，不能存为query_p.db");
    EXPECT_TRUE(Click(F_db_tool.Button3));
  });
}

TEST_F(DbToolTest, DeletingAndEmptyingAskFirstWithNoAsTheDefault) {
  struct Case {
    const char* control;
    const char* title;
    const char* question;
    int rows_after_yes;
  };
  Run("kfq_1.db", [&] {
    for (const Case& c : {Case{"DBNavigator1Delete", "提示", "是否删除当前记录", 1},
                          Case{"Button8", "提示信息", "是否真要清空数据库", 0}}) {
      SCOPED_TRACE(c.control);
      QWidget& control = ui::testing::Find(F_db_tool, c.control);
      const int rows = F_db_tool.Table1.RecordCount();
      ui_.ExpectMessage(ui::MessageKind::Question, c.title, c.question, ui::Answer::No);
      EXPECT_TRUE(Click(control));
      EXPECT_EQ(ui_.messages_shown().back().default_answer, ui::Answer::No);
      EXPECT_EQ(F_db_tool.Table1.RecordCount(), rows);
      ui_.ExpectMessage(ui::MessageKind::Question, c.title, c.question, ui::Answer::Yes);
      EXPECT_TRUE(Click(control));
      EXPECT_TRUE(F_db_tool.Table1.Active());
      EXPECT_EQ(F_db_tool.Table1.RecordCount(), c.rows_after_yes);
    }
  });
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
}

TEST_F(DbToolTest, DoubleClickedColumnGoesToTheColumnDialog) {
  Run("kfq_1.db", [&] {
    F_db_tool.DBGrid1.SetSelectedColumn(0);
    ui_.OnModal("F_change_c", [](ui::Form& dialog) {
      EXPECT_TRUE(dialog.isVisible());
    }, ui::kModalCancel);
    ui::testing::DoubleClick(*F_db_tool.DBGrid1.viewport());
  });
}

}  // namespace
}  // namespace veltra::dbtool
