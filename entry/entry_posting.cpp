// Posting and moving: the tool bar's moves, save and cancel, and every
// table's before-post, after-post, scroll, state-change and post-error steps.
#include "entry/entry_frame.h"

#include "entry/frame_parts.h"
#include "mainunit/dataset_helpers.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"

namespace veltra::entry {

namespace {

// Only the engine's own duplicate-key errors are reworded: a locked file or
// a failed write that happens to name the table is shown as it is.
std::string Translate(const PostErrorWords& words, const db::PostError& error) {
  // Any engine message goes after the prefix in the user's words.
  std::string text = ui::UserText(EngineError(error.kind, error.message, error.subject));
  if (error.kind == EngineError::Kind::KeyViolation && !words.duplicate_key.empty()) {
    text = words.duplicate_key;
  } else if (error.kind == EngineError::Kind::IndexViolation) {
    for (const auto& [index, word] : words.index_words) {
      if (error.message.find(index) != std::string::npos) {
        text = word;
        break;
      }
    }
  }
  return words.prefix + text;
}

}  // namespace

// --- tool bar ---------------------------------------------------------------

void EntryFrame::Prior() { current_table_->Prior(); }
void EntryFrame::Next() { current_table_->Next(); }
void EntryFrame::First() { current_table_->First(); }
void EntryFrame::Last() { current_table_->Last(); }

void EntryFrame::InsertRecord() {
  if (!view_.insert_enabled) return;
  if (IsDetailOf(*current_table_)) PostNewOwners(KindOf(*current_table_) - 1);
  current_table_->Append();
}

void EntryFrame::SaveRecord() {
  db::Table& table = *current_table_;
  // The all-enterprises scope is a view: nothing there is edited or saved.
  const bool view_only = IsDetailOf(table) && table.MasterFields().empty();
  if (!view_only) ForcePost(table);
  UpdateStatusBar();
}

void EntryFrame::CancelChanges() {
  if (!prompts_.Confirm("是否放弃当前记录的修改", frame::kQuestionTitle)) return;
  current_table_->Cancel();
  UpdateStatusBar();
  HideDetailPagesIfEmpty();
}

void EntryFrame::ForcePost(db::Table& table) {
  table.Edit();
  table.Post();
  table.FlushBuffers();
}

// --- posting ----------------------------------------------------------------

// A row being edited is posted under the record it was edited under: the
// tables' links post it before its owner leaves that record (moves, a new
// record, a key search, a cancel, a delete, a new order); what is left here
// is the owner that is not stored yet, and the import that moves them all.

void EntryFrame::PostNewOwners(int detail) {
  for (int level : OwnerChain(detail)) {
    db::Table& table = LevelTable(level);
    // An owner without its key yet is refused when its rows are edited. A
    // new record is stored under its rules like any other post.
    if (table.State() == db::DataSetState::Insert && !table.FieldByName(LevelKeyField(level)).AsString().empty()) {
      ForcePost(table);
    }
  }
}

bool EntryFrame::OwnerBeingAdded(int detail) {
  for (int level : OwnerChain(detail)) {
    if (LevelTable(level).State() == db::DataSetState::Insert) return true;
  }
  return false;
}

void EntryFrame::PostPendingEdits() {
  // Rows below first, each under the record it was edited under.
  const std::vector<int> details = OwnedBy(kMasterLevel);
  for (auto i = details.rbegin(); i != details.rend(); ++i) {
    if (frame::Editing(Detail(*i).State())) Detail(*i).FlushBuffers();
  }
  if (frame::Editing(master_.State())) master_.FlushBuffers();
}


void EntryFrame::ClearSendMarks() {
  if (main_.SendMarksCleared) return;
  main_.Query1.Close();
  main_.Query1.SQL.Clear();
  main_.Query1.SQL.Add(description_.send_mark_statement);
  main_.Query1.ExecSQL();
  main_.SendMarksCleared = true;
}

void EntryFrame::MasterBeforePost() {
  const MasterDescription& m = description_.master;
  const std::string key = MasterKey();
  if (detail_post_on_ && !saved_report_no_.empty() && key != saved_report_no_) CheckCascadeTarget(kMasterLevel, key);
  ClearSendMarks();
  mainunit::SetNullNumericFieldsToZero(master_);
  if (!m.counter_field.empty()) master_.FieldByName(m.counter_field).SetAsInteger(1);
  if (!m.id_field.empty()) master_.FieldByName(m.id_field).SetAsString(main_.IdPrefix + key);
  OwnBeforePost();
}

void EntryFrame::DetailBeforePost(int detail) {
  if (!detail_post_on_) return;
  const DetailDescription& d = description_.details[detail];
  db::Table& table = Detail(detail);
  ClearSendMarks();
  mainunit::SetNullNumericFieldsToZero(table);
  table.FieldByName(d.counter_field).SetAsInteger(1);
  if (table.FieldByName(d.sequence_field).AsString().empty()) ShowErrorAndAbort(d.missing_sequence);
  // In the all-records scope the row keeps its own owner.
  if (!table.MasterFields().empty()) {
    db::Table& owner = LevelTable(d.owner);
    const std::vector<std::string> keys = OwnerKeyFields(detail);
    // An owner still being added has no stored key to give: its page
    // entry posts it, and a row waits until that succeeded.
    const bool owner_stored = !OwnerBeingAdded(detail);
    for (const std::string& key : keys) {
      if (!owner_stored || owner.FieldByName(key).AsString().empty()) {
        ShowErrorAndAbort(d.missing_owner_key.empty() ? description_.missing_master_key : d.missing_owner_key);
      }
    }
    for (const std::string& key : keys) table.FieldByName(key).SetAsString(owner.FieldByName(key).AsString());
  }
  table.FieldByName(d.id_field).SetAsString(RowId(detail, table));
  const std::string& saved = saved_detail_keys_[detail];
  const std::string key = table.FieldByName(d.sequence_field).AsString();
  if (!saved.empty() && key != saved && !OwnedBy(detail).empty()) CheckCascadeTarget(detail, key);
}

void EntryFrame::MasterAfterPost() {
  if (!detail_post_on_) return;
  const std::string key = MasterKey();
  if (key != saved_report_no_ && !saved_report_no_.empty()) KeyCascade(kMasterLevel);
  // A new record's number is now stored: a later change must cascade too.
  saved_report_no_ = key;
  master_.FlushBuffers();
}

void EntryFrame::DetailAfterPost(int detail) {
  if (!detail_post_on_ || OwnedBy(detail).empty()) return;
  std::string& saved = saved_detail_keys_[detail];
  const std::string key = Detail(detail).FieldByName(description_.details[detail].sequence_field).AsString();
  if (key != saved && !saved.empty()) KeyCascade(detail);
  saved = key;
}

void EntryFrame::MasterAfterScroll() {
  const db::DataSetState state = master_source_.State();
  const std::string key = MasterKey();
  if (key != saved_report_no_ && (state == db::DataSetState::Browse || state == db::DataSetState::Insert)) {
    saved_report_no_ = key;
  }
  UpdateStatusBar();
}

void EntryFrame::DetailAfterScroll(int detail) {
  const db::DataSetState state = DetailSource(detail).State();
  if (!OwnedBy(detail).empty() && (state == db::DataSetState::Browse || state == db::DataSetState::Insert)) {
    saved_detail_keys_[detail] = Detail(detail).FieldByName(description_.details[detail].sequence_field).AsString();
  }
  UpdateStatusBar();
}

void EntryFrame::MasterPostError(db::PostError& error) {
  error.message = Translate(description_.master.words, error);
  if (!detail_post_on_ && !description_.import_error_suffix.empty()) {
    master_.Cancel();
    error.message += description_.import_error_suffix;
  }
}

void EntryFrame::DetailPostError(int detail, db::PostError& error) {
  error.message = Translate(description_.details[detail].words, error);
}

void EntryFrame::MasterStateChange() {
  if (!view_.master_pages_shown) view_.master_pages_shown = true;
  if (frame::Editing(master_source_.State())) view_.key_editable = true;
  if (master_.Active()) UpdateStatusBar();
  Changed();
}

void EntryFrame::DetailStateChange(int detail) {
  db::Table& table = Detail(detail);
  if (frame::Editing(DetailSource(detail).State()) && detail_post_on_ && !table.MasterFields().empty()) {
    const DetailDescription& d = description_.details[detail];
    bool owner_has_key = true;
    for (int level = d.owner;; level = description_.details[level].owner) {
      owner_has_key = owner_has_key && !LevelTable(level).FieldByName(LevelKeyField(level)).AsString().empty();
      if (level == kMasterLevel) break;
    }
    if (!owner_has_key) {
      table.Cancel();
      prompts_.Notice(d.owner_key_first.empty() ? description_.master_key_first : d.owner_key_first, frame::kNoticeTitle);
      ShowPage(0);
      throw SilentAbort();
    }
  }
  if (!frame::Editing(DetailSource(detail).State())) UnlockKeysNoLongerEdited();
  if (table.Active()) UpdateStatusBar();
}

}  // namespace veltra::entry
