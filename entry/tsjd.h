#pragma once
// TF_tsjd, the special industry bases (report kind 10, tsjd.db), keyed by CODE.
#include "entry/entry_window.h"

namespace veltra::entry {

EntryDescription TsjdDescription();

class TF_tsjd : public EntryWindow {
  Q_OBJECT

 public:
  TF_tsjd(mainunit::MainUnit& main, mainunit::Prompts& prompts);
};

}  // namespace veltra::entry
