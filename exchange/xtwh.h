#pragma once
// TF_xtwh ("系统维护"): backup, restore and export of the survey tables of
// the ticked report types, the submission folder and the national project
// list of a region. The work is ReportTransfer's, WriteSubmission's and
// BuildProjectList's; the window gathers the choices and reports.
#include <vector>

#include "exchange/report_transfer.h"
#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/table.h"
#include "platform/ui/buttons.h"
#include "platform/ui/folder_picker.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"

class QLabel;

namespace veltra::exchange {

class TF_xtwh : public ui::Form {
  Q_OBJECT

 public:
  TF_xtwh(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  QGroupBox* GroupBox1;
  ui::CheckListBox* CheckListBox1;
  ui::Button* Button7;
  ui::Button* Button8;
  ui::Button* Button1;
  ui::Button* Button2;
  ui::Button* Button3;
  QGroupBox* GroupBox2;
  // In place of the drive box and folder list: the target of "数据上报".
  ui::FolderPicker* DirectoryListBox1;
  ui::Button* Button5;
  QGroupBox* GroupBox3;
  QLabel* Label2;
  ui::ComboBox* ComboBox2;
  ui::Button* Button9;
  ui::Button* Button4;

  db::Table Table1;

 private:
  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button5Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void CheckListBox1DblClick();
  void TickAll(bool ticked);
  std::vector<bool> Ticks() const;

  mainunit::MainUnit& main_;
  mainunit::Prompts& prompts_;
  ReportTransfer transfer_;
};

}  // namespace veltra::exchange
