#include "reports/report.h"

#include <QToolBar>
#include <QVBoxLayout>

#include "mainunit/on_exit.h"

namespace veltra::reports {

TF_report::TF_report(mainunit::MainUnit& main, ReportDispatch::Builders builders, QWidget* parent)
    : ui::Form("F_report", parent), main_(main), dispatch_(main.Database1, std::move(builders)) {
  SetCaption("报表打印");
  SetClientSize(551, 432);
  SetCentred(true);

  CheckListBox1 = new ui::CheckListBox(this, "CheckListBox1");
  CheckListBox1->setFont(ui::SongFont(16));
  ListBox1 = new ui::ListBox(this, "ListBox1");
  ListBox1->hide();

  auto* bar = new QToolBar(this);
  bar->setObjectName("ToolBar1");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ToolButton2 = new ui::ToolButton(bar, "ToolButton2", "全部清除");
  ToolButton3 = new ui::ToolButton(bar, "ToolButton3", "打印");
  ToolButton4 = new ui::ToolButton(bar, "ToolButton4", "打印预览");
  ToolButton5 = new ui::ToolButton(bar, "ToolButton5", "返回");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(CheckListBox1, 1);
  layout->addWidget(bar);

  OnActivate = [this] { FormActivate(); };
  ToolButton2->OnClick = [this] { ToolButton2Click(); };
  ToolButton3->OnClick = [this] { PrintCheckedReports(true); };
  ToolButton4->OnClick = [this] { PrintCheckedReports(false); };
  ToolButton5->OnClick = [this] { Close(); };
  CheckListBox1->OnDblClick = [this] { CheckListBox1DblClick(); };
}

void TF_report::FormActivate() {
  if (main_.ReportKind == ReportListKind) return;
  const int list_kind = main_.ReportKind == 3 ? 1 : main_.ReportKind;
  db::Table& catalogue = main_.Table1;
  mainunit::OnExit close([&catalogue] { catalogue.Close(); });
  catalogue.SetTableName("rept_db.db");
  catalogue.Open();
  CheckListBox1->Clear();
  ListBox1->Clear();
  for (catalogue.First(); !catalogue.Eof(); catalogue.Next()) {
    CheckListBox1->Add(catalogue.FieldByName("report_name").AsString());
    ListBox1->Add(catalogue.FieldByName("report_p").AsString());
    if (catalogue.FieldByName("id").AsInteger() == list_kind)
      CheckListBox1->SetChecked(CheckListBox1->Count() - 1, true);
  }
  // Only a list read whole counts as loaded: after a failure the next opening reads it again.
  ReportListKind = list_kind;
}

// The ticked reports run in list order; a failure propagates to the
// framework's error display and ends the click there.
void TF_report::PrintCheckedReports(bool print) {
  dispatch_.F_check_p();
  for (int i = 0; i < CheckListBox1->Count(); ++i) {
    if (CheckListBox1->Checked(i)) dispatch_.Run(ListBox1->Item(i), CheckListBox1->Item(i), print);
  }
}

void TF_report::ToolButton2Click() {
  for (int i = 0; i < CheckListBox1->Count(); ++i) CheckListBox1->SetChecked(i, false);
}

void TF_report::CheckListBox1DblClick() { CheckListBox1->ToggleCurrent(); }

}  // namespace veltra::reports
