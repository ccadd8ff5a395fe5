#pragma once
// The validation window's workings, apart from its widgets: the result
// table that its grid shows, the catalogue, the run, the printout and the
// jump from a fault to the entry window of the faulty record. The window
// lays out its controls from the caption and progress kept here and calls
// the handlers on each user act; errors escape to the framework, which
// shows them.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mainunit/main_unit.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "validation/check_catalog.h"
#include "validation/check_p.h"
#include "validation/check_run.h"
#include "validation/locate_target.h"

namespace veltra::validation {

struct CheckProgress {
  int position = 0;
  int maximum = 100;
};

class CheckFrame {
 public:
  CheckFrame(mainunit::MainUnit& main, EntryWindows& entry_windows);

  const std::string& Caption() const { return caption_; }
  const CheckProgress& Progress() const { return progress_; }
  // Runs after the caption or the progress changed.
  std::function<void()> OnViewChanged;

  db::Table Table2;             // the result table
  db::DataSource DataSource1;   // the grid's source; disabled while the grid is detached
  db::Table Table3;             // check_db.DB

  // On each activation while the result table is closed: reads the kind's
  // first catalogue row, names and opens the result table and sets the
  // caption and the kind's filter and select suffix. Later activations (on
  // return from an entry window) change nothing.
  void FormActivate();
  // "进行校验"
  void Button3Click();
  // "打印预览" and "打印"
  void Button4Click();
  void Button1Click();
  // Double click on the grid, and "修改报表": opens the current fault.
  void DBGrid1DblClick();
  void Button5Click() { DBGrid1DblClick(); }
  // Closes the result table and the catalogue so the next opening reads them again.
  void FormClose();

  // The printout, created on the first print or preview.
  TF_check_p* F_check_p() const { return check_p_.get(); }
  const std::string& ReportTypeFilter() const { return report_type_filter_; }
  const std::string& CheckSelectSuffix() const { return check_select_suffix_; }

 private:
  void PrepareCheckPrint();
  TF_check_p& CheckPrint();
  void SetProgress(int position, int maximum);

  mainunit::MainUnit& main_;
  EntryWindows& entry_windows_;
  CheckRun run_;
  std::unique_ptr<TF_check_p> check_p_;
  std::string caption_ = "数据校验";
  CheckProgress progress_;
  // This window's own forms; the query window keeps its own filter.
  std::string report_type_filter_;
  std::string check_select_suffix_;
  std::string ResultRegisterText;
};

}  // namespace veltra::validation
