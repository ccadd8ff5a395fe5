#pragma once
// A cursor over records with the editing states of the data-aware forms:
// browse, edit, insert and key setting. Table and Query derive from it.
//
// Events fire as the forms rely on them:
//  - BeforePost runs on every Post from edit or insert, also when nothing
//    was changed; throwing from it abandons the post.
//  - OnPostError sees a refused post (constraint, key, value) and chooses
//    Fail (raise it, with the message it may have rewritten), Abort (raise
//    SilentAbort) or Retry; it may Cancel.
//  - AfterPost runs after the record is written and the state is browse.
//  - AfterScroll runs after a move, Open, Append/Insert, Delete and the
//    Cancel of an insert; never between a post and its AfterPost.
// Moving, filtering or re-indexing with a pending edit posts it when a
// field was changed and cancels it otherwise. Before the cursor leaves its
// record (a move, Append/Insert, SetKey, Cancel, Delete, a new order or
// filter) its data sources hear of it first, so that details post their
// pending edits under the record they belong to.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db/field.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::db {

class DataSource;
class RecordStore;
class CursorView;
struct CursorSpec;
struct StoredRecord;

using Row = std::vector<Value>;

enum class DataSetState { Inactive, Browse, Edit, Insert, SetKey };

enum class PostErrorAction { Fail, Abort, Retry };

// The refusal that OnPostError sees; the handler may rewrite the message.
struct PostError {
  EngineError::Kind kind;
  std::string message;
  ErrorSubject subject;  // what the engine's own message is about
};

class DataSet {
 public:
  virtual ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  std::function<void(DataSet&)> BeforePost;
  std::function<void(DataSet&)> AfterPost;
  std::function<void(DataSet&)> AfterScroll;
  std::function<void(DataSet&, PostError&, PostErrorAction&)> OnPostError;

  void Open();
  // Discards a pending edit.
  void Close();
  bool Active() const { return state_ != DataSetState::Inactive; }
  DataSetState State() const { return state_; }
  // True once a field was set since Edit/Append/Insert.
  bool Modified() const { return modified_; }

  void First();
  void Last();
  void Next();
  void Prior();
  // Moves by up to `distance` records, stopping at either end; returns the
  // distance moved.
  int MoveBy(int distance);
  // Bof after First or a move before the first record; Eof after Last or a
  // move past the last one; both on an empty data set.
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // 1-based position in the current order; 0 with no current record or
  // while inserting.
  int RecNo();
  int RecordCount();
  bool IsEmpty();

  // A new empty record; it goes to the end of the file whichever is used.
  void Append();
  void Insert();
  // On an empty data set Edit starts a new record instead.
  void Edit();
  void Post();
  void Cancel();
  // Deletes the current record (an error on an empty data set); in insert
  // state it cancels the new record.
  void Delete();
  // Sets every field of the record being edited to null.
  void ClearFields();
  // Posts a pending edit, then forces the table's completed writes to the
  // disk itself, so that they survive a power cut as well as a kill
  // (posts and deletes alone reach the operating system before they return).
  void FlushBuffers();
  // Posts until the next FlushBuffers (or Close) are flushed together by
  // it: a run of many posts costs a few syncs, and a power cut in between
  // leaves every record whole, while a kill loses the records added since.
  void HoldPostsUntilFlush();

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  Field& Fields(int index);
  // Case-insensitive; FieldByName throws NoSuchField naming the data set.
  Field& FieldByName(std::string_view name);
  Field* FindField(std::string_view name);
  // The layout of the open data set.
  const FieldDefs& FieldLayout() const;

  // Records of the current view, read without moving the cursor (batch
  // move, save-as-table); `index` is 0-based.
  const Row& RecordAt(std::size_t index);
  // Shows records that were added behind the cursor's back (batch move).
  void Refresh();

  // While controls are disabled the data sources tell their observers (the
  // form's controls, detail tables) nothing of moves, values or states, so
  // that a loop over many records repaints nothing and drags no detail
  // along; the data set's events, the sources' OnStateChange, the writing
  // of pending text and the leaving of a record still go through. The last
  // EnableControls tells every observer once. Calls nest.
  void DisableControls() { ++controls_disabled_; }
  void EnableControls();
  bool ControlsDisabled() const { return controls_disabled_ > 0; }

