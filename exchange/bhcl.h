#pragma once
// TF_bhcl ("编号处理"), shown by the enterprise window's "数据入库": lists
// the submitted enterprises, lets the user give them new report numbers and
// lets the import go on only when none clashes with a stored enterprise.
// "返回", and closing the dialog by its frame, abandon the import.
#include "mainunit/main_unit.h"
#include "exchange/renumbering.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/status_controls.h"

class QLabel;

namespace veltra::exchange {

class TF_bhcl : public ui::Form {
  Q_OBJECT

 public:
  explicit TF_bhcl(mainunit::MainUnit& main);

  Renumbering& Work() { return work_; }

  QLabel* Label1;
  QLabel* Label2;
  ui::DBGrid* DBGrid1;
  ui::Button* Button1;
  ui::Button* Button2;
  ui::ProgressBar* ProgressBar1;

 private:
  void FormActivate();
  void FormClose();
  void Button1Click();
  void ShowLines();

  mainunit::MainUnit& main_;
  Renumbering work_;
  bool import_accepted_ = false;
};

}  // namespace veltra::exchange
