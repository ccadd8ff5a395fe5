#pragma once
// TF_sjgxq, the provincial high-tech zones (report kind 11, sjgxq.db), keyed
// by Code: one scroll box, no validation switch (its rules always apply),
// a remark memo in which Enter starts a new line.
#include "entry/entry_window.h"

namespace veltra::entry {

EntryDescription SjgxqDescription();

class TF_sjgxq : public EntryWindow {
  Q_OBJECT

 public:
  TF_sjgxq(mainunit::MainUnit& main, mainunit::Prompts& prompts);
};

}  // namespace veltra::entry