  // The name used in error messages (a table's name, "query").
  virtual std::string DisplayName() const = 0;
  // A query's result cannot be edited.
  virtual bool ReadOnly() const { return false; }

 protected:
  DataSet();

  // Produces the records when the data set opens.
  virtual std::shared_ptr<RecordStore> OpenStore() = 0;
  virtual void ReleaseStore() {}
  // Order, range and filter of the view; asked again after InvalidateView.
  virtual CursorSpec ViewSpec();
  // Checks a record about to be written (constraints); throws EngineError.
  virtual void CheckRecord(const Row& record);

  // Re-reads the view spec; posts a pending edit first. With
  // `to_first` the cursor goes to the first record and AfterScroll fires.
  void InvalidateView(bool to_first);
  // For destructors: forget the data sources without telling anyone, so
  // that closing fires no handler of a window being torn down.
  void DetachSources();
  void CheckActive() const;
  [[noreturn]] void RefuseReadOnly() const;
  void CheckInactive(std::string_view operation) const;
  // Posts when modified, cancels otherwise.
  void CheckBrowseMode();
  RecordStore& store() const { return *store_; }
  CursorView& view();

  // Key setting, used by Table's key search.
  void BeginSetKey();
  const Row& key_buffer() const { return key_buffer_; }
  const std::vector<bool>& key_assigned() const { return key_assigned_; }
  void EndSetKey();
  // Moves to a record of the view and fires AfterScroll.
  void MoveToViewIndex(std::size_t index);
  // Tells the data sources that the cursor is about to leave its record.
  void NotifyLeavingRecord();

 private:
  friend class Field;
  friend class DataSource;

  const Value& FieldValue(int index);
  void SetFieldValue(int index, Value value);
  const std::string& EditMaskOf(int index) const;
  void SetEditMaskOf(int index, std::string mask);

  // Re-reads the view when the records changed since it was built.
  void Sync();
  void Rebuild();
  // Finds the current record again, or the one after where it stood.
  void Relocate();
  std::shared_ptr<StoredRecord> RefOf(StoredRecord* record) const;
  void SetState(DataSetState state);
  void StartNewRecord();
  void WriteBuffer();
  void ScrollTo(std::size_t index);
  void FireAfterScroll();
  void NotifyDataSetChanged();
  void NotifyRecordChanged(const Field* field);
  void NotifyUpdateRecord();

  DataSetState state_ = DataSetState::Inactive;
  std::shared_ptr<RecordStore> store_;
  std::unique_ptr<CursorView> view_;
  std::vector<std::unique_ptr<Field>> fields_;
  // Imports look every field up by name for every record.
  struct NameHash : text::AsciiCaseInsensitiveHash {
    using is_transparent = void;
  };
  struct NameEqual : text::AsciiCaseInsensitiveEqual {
    using is_transparent = void;
  };
  std::unordered_map<std::string, Field*, NameHash, NameEqual> fields_by_name_;
  std::shared_ptr<StoredRecord> current_;  // kept alive to find its successor
  std::shared_ptr<StoredRecord> editing_;  // the record Edit started on
  std::size_t position_ = 0;               // of current_ in the view
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool posts_held_ = false;  // HoldPostsUntilFlush until the next flush
  // A stored record's values unpacked, kept while neither it nor the
  // store changes: the current record's, and the last RecordAt's.
  struct Unpacked {
    const StoredRecord* record = nullptr;
    std::uint64_t version = 0;
    Row values;
    // Read from the file first if need be.
    const Row& Of(const StoredRecord& from, const RecordStore& store);
  };
  Unpacked current_values_;
  Unpacked record_at_;
  Row buffer_;
  std::vector<bool> changed_;  // by field: set to another value since Edit
  std::uint64_t edit_version_ = 0;  // the store's version at Edit
  Row key_buffer_;
  std::vector<bool> key_assigned_;
  std::map<std::string, std::string> edit_masks_;  // by upper-cased field name
  std::vector<DataSource*> sources_;
  int controls_disabled_ = 0;
};

}  // namespace veltra::db
