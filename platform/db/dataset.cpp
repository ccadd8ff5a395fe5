#include "platform/db/dataset.h"

#include <bit>
#include <cstdint>
#include <utility>

#include "platform/db/cursor_view.h"
#include "platform/db/data_source.h"
#include "platform/db/field_value.h"
#include "platform/db/record_store.h"
#include "platform/text/ascii.h"

namespace veltra::db {
namespace {

bool Editing(DataSetState state) { return state == DataSetState::Edit || state == DataSetState::Insert; }

const Value& NullValue() {
  static const Value null;
  return null;
}

// Values a file stores alike: a float's sign of zero counts.
bool StoredAlike(const Value& a, const Value& b) {
  if (a.kind() == Value::Kind::Float && b.kind() == Value::Kind::Float) {
    return std::bit_cast<std::uint64_t>(a.float_value()) == std::bit_cast<std::uint64_t>(b.float_value());
  }
  return a == b;
}

}  // namespace

DataSet::DataSet() = default;

DataSet::~DataSet() { DetachSources(); }

void DataSet::DetachSources() {
  for (DataSource* source : sources_) source->DataSetDestroyed();
  sources_.clear();
}

CursorSpec DataSet::ViewSpec() { return {}; }

void DataSet::CheckRecord(const Row&) {}

void DataSet::CheckActive() const {
  if (!Active()) {
    throw EngineError(EngineError::Kind::State, DisplayName() + ": the data set is not open", {DisplayName()});
  }
}

void DataSet::CheckInactive(std::string_view operation) const {
  if (Active()) {
    throw EngineError(EngineError::Kind::State,
                      DisplayName() + ": cannot " + std::string(operation) + " while the table is open");
  }
}

CursorView& DataSet::view() {
  Sync();
  return *view_;
}

// ---- opening and closing

void DataSet::Open() {
  if (Active()) return;
  store_ = OpenStore();
  try {
    fields_.clear();
    for (int i = 0; i < static_cast<int>(store_->fields().size()); ++i) {
      fields_.push_back(std::make_unique<Field>(*this, i));
      fields_by_name_.emplace(store_->fields()[i].name, fields_.back().get());
    }
    view_ = std::make_unique<CursorView>();
    view_->Rebuild(*store_, ViewSpec());
  } catch (...) {
    ReleaseStore();
    store_.reset();
    fields_.clear();
    fields_by_name_.clear();
    view_.reset();
    throw;
  }
  state_ = DataSetState::Browse;
  ScrollTo(0);
  bof_ = true;
  eof_ = view_->size() == 0;
  for (DataSource* source : sources_) source->NotifyActiveChanged();
  for (DataSource* source : sources_) source->UpdateState();
  FireAfterScroll();
}

void DataSet::Close() {
  if (!Active()) return;
  if (std::exchange(posts_held_, false)) {
    try {
      store_->Sync();
    } catch (const EngineError&) {
      // Closing cannot fail; the held records stay on the disk uncounted,
      // as after a kill.
    }
  }
  state_ = DataSetState::Inactive;
  buffer_.clear();
  key_buffer_.clear();
  modified_ = false;
  current_.reset();
  editing_.reset();
  ReleaseStore();
  store_.reset();
  view_.reset();
  current_values_ = {};
  record_at_ = {};
  fields_.clear();
  fields_by_name_.clear();
  bof_ = eof_ = true;
  for (DataSource* source : sources_) source->NotifyActiveChanged();
  for (DataSource* source : sources_) source->UpdateState();
}

// ---- the view and the current record

std::shared_ptr<StoredRecord> DataSet::RefOf(StoredRecord* record) const {
  return store_->at(store_->PositionOf(*record));
}

void DataSet::Sync() {
  if (view_->version() != store_->version()) Rebuild();
}

void DataSet::Rebuild() {
  view_->Rebuild(*store_, ViewSpec());
  Relocate();
}

void DataSet::Relocate() {
  const std::size_t size = view_->size();
  if (size == 0) {
    current_.reset();
    position_ = 0;
    return;
  }
  if (!current_) {
    ScrollTo(0);
    return;
  }
  if (position_ < size && view_->at(position_) == current_.get()) return;
  const std::size_t at = view_->LowerBound(*current_);
  ScrollTo(at < size ? at : size - 1);
}

void DataSet::ScrollTo(std::size_t index) {
  if (view_->size() == 0) {
    current_.reset();
    position_ = 0;
    return;
  }
  position_ = index;
  current_ = RefOf(view_->at(index));
}

void DataSet::InvalidateView(bool to_first) {
  if (!Active()) return;
  NotifyLeavingRecord();
  CheckBrowseMode();
  view_->Rebuild(*store_, ViewSpec());
  if (to_first) {
    ScrollTo(0);
    bof_ = true;
    eof_ = view_->size() == 0;
  } else {
    Relocate();
  }
  NotifyDataSetChanged();
  if (to_first) FireAfterScroll();
}

void DataSet::Refresh() {
  CheckActive();
  CheckBrowseMode();
  Sync();
  NotifyDataSetChanged();
}

const Row& DataSet::RecordAt(std::size_t index) {
  CheckActive();
  Sync();
  if (index >= view_->size()) {
    throw EngineError(EngineError::Kind::State, DisplayName() + ": there is no record number " +
                                                    std::to_string(index + 1));
  }
  return record_at_.Of(*view_->at(index), *store_);
}

const Row& DataSet::Unpacked::Of(const StoredRecord& from, const RecordStore& store) {
  if (record != &from || version != store.version()) {
    store.Loaded(from).UnpackInto(values);
    record = &from;
    version = store.version();
  }
  return values;
}

// ---- navigation

void DataSet::First() {
  CheckActive();
  NotifyLeavingRecord();
  CheckBrowseMode();
  Sync();
  ScrollTo(0);
  bof_ = true;
  eof_ = view_->size() == 0;
  NotifyDataSetChanged();
  FireAfterScroll();
}

void DataSet::Last() {
  CheckActive();
  NotifyLeavingRecord();
  CheckBrowseMode();
  Sync();
  ScrollTo(view_->size() == 0 ? 0 : view_->size() - 1);
  eof_ = true;
  bof_ = view_->size() == 0;
  NotifyDataSetChanged();
  FireAfterScroll();
}

void DataSet::Next() { MoveBy(1); }

void DataSet::Prior() { MoveBy(-1); }

int DataSet::MoveBy(int distance) {
  CheckActive();
  NotifyLeavingRecord();
  CheckBrowseMode();
  Sync();
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  const long size = static_cast<long>(view_->size());
  long target = static_cast<long>(position_) + distance;
  if (target >= size) {
    target = size - 1;
    eof_ = true;
  } else {
    eof_ = false;
  }
  if (target < 0) {
    target = 0;
    bof_ = true;
  } else {
    bof_ = size == 0;
  }
  const int moved = static_cast<int>(target - static_cast<long>(position_));
  ScrollTo(static_cast<std::size_t>(target < 0 ? 0 : target));
  NotifyDataSetChanged();
  FireAfterScroll();
  return moved;
}

void DataSet::MoveToViewIndex(std::size_t index) {
  ScrollTo(index);
  bof_ = eof_ = false;
  NotifyDataSetChanged();
  FireAfterScroll();
}

int DataSet::RecNo() {
  CheckActive();
  Sync();
  if (state_ == DataSetState::Insert || !current_) return 0;
  return static_cast<int>(position_) + 1;
}

int DataSet::RecordCount() {
  CheckActive();
  Sync();
  return static_cast<int>(view_->size());
}

bool DataSet::IsEmpty() {
  if (!Active()) return true;
  Sync();
  return view_->size() == 0 && state_ != DataSetState::Insert;
}

// ---- editing

void DataSet::SetState(DataSetState state) {
  state_ = state;
  for (DataSource* source : sources_) source->UpdateState();
}

void DataSet::RefuseReadOnly() const {
  throw EngineError(EngineError::Kind::State, DisplayName() + " is read-only",
                    {DisplayName(), "", "", 0, 0, "只能查看，不能修改"});
}

void DataSet::CheckBrowseMode() {
  if (Editing(state_)) {
    NotifyUpdateRecord();
    if (modified_) {
      Post();
    } else {
      Cancel();
    }
  } else if (state_ == DataSetState::SetKey) {
    Cancel();
  }
}

void DataSet::StartNewRecord() {
  CheckActive();
  if (ReadOnly()) RefuseReadOnly();
  NotifyLeavingRecord();
  CheckBrowseMode();
  buffer_.assign(fields_.size(), Value());
  modified_ = false;
  editing_.reset();
  SetState(DataSetState::Insert);
  NotifyDataSetChanged();
  FireAfterScroll();
}

void DataSet::Append() { StartNewRecord(); }

void DataSet::Insert() { StartNewRecord(); }

void DataSet::Edit() {
  CheckActive();
  if (Editing(state_)) return;
  if (ReadOnly()) RefuseReadOnly();
  CheckBrowseMode();
  Sync();
  if (!current_) {
    StartNewRecord();
    return;
  }
  editing_ = current_;
  buffer_ = store_->Loaded(*current_).Unpack();
  changed_.assign(fields_.size(), false);
  edit_version_ = store_->version();
  modified_ = false;
  SetState(DataSetState::Edit);
}

void DataSet::Post() {
  CheckActive();
  if (!Editing(state_)) return;
  NotifyUpdateRecord();
  if (BeforePost) BeforePost(*this);
  if (!Editing(state_)) return;
  for (;;) {
    try {
      WriteBuffer();
      break;
    } catch (const EngineError& refusal) {
      if (!OnPostError) throw;
      PostError error{refusal.kind(), refusal.what(), refusal.subject()};
      PostErrorAction action = PostErrorAction::Fail;
      OnPostError(*this, error, action);
      if (action == PostErrorAction::Retry && Editing(state_)) continue;
      if (action == PostErrorAction::Abort) throw SilentAbort();
      // A message the handler rewrote is about what the handler says.
      if (error.message != refusal.what()) throw EngineError(error.kind, EngineError::Words{error.message});
      throw;
    }
  }
  buffer_.clear();
  modified_ = false;
  editing_.reset();
  bof_ = eof_ = false;
  SetState(DataSetState::Browse);
  NotifyDataSetChanged();
  if (AfterPost) AfterPost(*this);
}

void DataSet::WriteBuffer() {
  CheckRecord(buffer_);
  Sync();
  const std::uint64_t before = store_->version();
  std::shared_ptr<StoredRecord> written;
  const bool was_shown = editing_ && position_ < view_->size() && view_->at(position_) == editing_.get();
  if (state_ == DataSetState::Insert) {
    written = store_->Insert(buffer_);
  } else {
    // Another change since Edit may have touched the fields this one left alone.
    store_->Update(editing_, buffer_, before == edit_version_ ? &changed_ : nullptr);
    written = editing_;
  }
  current_ = written;
  if (store_->version() != before + 1) {
    Rebuild();
    return;
  }
  // Only our own change happened: adjust the view instead of re-reading it.
  view_->set_version(store_->version());
  const bool matches = view_->Matches(*written);
  if (was_shown && matches && view_->InPlace(position_)) return;
  if (was_shown) view_->Erase(position_);
  if (matches) {
    position_ = view_->InsertSorted(written.get());
  } else {
    position_ = view_->size();
    Relocate();
  }
}

void DataSet::Cancel() {
  if (!Active()) return;
  if (!Editing(state_) && state_ != DataSetState::SetKey) return;
  NotifyLeavingRecord();
  const bool was_insert = state_ == DataSetState::Insert;
  buffer_.clear();
  key_buffer_.clear();
  modified_ = false;
  editing_.reset();
  SetState(DataSetState::Browse);
  NotifyDataSetChanged();
  if (was_insert) FireAfterScroll();
}

void DataSet::Delete() {
  CheckActive();
  if (state_ == DataSetState::Insert || state_ == DataSetState::SetKey) {
    Cancel();
    return;
  }
  if (ReadOnly()) RefuseReadOnly();
  NotifyLeavingRecord();
  Sync();
  std::shared_ptr<StoredRecord> target = editing_ ? editing_ : current_;
  if (!target) {
    throw EngineError(EngineError::Kind::State, DisplayName() + ": there is no record to delete",
                      {DisplayName(), "", "", 0, 0, "中没有可删除的记录"});
  }
  const std::uint64_t before = store_->version();
  const bool was_shown = position_ < view_->size() && view_->at(position_) == target.get();
  store_->Remove(target);
  if (store_->version() == before + 1 && was_shown) {
    view_->Erase(position_);
    view_->set_version(store_->version());
    current_ = target;
    Relocate();
  } else {
    current_ = target;
    Rebuild();
  }
  buffer_.clear();
  modified_ = false;
  editing_.reset();
  bof_ = eof_ = view_->size() == 0;
  if (state_ != DataSetState::Browse) SetState(DataSetState::Browse);
  NotifyDataSetChanged();
  FireAfterScroll();
}

void DataSet::ClearFields() {
  CheckActive();
  if (!Editing(state_)) {
    throw EngineError(EngineError::Kind::State, DisplayName() + ": not in edit or insert mode");
  }
  buffer_.assign(fields_.size(), Value());
  changed_.assign(fields_.size(), true);
  modified_ = true;
  NotifyRecordChanged(nullptr);
}

void DataSet::FlushBuffers() {
  CheckActive();
  CheckBrowseMode();
  store_->Sync();
  posts_held_ = false;
}

void DataSet::HoldPostsUntilFlush() {
  CheckActive();
  store_->HoldAppendsUntilSync();
  posts_held_ = true;
}

// ---- key buffer

void DataSet::BeginSetKey() {
  CheckActive();
  NotifyLeavingRecord();
  CheckBrowseMode();
  key_buffer_.assign(fields_.size(), Value());
  key_assigned_.assign(fields_.size(), false);
  SetState(DataSetState::SetKey);
}

void DataSet::EndSetKey() {
  if (state_ == DataSetState::SetKey) SetState(DataSetState::Browse);
}

// ---- fields

Field& DataSet::Fields(int index) {
  CheckActive();
  if (index < 0 || index >= FieldCount()) {
    throw EngineError(EngineError::Kind::NoSuchField,
                      DisplayName() + ": there is no field number " + std::to_string(index));
  }
  return *fields_[index];
}

Field* DataSet::FindField(std::string_view name) {
  const auto it = fields_by_name_.find(name);
  return it == fields_by_name_.end() ? nullptr : it->second;
}

Field& DataSet::FieldByName(std::string_view name) {
  CheckActive();
  Field* field = FindField(name);
  if (!field) {
    throw EngineError(EngineError::Kind::NoSuchField,
                      DisplayName() + ": field " + std::string(name) + " not found",
                      {DisplayName(), std::string(name)});
  }
  return *field;
}

const FieldDefs& DataSet::FieldLayout() const {
  CheckActive();
  return store_->fields();
}

const Value& DataSet::FieldValue(int index) {
  switch (state_) {
    case DataSetState::SetKey: return key_buffer_[index];
    case DataSetState::Edit:
    case DataSetState::Insert: return buffer_[index];
    case DataSetState::Browse:
      Sync();
      return current_ ? current_values_.Of(*current_, *store_)[index] : NullValue();
    case DataSetState::Inactive: break;
  }
  CheckActive();
  return NullValue();
}

void DataSet::SetFieldValue(int index, Value value) {
  CheckActive();
  const FieldDef& def = store_->fields()[index];
  // The name is built only for a value that needs converting, which may be refused.
  if (!HeldAsIs(value, def)) value = ConvertToField(value, def, DisplayName());
  if (state_ == DataSetState::SetKey) {
    key_buffer_[index] = std::move(value);
    key_assigned_[index] = true;
    return;
  }
  if (!Editing(state_)) {
    throw EngineError(EngineError::Kind::State,
                      DisplayName() + ": field " + def.name + " cannot be set: not in edit or insert mode");
  }
  if (state_ == DataSetState::Edit && !changed_[index] && !StoredAlike(buffer_[index], value)) changed_[index] = true;
  buffer_[index] = std::move(value);
  modified_ = true;
  NotifyRecordChanged(fields_[index].get());
}

const std::string& DataSet::EditMaskOf(int index) const {
  static const std::string none;
  const auto it = edit_masks_.find(text::ToAsciiUpper(store_->fields()[index].name));
  return it == edit_masks_.end() ? none : it->second;
}

void DataSet::SetEditMaskOf(int index, std::string mask) {
  edit_masks_[text::ToAsciiUpper(store_->fields()[index].name)] = std::move(mask);
}

// ---- notifications

void DataSet::FireAfterScroll() {
  if (AfterScroll) AfterScroll(*this);
}

void DataSet::EnableControls() {
  if (controls_disabled_ == 0 || --controls_disabled_ > 0) return;
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->NotifyControlsEnabled();
}

void DataSet::NotifyDataSetChanged() {
  if (ControlsDisabled()) return;
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->NotifyDataSetChanged();
}

void DataSet::NotifyRecordChanged(const Field* field) {
  // Called for every field set: a data set nobody shows copies no list.
  if (ControlsDisabled() || sources_.empty()) return;
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->NotifyRecordChanged(field);
}

void DataSet::NotifyUpdateRecord() {
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->NotifyUpdateRecord();
}

void DataSet::NotifyLeavingRecord() {
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->NotifyLeavingRecord();
}

}  // namespace veltra::db
