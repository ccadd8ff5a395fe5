#include "query/bt_p.h"

#include <QVBoxLayout>

namespace veltra::query {

TF_bt_p::TF_bt_p(db::Database& database) : Form("F_bt_p"), Table1(database) {
  SetCaption("表头设置");
  SetClientSize(560, 360);
  SetCentred(true);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&DBGrid1);
  layout->addWidget(&Button1, 0, Qt::AlignHCenter);

  Table1.SetTableName("bt_p.db");
  DBGrid1.AddColumn("表头文字", "表头文字", 409);
  DBGrid1.AddColumn("列宽度", "列宽度");
  DBGrid1.SetDataSource(&DataSource1);

  OnActivate = [this] { Table1.Open(); };
  OnClose = [this](bool&) { FormClose(); };
  Button1.OnClick = [this] { Close(); };
}

void TF_bt_p::FormClose() {
  // The grid's last edit is kept; an untouched table gains no blank row.
  if (Table1.State() == db::DataSetState::Edit || Table1.State() == db::DataSetState::Insert) Table1.Post();
  Table1.Close();
}

}  // namespace veltra::query
