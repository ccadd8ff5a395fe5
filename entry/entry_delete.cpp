// "删除记录": a record and, for an owner, every row it owns.
#include "entry/entry_frame.h"

#include "entry/frame_parts.h"

namespace veltra::entry {

void EntryFrame::DeleteRecord() {
  db::Table& table = *current_table_;
  if (!table.IsEmpty()) {
    if (!prompts_.Confirm(DeleteQuestion(), frame::kQuestionTitle)) return;
    if (table.State() == db::DataSetState::Insert) {
      // The record being added is dropped; the one shown before it stays.
      table.Cancel();
    } else {
      DeleteCurrentRecord();
    }
    HideDetailPagesIfEmpty();
  }
  table.FlushBuffers();
}

void EntryFrame::DeleteCurrentRecord() {
  db::Table& table = *current_table_;
  if (description_.pack_after_delete) main_.RecordsDeleted = true;
  // The rows being edited below go with the record, unposted.
  const std::vector<int> owned = &table == &master_ ? OwnedBy(kMasterLevel) : OwnedBy(KindOf(table) - 1);
  for (auto i = owned.rbegin(); i != owned.rend(); ++i) Detail(*i).Cancel();
  table.Cancel();
  if (DetailCount() > 0) DeleteRowsOwnedBy(&table == &master_ ? kMasterLevel : KindOf(table) - 1);
  table.Delete();
}

void EntryFrame::DeleteRowsOwnedBy(int level) {
  const std::string key = LevelTable(level).FieldByName(LevelKeyField(level)).AsString();
  const std::vector<int> owned = OwnedBy(level);
  if (key.empty() || owned.empty()) return;
  const KeyMatch match = RowsOwnedBy(level, key);
  // The lowest level first, so that no row is ever left without its owner.
  for (auto i = owned.rbegin(); i != owned.rend(); ++i) {
    ForEachRowMatching(*i, match, [](db::Table& rows) { rows.Delete(); });
  }
}

}  // namespace veltra::entry
