#include "exchange/bhcl.h"

#include <QLabel>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::exchange {

TF_bhcl::TF_bhcl(mainunit::MainUnit& main) : ui::Form("F_bhcl"), main_(main), work_(main) {
  SetCaption("编号处理");
  SetClientSize(671, 333);
  setFixedSize(671, 333);
  SetCentred(true);
  SetFontHeight(15);

  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(16, 8, 640, 22);
  Label2 = new QLabel(this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(16, 32, 640, 22);
  QFont emphasis = Label2->font();
  emphasis.setBold(true);
  emphasis.setItalic(true);
  Label2->setFont(emphasis);

  DBGrid1 = new ui::DBGrid(this, "DBGrid1");
  DBGrid1->setGeometry(16, 60, 639, 210);
  DBGrid1->AddColumn("原报表编号", "原报表编号", 77).SetReadOnly(true);
  DBGrid1->AddColumn("修改后编号", "修改后编号", 78);
  DBGrid1->AddColumn("法人代码", "法人代码", 104).SetReadOnly(true);
  DBGrid1->AddColumn("企业名称", "企业名称", 314).SetReadOnly(true);
  DBGrid1->SetDataSource(&work_.ListSource());

  Button1 = new ui::Button(this, "Button1", "检查报表编号并执行数据入库");
  Button1->setGeometry(120, 278, 260, 30);
  Button2 = new ui::Button(this, "Button2", "返回");
  Button2->setGeometry(440, 278, 100, 30);
  ProgressBar1 = new ui::ProgressBar(this, "ProgressBar1");
  ProgressBar1->setGeometry(0, 317, 671, 16);

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool&) { FormClose(); };
  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Close(); };
}

void TF_bhcl::ShowLines() {
  Label1->setText(ui::ToQString(work_.Line1()));
  Label2->setText(ui::ToQString(work_.Line2()));
  ProgressBar1->SetMax(work_.ProgressMaximum());
  ProgressBar1->SetPosition(work_.ProgressPosition());
}

void TF_bhcl::FormActivate() {
  // A nested box closing activates the dialog again; only a new showing
  // copies and lists the submission afresh.
  if (work_.List().Active()) return;
  import_accepted_ = false;
  if (!ui::RunHandler([this] { work_.Activate(); })) {
    // Nothing to list: the failure shown counts as "返回".
    Close();
    return;
  }
  ShowLines();
}

void TF_bhcl::Button1Click() {
  const bool clear = work_.CheckAndApply();
  ShowLines();
  if (clear) {
    import_accepted_ = true;
    Close();
  }
}

void TF_bhcl::FormClose() {
  // Whatever way the dialog closes, only a check without clashes imports.
  if (!import_accepted_) main_.ImportOk = false;
  work_.Close();
}

}  // namespace veltra::exchange
