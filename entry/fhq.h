#pragma once
// TF_fhq, the business-incubator window (report kind 9): one record per
// incubator in fhq.db and its incubated or graduated enterprises in
// fhqzfqy.db, one at a time on their own page.
#include "entry/entry_window.h"

namespace veltra::entry {

// The framework's description of the incubator window.
EntryDescription FhqDescription();

class TF_fhq : public EntryWindow {
  Q_OBJECT

 public:
  TF_fhq(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  ui::DBEdit* DBEdit78;   // the incubator's 编号
  ui::DBEdit* DBEdit130;  // the enterprise's 编号
};

}  // namespace veltra::entry
