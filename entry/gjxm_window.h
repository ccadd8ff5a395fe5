#pragma once
// TF_gjxm, the national project window ("国家级项目"): the entry window of
// GjxmEntry, with the form's title on its cover and the plain locate dialog.
#include "entry/entry_window.h"
#include "entry/gjxm.h"

namespace veltra::entry {

class TF_gjxm : public EntryWindow {
  Q_OBJECT

 public:
  TF_gjxm(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  GjxmEntry& Frame() { return static_cast<GjxmEntry&>(EntryWindow::Frame()); }

 protected:
  void ApplyOwnView() override;
};

}  // namespace veltra::entry
