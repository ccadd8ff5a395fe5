#include "entry/gjwsb.h"

#include <QToolBar>
#include <QVBoxLayout>

#include "entry/entry_frame.h"
#include "entry/schema_tables.h"
#include "platform/db/batch_move.h"
#include "platform/ui/event_handler.h"
#include "schema/schema.h"

namespace veltra::entry {

namespace {

constexpr const char* kTable = "gj_wsb.db";

bool Editing(const db::DataSource& source) {
  return source.State() == db::DataSetState::Edit || source.State() == db::DataSetState::Insert;
}

}  // namespace

TF_gjwsb::TF_gjwsb(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : ui::Form("F_gjwsb"), Table1(main.Database1), main_(main), prompts_(prompts) {
  SetClientSize(582, 378);
  SetCentred(true);
  SetKeyPreview(true);
  SetFontHeight(14);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  DBGrid1 = new ui::DBGrid(this, "DBGrid1");
  layout->addWidget(DBGrid1, 1);
  const schema::TableDef* table = schema::FindTable(kTable);
  for (const schema::Placement* place : table->PlacementsOn("DBGrid1")) {
    ui::GridColumn& column = DBGrid1->AddColumn(place->field, place->caption, place->width > 0 ? place->width : -1);
    column.SetReadOnly(place->field != "YY");  // only the reason is keyed in
  }
  DBGrid1->SetDataSource(&DataSource1);

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
  layout->addWidget(ToolBar1);
  const auto button = [this](const char* name, const char* caption, std::function<void()> click) {
    auto* b = new ui::ToolButton(ToolBar1, name, caption);
    b->setFixedWidth(133);
    b->OnClick = std::move(click);
  };
  button("ToolButton1", "生成未上报项目清单", [this] { ToolButton1Click(); });
  button("ToolButton7", "存盘", [this] { EntryFrame::ForcePost(Table1); });
  button("ToolButton8", "取消修改", [this] { Table1.Cancel(); });
  button("ToolButton10", "返回", [this] { Close(); });

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool& allow) { FormClose(allow); };
  OnKeyPress = [this](int& key) { FormKeyPress(key); };
}

TF_gjwsb::~TF_gjwsb() { DBGrid1->SetDataSource(nullptr); }

void TF_gjwsb::FormActivate() {
  if (Table1.Active()) return;
  DefineTable(Table1, main_.DataDirPrefix + kTable);
  Table1.Open();
}

void TF_gjwsb::FormClose(bool& allow) {
  allow = ui::RunHandler([this] {
    if (Editing(DataSource1)) EntryFrame::ForcePost(Table1);
    Table1.Close();
  });
}

void TF_gjwsb::FormKeyPress(int& key) {
  if (key != 13) return;
  key = 0;
  if (DBGrid1->Focused()) {
    DBGrid1->SelectNextColumn();
  } else {
    FocusNextControl();
  }
}

bool TF_gjwsb::HoldsReasons() {
  db::Table reasons(main_.Database1);
  reasons.SetTableName(Table1.TableName());
  reasons.SetFilter("yy is not null");
  reasons.SetFiltered(true);
  reasons.Open();
  return !reasons.IsEmpty();
}

void TF_gjwsb::ToolButton1Click() {
  // A reason being typed counts as keyed in.
  if (Editing(DataSource1)) EntryFrame::ForcePost(Table1);
  if (HoldsReasons() && !prompts_.Confirm("是否清空未上报项目清单中已填的原因", "")) return;
  db::Query& projects = main_.Query1;
  projects.Close();
  projects.SQL.Clear();
  projects.SQL.Add("select jb00,jb01,jb02 from \"" + main_.DataDirPrefix + "gjxm.db\" where is_chge is null");
  // The projects are read in full before the list is emptied: a missing or
  // broken gjxm.db leaves the old list as it was.
  projects.Open();
  Table1.Close();
  // The new list is built in memory and replaces the old one's file once:
  // a cut anywhere leaves the old list or the whole new one.
  db::Database& database = main_.Database1;
  try {
    database.HoldAside(Table1.TableName());
    db::BatchMove move;
    move.Source = &projects;
    move.Destination = &Table1;
    move.Execute();
    database.PutInPlace(Table1.TableName());
  } catch (...) {
    database.DropAside(Table1.TableName());
    Table1.Open();
    throw;
  }
  projects.Close();
  Table1.Open();
}

}  // namespace veltra::entry
