#pragma once
// The national programme projects (report kind 4, gjxm.db). The table
// starts as the issued project list (gjxm_s.dbf, loaded on first use); each
// record carries its list state in IS_CHGE: null issued and not entered,
// "1" issued and entered by the user, "2" added by the user.
#include "entry/entry_frame.h"

namespace veltra::entry {

EntryDescription GjxmDescription();

class GjxmEntry : public EntryFrame {
 public:
  GjxmEntry(mainunit::MainUnit& main, mainunit::Prompts& prompts);

  // "插入记录": a new record added by the user.
  void InsertRecord() override;

  // The project's number, name and code may be typed only in a record the user adds.
  bool KeysEditable();

 protected:
  void AfterTablesOpened() override;
  void OwnBeforePost() override;
  std::string StatusSuffix() override;
  // "删除记录": a record the user added is deleted; a record of the issued
  // list is cleared back to its issued state, keeping JB00, JB01 and JB02.
  std::string DeleteQuestion() override;
  void DeleteCurrentRecord() override;

 private:
  std::string ListState();

  bool clearing_ = false;
};

}  // namespace veltra::entry
