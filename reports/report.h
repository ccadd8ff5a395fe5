#pragma once
// The report window "报表打印": every row of the report catalogue in a
// check list, the current kind's rows ticked, and the buttons that build
// and print or preview the ticked reports one after another.
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "reports/report_dispatch.h"

namespace veltra::reports {

class TF_report : public ui::Form {
 public:
  TF_report(mainunit::MainUnit& main, ReportDispatch::Builders builders, QWidget* parent = nullptr);

  ui::CheckListBox* CheckListBox1;
  ui::ListBox* ListBox1;  // hidden: the report key of each item
  ui::ToolButton* ToolButton2;
  ui::ToolButton* ToolButton3;
  ui::ToolButton* ToolButton4;
  ui::ToolButton* ToolButton5;

  ReportDispatch& Dispatch() { return dispatch_; }

 private:
  void FormActivate();
  void PrintCheckedReports(bool print);
  void ToolButton2Click();
  void CheckListBox1DblClick();

  mainunit::MainUnit& main_;
  ReportDispatch dispatch_;
  // The kind whose default ticks the list shows; kind 3 shares kind 1's rows.
  int ReportListKind = 0;
};

}  // namespace veltra::reports
