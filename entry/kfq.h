#pragma once
// The enterprise survey (report kinds 1 and 3): master kfq_1.db with its
// products kfq_2.db and projects kfq_5.db, and the import of another
// office's submission ("数据入库").
#include <functional>

#include "entry/entry_frame.h"

namespace veltra::entry {

// The framework's description of the enterprise window.
EntryDescription KfqDescription();

class KfqEntry : public EntryFrame {
 public:
  KfqEntry(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  // "数据入库" (ToolButton11Click): the user picks the submitted kfq_1.db;
  // `renumber` shows the renumbering dialog, which copies the submission
  // into tmp\ and clears ImportOk when the user abandons the import. The
  // copies in tmp\ are merged by key, then removed on every path.
  void ImportSubmission(const std::function<void()>& renumber);
};

}  // namespace veltra::entry
