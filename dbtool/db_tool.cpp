#include "dbtool/db_tool.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include "dbtool/grid_columns.h"
#include "dbtool/save_data_set_as_table.h"
#include "dbtool/save_file_name.h"
#include "dbtool/statement_runner.h"
#include "dbtool/table_maintenance.h"
#include "dbtool/transpose.h"
#include "platform/ui/event_handler.h"
#include "platform/ui/message_box.h"
#include "dbtool/change_c.h"
#include "dbtool/grid_layout.h"

namespace veltra::dbtool {

TF_db_tool::TF_db_tool(db::Database& database, ui::OpenDialog& open_dialog, ui::SaveDialog& save_dialog)
    : Form("F_db_tool"),
      Table1(database),
      Query1(database),
      database_(database),
      OpenDialog1(open_dialog),
      SaveDialog1(save_dialog) {
  SetCaption("数据库工具");
  SetClientSize(640, 420);
  SetCentred(true);
  // Its grid heads the columns with the fields' own names; its errors name them so.
  ui::ShowsFieldNames(*this);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  auto* upper = new QWidget(splitter);
  auto* upper_layout = new QVBoxLayout(upper);
  upper_layout->setContentsMargins(0, 0, 0, 0);
  DBGrid1.setParent(upper);
  DBNavigator1.setParent(upper);
  upper_layout->addWidget(&DBGrid1);
  upper_layout->addWidget(&DBNavigator1);
  Memo1.setParent(splitter);
  Memo1.setMinimumHeight(38);
  splitter->setSizes({380, 38});
  auto* buttons = new QHBoxLayout;
  for (ui::Button* button : {&Button1, &Button2, &Button6, &Button7, &Button8, &Button5, &Button3, &Button4}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  layout->addLayout(buttons);

  DBGrid1.SetDataSource(&DataSource1);
  DBNavigator1.SetDataSource(&DataSource1);
  for (ui::Button* button : {&Button2, &Button6, &Button7, &Button8}) button->setEnabled(false);

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool&) { FormClose(); };
  Button1.OnClick = [this] { OpenTableFile(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button4.OnClick = [this] { Close(); };
  Button5.OnClick = [this] { Button5Click(); };
  Button6.OnClick = [this] { Button6Click(); };
  Button7.OnClick = [this] { Button7Click(); };
  Button8.OnClick = [this] { Button8Click(); };
  DBGrid1.OnDblClick = [this] { DBGrid1DblClick(); };
  // A record saved here is on the disk itself when the post returns.
  Table1.AfterPost = [](db::DataSet& table) { table.FlushBuffers(); };
}

TF_db_tool::~TF_db_tool() = default;

void TF_db_tool::FormActivate() {
  GridCharWidth = GridCharWidthOf(DBGrid1);
  if (Table1.Active() || Query1.Active()) return;
  DataSource1.SetDataSet(nullptr);
  for (ui::Button* button : {&Button2, &Button6, &Button7, &Button8}) button->setEnabled(false);
  OpenTableFile();
}

void TF_db_tool::PostPendingEdit() {
  if (Table1.State() == db::DataSetState::Edit || Table1.State() == db::DataSetState::Insert) {
    Table1.Post();
  }
}

void TF_db_tool::OpenTableFile() {
  PostPendingEdit();
  OpenDialog1.title = "请选择数据库文件";
  OpenDialog1.file_name.clear();  // the shared dialog may hold another window's choice
  if (!OpenDialog1.Execute()) return;
  Table1.Close();
  Table1.SetTableName(OpenDialog1.file_name);
  Table1.Open();
  DataSource1.SetDataSet(&Table1);
  EnableResultButtons();
  Button7.setEnabled(true);
  Button8.setEnabled(true);
}

void TF_db_tool::EnableResultButtons() {
  Button2.setEnabled(true);
  Button6.setEnabled(true);
}

db::DataSet& TF_db_tool::ShownDataSet() {
  if (ShowsTable()) return Table1;
  return Query1;
}

void TF_db_tool::Button5Click() {
  PostPendingEdit();
  Query1.SQL.Clear();
  for (const std::string& line : Memo1.Lines()) Query1.SQL.Add(line);
  const StatementOutcome outcome = RunStatement(Query1);
  if (!outcome.has_rows) {
    ui::ShowNotice(RowsChangedNotice(outcome.rows_changed), kStatementNoticeTitle);
    return;
  }
  ShowQuery();
}

void TF_db_tool::ShowQuery() {
  DataSource1.SetDataSet(&Query1);
  EnableResultButtons();
  // Packing and emptying apply to an opened table only.
  Button7.setEnabled(false);
  Button8.setEnabled(false);
}

void TF_db_tool::SaveShown(const std::string& name) {
  PostPendingEdit();
  const GridColumns columns = GridLayout(DBGrid1, GridCharWidth);
  SaveDataSetAsTable(database_, ShownDataSet(), &columns, name);
}

void TF_db_tool::Button2Click() {
  SaveDialog1.title = "请选择存盘文件名";
  SaveDialog1.file_name.clear();
  if (!SaveDialog1.Execute()) return;
  SaveDialog1.file_name = WithFilterExtension(SaveDialog1.file_name, SaveDialog1.filter_index);
  SaveShown(SaveDialog1.file_name);
}

void TF_db_tool::Button6Click() {
  PostPendingEdit();
  TransposeToTable(database_, ShownDataSet());
  // What follows (另存, 打印) acts on the transposed rows.
  Query1.Close();
  Query1.SQL.Clear();
  Query1.SQL.Add("Select * from " + std::string(kTransposedTable));
  Query1.Open();
  ShowQuery();
}

void TF_db_tool::Button7Click() {
  if (ShowsTable()) PackOpenedTable(Table1);
}

void TF_db_tool::Button8Click() {
  if (ShowsTable() && ui::AskYesNo("是否真要清空数据库", "提示信息", ui::Answer::No)) EmptyOpenedTable(Table1);
}

void TF_db_tool::Button3Click() {
  SaveShown(std::string(kPrintoutTable));
  if (ShowPrintout) ShowPrintout();
}

void TF_db_tool::DBGrid1DblClick() {
  const int column = DBGrid1.SelectedColumn();
  if (column < 0 || column >= DBGrid1.ColumnCount()) return;
  if (!F_change_c) F_change_c = std::make_unique<TF_change_c>();
  F_change_c->EditColumn(DBGrid1.Column(column), GridCharWidth);
}

void TF_db_tool::FormClose() {
  PostPendingEdit();
  Table1.Close();
  Query1.Close();
}

}  // namespace veltra::dbtool
