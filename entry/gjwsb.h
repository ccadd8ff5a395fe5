#pragma once
// TF_gjwsb, the list of issued national projects that were not reported
// (report kind 5, gj_wsb.db): one grid in which the user keys a reason code
// per project, generated from the projects of gjxm.db never entered.
#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"

class QToolBar;

namespace veltra::entry {

class TF_gjwsb : public ui::Form {
  Q_OBJECT

 public:
  TF_gjwsb(mainunit::MainUnit& main, mainunit::Prompts& prompts);
  ~TF_gjwsb() override;

  db::Table Table1;
  db::DataSource DataSource1{&Table1};
  ui::DBGrid* DBGrid1;
  QToolBar* ToolBar1;

  // "生成未上报项目清单": the projects of gjxm.db whose list state is null
  // replace the list. Reasons already keyed in are lost, so the user is
  // asked first when there are any.
  void ToolButton1Click();

 private:
  void FormActivate();
  void FormClose(bool& allow);
  void FormKeyPress(int& key);
  bool HoldsReasons();

  mainunit::MainUnit& main_;
  mainunit::Prompts& prompts_;
};

}  // namespace veltra::entry
