#pragma once
// TF_tzjg, the venture-capital bodies of the zone (report kind 6, tzjg.db),
// keyed by CODE, on one scroll box.
#include "entry/entry_window.h"

namespace veltra::entry {

EntryDescription TzjgDescription();

class TF_tzjg : public EntryWindow {
  Q_OBJECT

 public:
  TF_tzjg(mainunit::MainUnit& main, mainunit::Prompts& prompts);
};

}  // namespace veltra::entry
