#pragma once
// The validation window "数据校验": the result grid of the current report
// kind, the buttons of the run, the printout and the jump to the faulty
// record, and the progress bar of a run. Created once by the main window
// and shown modally for the current ReportKind; the workings are the
// frame's, the window only lays them out.
#include "mainunit/main_unit.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/status_controls.h"
#include "validation/check_frame.h"
#include "validation/locate_target.h"

namespace veltra::validation {

class TF_check : public ui::Form {
 public:
  TF_check(mainunit::MainUnit& main, EntryWindows& entry_windows, QWidget* parent = nullptr);

  CheckFrame& Frame() { return frame_; }

 private:
  void ShowView();

  CheckFrame frame_;
  ui::DBGrid* DBGrid1;
  ui::Button* Button3;
  ui::Button* Button4;
  ui::Button* Button1;
  ui::Button* Button5;
  ui::Button* Button2;
  ui::ProgressBar* ProgressBar1;
};

}  // namespace veltra::validation
