#include "exchange/xtwh.h"

#include <QDir>
#include <QLabel>

#include "exchange/project_list.h"
#include "exchange/submission.h"

namespace veltra::exchange {

namespace {

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                     int height) {
  auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
  group->setObjectName(name);
  group->setGeometry(left, top, width, height);
  return group;
}

}  // namespace

TF_xtwh::TF_xtwh(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : ui::Form("F_xtwh"), Table1(main.Database1), main_(main), prompts_(prompts), transfer_(main, prompts, Table1) {
  SetCaption("系统维护");
  SetClientSize(516, 447);
  setFixedSize(516, 447);
  SetCentred(true);
  SetFontHeight(14);

  const auto button = [](QWidget* parent, const char* name, const char* caption, int left, int top) {
    auto* made = new ui::Button(parent, name, caption);
    made->setGeometry(left, top, 120, 34);
    return made;
  };

  GroupBox1 = MakeGroup(this, "GroupBox1", "请选择数据库", 8, 4, 500, 250);
  CheckListBox1 = new ui::CheckListBox(GroupBox1, "CheckListBox1");
  CheckListBox1->setGeometry(10, 24, 344, 214);
  CheckListBox1->setSpacing(2);
  for (const ReportItem& item : ReportItems()) CheckListBox1->Add(item.caption);
  Button7 = button(GroupBox1, "Button7", "全部选定", 368, 24);
  Button8 = button(GroupBox1, "Button8", "全部清除", 368, 68);
  Button1 = button(GroupBox1, "Button1", "数据备份", 368, 116);
  Button2 = button(GroupBox1, "Button2", "数据还原", 368, 160);
  Button3 = button(GroupBox1, "Button3", "数据转存", 368, 204);

  GroupBox2 = MakeGroup(this, "GroupBox2", "请选择目录", 8, 260, 500, 66);
  // The user browses from the home folder; the working folder stays fixed.
  DirectoryListBox1 = new ui::FolderPicker(GroupBox2, "DirectoryListBox1", QDir::homePath().toStdString());
  DirectoryListBox1->SetTitle("请选择目录");
  DirectoryListBox1->setGeometry(10, 26, 344, 28);
  Button5 = button(GroupBox2, "Button5", "数据上报", 368, 22);

  GroupBox3 = MakeGroup(this, "GroupBox3", "国家级项目清单维护", 8, 332, 500, 66);
  Label2 = new QLabel("请选择地区", GroupBox3);
  Label2->setObjectName("Label2");
  Label2->setGeometry(10, 30, 80, 20);
  ComboBox2 = new ui::ComboBox(GroupBox3, "ComboBox2", std::vector<std::string>(kRegionItems.begin(), kRegionItems.end()));
  ComboBox2->setGeometry(96, 26, 258, 28);
  ComboBox2->SetItemIndex(-1);
  Button9 = button(GroupBox3, "Button9", "生成项目清单", 368, 22);

  Button4 = new ui::Button(this, "Button4", "退出");
  Button4->setGeometry(8, 406, 500, 34);

  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Button2Click(); };
  Button3->OnClick = [this] { Button3Click(); };
  Button4->OnClick = [this] { Close(); };
  Button5->OnClick = [this] { Button5Click(); };
  Button7->OnClick = [this] { Button7Click(); };
  Button8->OnClick = [this] { Button8Click(); };
  Button9->OnClick = [this] { Button9Click(); };
  CheckListBox1->OnDblClick = [this] { CheckListBox1DblClick(); };
  FormCreate();
}

void TF_xtwh::FormCreate() { main_.SendBaseDir = main_.Database1.Folder().string() + "/"; }

std::vector<bool> TF_xtwh::Ticks() const {
  std::vector<bool> ticks;
  for (int i = 0; i < CheckListBox1->Count(); ++i) ticks.push_back(CheckListBox1->Checked(i));
  return ticks;
}

void TF_xtwh::Button1Click() {
  transfer_.TransferReportTables(TransferMode::Backup, Ticks());
  prompts_.Notice("数据备份完成", "");
}

void TF_xtwh::Button2Click() {
  if (!prompts_.Confirm("数据还原将用上次备份的数据覆盖当前数据库，是否要继续进行操作？", "")) return;
  transfer_.TransferReportTables(TransferMode::Restore, Ticks());
  prompts_.Notice("数据还原完成", "");
}

void TF_xtwh::Button3Click() { transfer_.TransferReportTables(TransferMode::Export, Ticks()); }

void TF_xtwh::Button5Click() {
  WriteSubmission(transfer_, DirectoryListBox1->Folder());
  prompts_.Notice("上报数据已完成", "");
}

void TF_xtwh::Button7Click() { TickAll(true); }

void TF_xtwh::Button8Click() { TickAll(false); }

void TF_xtwh::TickAll(bool ticked) {
  for (int i = 0; i < CheckListBox1->Count(); ++i) CheckListBox1->SetChecked(i, ticked);
}

void TF_xtwh::CheckListBox1DblClick() { CheckListBox1->ToggleCurrent(); }

void TF_xtwh::Button9Click() {
  if (ComboBox2->ItemIndex() < 0) return;
  BuildProjectList(main_, prompts_, Table1, ComboBox2->Text());
  prompts_.Notice("项目清单已完成", "");
}

}  // namespace veltra::exchange
