#pragma once
// TF_dxkjy, the university-science-park window (report kind 8): one record
// per park in dx.db, its incubated or graduated enterprises in dxzfqy.db
// one at a time, and its national-level projects in dxxm.db in a grid.
#include "entry/entry_window.h"

namespace veltra::entry {

// The framework's description of the science-park window.
EntryDescription DxkjyDescription();

class TF_dxkjy : public EntryWindow {
  Q_OBJECT

 public:
  TF_dxkjy(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  ui::DBEdit* DBEdit78;   // the park's 编号
  ui::DBEdit* DBEdit130;  // the enterprise's 编号
  ui::DBGrid* DBGrid1;    // the projects
};

}  // namespace veltra::entry
