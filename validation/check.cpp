#include "validation/check.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace veltra::validation {

TF_check::TF_check(mainunit::MainUnit& main, EntryWindows& entry_windows, QWidget* parent)
    : ui::Form("F_check", parent), frame_(main, entry_windows) {
  SetCaption("数据校验");
  SetClientSize(589, 365);
  SetCentred(true);

  DBGrid1 = new ui::DBGrid(this, "DBGrid1");
  DBGrid1->SetReadOnly(true);
  const std::pair<const char*, int> columns[] = {{"状态", 36},   {"序号", 46},   {"编号", 51},
                                                  {"字段名", 75}, {"字段值", 65}, {"错误信息", 271}};
  for (const auto& [field, width] : columns) DBGrid1->AddColumn(field, field, width);
  DBGrid1->SetDataSource(&frame_.DataSource1);

  auto* panel = new QWidget(this);
  auto* buttons = new QHBoxLayout(panel);
  Button3 = new ui::Button(panel, "Button3", "进行校验");
  Button4 = new ui::Button(panel, "Button4", "打印预览");
  Button1 = new ui::Button(panel, "Button1", "打印");
  Button5 = new ui::Button(panel, "Button5", "修改报表");
  Button2 = new ui::Button(panel, "Button2", "返回");
  for (ui::Button* button : {Button3, Button4, Button1, Button5, Button2}) buttons->addWidget(button);
  ProgressBar1 = new ui::ProgressBar(this, "ProgressBar1");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(DBGrid1, 1);
  layout->addWidget(panel);
  layout->addWidget(ProgressBar1);

  OnActivate = [this] { frame_.FormActivate(); };
  OnClose = [this](bool&) { frame_.FormClose(); };
  frame_.OnViewChanged = [this] { ShowView(); };
  Button3->OnClick = [this] { frame_.Button3Click(); };
  Button4->OnClick = [this] { frame_.Button4Click(); };
  Button1->OnClick = [this] { frame_.Button1Click(); };
  Button5->OnClick = [this] { frame_.Button5Click(); };
  DBGrid1->OnDblClick = [this] { frame_.DBGrid1DblClick(); };
  Button2->OnClick = [this] { Close(); };
  ShowView();
}

void TF_check::ShowView() {
  SetCaption(frame_.Caption());
  ProgressBar1->SetMax(frame_.Progress().maximum);
  ProgressBar1->SetPosition(frame_.Progress().position);
}

}  // namespace veltra::validation
