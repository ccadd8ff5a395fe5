#include "platform/db/record_store.h"

#include <algorithm>
#include <atomic>

#include "platform/db/field_value.h"
#include "platform/formats/record_checks.h"
#include "platform/sql/row_sort.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::db {
namespace {

// Neighbours in the file are mostly wanted next: the rows a grid shows,
// the products of one enterprise.
constexpr std::size_t kLoadedTogether = 64;

[[noreturn]] void RefuseDeletedRecord(const std::string& table) {
  throw EngineError(EngineError::Kind::State, table + ": the record was deleted by another user of the table",
                    {table, "", "", 0, 0, "中的这条记录已被其他用户删除"});
}

bool Marked(const std::vector<bool>* changed, std::size_t field) {
  return !changed || field >= changed->size() || (*changed)[field];
}

bool KeyMarked(const RecordIndex& index, const std::vector<bool>* changed) {
  for (int field : index.key_fields()) {
    if (Marked(changed, static_cast<std::size_t>(field))) return true;
  }
  return false;
}

IndexDef PrimaryFromFile(const FieldDefs& fields, int key_count) {
  IndexDef def;
  def.primary = true;
  for (int i = 0; i < key_count; ++i) {
    if (i > 0) def.fields += ';';
    def.fields += fields[i].name;
  }
  return def;
}

}  // namespace

RecordStore::RecordStore(std::string name, FieldDefs fields, std::vector<Row> rows)
    : name_(std::move(name)), fields_(std::move(fields)) {
  records_.reserve(rows.size());
  for (Row& row : rows) records_.push_back(MakeRecord(PackedRow(std::move(row))));
}

RecordStore::RecordStore(std::unique_ptr<formats::TableFile> file, std::string name)
    : name_(std::move(name)), fields_(file->fields()), file_(std::move(file)) {
  // A text table's widths are only those of the values it holds so far;
  // what is written to it must not be cut to them.
  if (file_->kind() == formats::TableKind::Text) {
    for (FieldDef& field : fields_) {
      if (field.type == FieldType::String) field.size = 0;
    }
  }
  // Records are read from the file as they are first wanted; a table that
  // cannot be read in parts is read whole at once.
  const std::size_t count = file_->record_count();
  records_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    records_.push_back(std::make_shared<StoredRecord>(StoredRecord{next_serial_++, PackedRow(), false}));
  }
  unloaded_ = count;
  decoded_.assign(fields_.size(), false);
  if (!file_->ReadsInParts()) LoadAll();
  const int key_count = std::min<int>(file_->key_field_count(), static_cast<int>(fields_.size()));
  if (key_count > 0) {
    indexes_.push_back(std::make_unique<RecordIndex>(PrimaryFromFile(fields_, key_count), *this));
    primary_from_file_ = true;
  }
  // A number once handed out is never handed out again, though its record
  // be gone: the file keeps the last one.
  next_auto_inc_ = std::max(next_auto_inc_, file_->last_counter_value() + 1);
  std::vector<int> counters;
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    if (fields_[f].type == FieldType::AutoInc) counters.push_back(static_cast<int>(f));
  }
  DecodeFields(counters);
  for (const int f : counters) {
    for (const RecordRef& record : records_) {
      const Value value = record->values.Get(f);
      if (value.kind() == Value::Kind::Integer) next_auto_inc_ = std::max(next_auto_inc_, value.integer() + 1);
    }
  }
}

const PackedRow& RecordStore::Loaded(const StoredRecord& record) const {
  if (!record.loaded) {
    const std::size_t position = PositionOf(record);
    if (position >= records_.size() || records_[position].get() != &record) RefuseDeletedRecord(name_);
    LoadFrom(position);
  }
  return record.values;
}

void RecordStore::LoadFrom(std::size_t position) const {
  std::size_t end = position + 1;
  while (end < records_.size() && end - position < kLoadedTogether && !records_[end]->loaded) ++end;
  std::vector<formats::Record> rows;
  try {
    rows = file_->ReadRange(position, end - position);
  } catch (const EngineError&) {
    if (end - position == 1) throw;
    rows = file_->ReadRange(position, 1);  // a damaged neighbour is told when it is reached
  }
  for (std::size_t i = 0; i < rows.size(); ++i) TakeLoaded(*records_[position + i], std::move(rows[i]));
  unloaded_ -= rows.size();
}

void RecordStore::LoadAll() const {
  if (unloaded_ == 0) return;
  CheckSameCount(file_->record_count());
  // Each row packed as it is decoded, perhaps in several threads at once,
  // so that the table is never held twice while it loads.
  std::atomic<std::size_t> taken = 0;
  try {
    file_->ReadEach([&](std::size_t position, formats::Record&& row) {
      StoredRecord& record = *records_[position];
      if (record.loaded) return;
      TakeLoaded(record, std::move(row));
      ++taken;
    });
  } catch (...) {
    unloaded_ -= taken;  // those before a damaged record stay read
    throw;
  }
  unloaded_ -= taken;
}

void RecordStore::TakeLoaded(StoredRecord& record, Row values) const {
  values.resize(fields_.size());
  record.values = PackedRow(std::move(values));
  record.loaded = true;
}

void RecordStore::DecodeFields(const std::vector<int>& fields) const {
  if (unloaded_ == 0) return;
  std::vector<bool> wanted(fields_.size(), false);
  std::vector<int> missing;
  for (const int f : fields) {
    if (!decoded_[f] && !wanted[f]) missing.push_back(f);
    wanted[f] = true;
  }
  if (missing.empty()) return;
  const std::size_t width = static_cast<std::size_t>(*std::max_element(missing.begin(), missing.end())) + 1;
  std::size_t position = 0;
  Row values;
  const auto take = [&](const formats::Record& row) {
    if (position < records_.size() && !records_[position]->loaded) {
      StoredRecord& record = *records_[position];
      record.values.UnpackInto(values);
      if (values.size() < width) values.resize(width);
      for (const int f : missing) values[f] = row[f];
      record.values = PackedRow(std::move(values));
    }
    ++position;
    return false;
  };
  file_->ScanRecords({wanted, take, {}, {}});
  CheckSameCount(position);
  for (const int f : missing) decoded_[f] = true;
}

void RecordStore::DecodeIndexKeys() const {
  std::vector<int> keys;
  for (const auto& index : indexes_) keys.insert(keys.end(), index->key_fields().begin(), index->key_fields().end());
  DecodeFields(keys);
}

// The file is read in parts only while it holds what the store holds.
void RecordStore::CheckSameCount(std::size_t read) const {
  if (read == records_.size()) return;
  throw EngineError(EngineError::Kind::State,
                    name_ + ": the file holds " + std::to_string(read) + " records where " +
                        std::to_string(records_.size()) + " were expected",
                    {name_, "", "", 0, 0, "的文件已被其他程序改动，请重新打开"});
}

RecordRef RecordStore::MakeRecord(PackedRow values) {
  return std::make_shared<StoredRecord>(StoredRecord{next_serial_++, std::move(values)});
}

void RecordStore::EnsureIndexes(const IndexDefs& defs) {
  for (const IndexDef& def : defs) {
    if (def.primary) {
      const RecordIndex* current = Primary();
      if (current && !primary_from_file_) continue;
      auto index = std::make_unique<RecordIndex>(def, *this);
      if (current) indexes_.erase(indexes_.begin());
      indexes_.insert(indexes_.begin(), std::move(index));
      primary_from_file_ = false;
      continue;
    }
    if (FindIndex(def.name)) continue;
    indexes_.push_back(std::make_unique<RecordIndex>(def, *this));
  }
  ++version_;
}

const RecordIndex* RecordStore::FindIndex(std::string_view name) const {
  for (const auto& index : indexes_) {
    if (!index->def().primary && text::EqualsIgnoreAsciiCase(index->def().name, name)) {
      return index.get();
    }
  }
  for (const auto& index : indexes_) {
    if (index->def().primary && !name.empty() && text::EqualsIgnoreAsciiCase(index->def().name, name)) {
      return index.get();
    }
  }
  return nullptr;
}

const RecordIndex* RecordStore::Primary() const {
  return !indexes_.empty() && indexes_.front()->def().primary ? indexes_.front().get() : nullptr;
}

void RecordStore::FitToLayout(Row& values) const { values.resize(fields_.size()); }

// Every write checks its rows before anything is written, so that a bulk
// write stays whole and the refusal names the table and field.
void RecordStore::CheckEncodable(const Row& values, const std::vector<bool>* changed) const {
  const formats::CodePage code_page = file_ ? file_->code_page() : formats::CodePage::Gbk();
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    const Value& value = values[f];
    if (value.kind() != Value::Kind::Text || !Marked(changed, f) || code_page.CanEncode(value.text())) continue;
    try {
      code_page.Encode(value.text());
    } catch (const text::TextError& e) {
      formats::RefuseUnstorableText(name_, fields_[f].name, std::string(value.text()), e.what());
    }
  }
}

void RecordStore::CheckKeys(const Row& values, const StoredRecord* self, const std::vector<bool>* changed) const {
  for (const auto& index : indexes_) {
    if (!KeyMarked(*index, changed) || !index->FindClash(values, self)) continue;
    if (index->def().primary) throw EngineError(EngineError::Kind::KeyViolation, "Key violation.", {name_});
    throw EngineError(EngineError::Kind::IndexViolation,
                      "Key violation in unique index " + index->def().name + " of " + name_ + ".",
                      {name_, index->def().name});
  }
}

void RecordStore::IndexRecord(StoredRecord* record) {
  for (const auto& index : indexes_) index->Insert(record);
}

void RecordStore::UnindexRecord(StoredRecord* record) {
  for (const auto& index : indexes_) index->Erase(record);
}

std::size_t RecordStore::PositionOf(const StoredRecord& record) const {
  const auto it = std::lower_bound(records_.begin(), records_.end(), record.serial,
                                   [](const RecordRef& r, std::uint64_t serial) { return r->serial < serial; });
  return static_cast<std::size_t>(it - records_.begin());
}

RecordRef RecordStore::Insert(Row& values) {
  RefuseInUpdateGroup("add");
  FitToLayout(values);
  std::vector<std::size_t> numbered;
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    if (fields_[f].type == FieldType::AutoInc && values[f].is_null()) {
      values[f] = Value::Integer(next_auto_inc_);
      numbered.push_back(f);
    }
  }
  try {
    DecodeIndexKeys();
    CheckEncodable(values);  // refused here, the error names the field for the user
    CheckKeys(values, nullptr);
    if (WritesFile()) file_->Append(values);
  } catch (...) {
    for (std::size_t f : numbered) values[f] = Value();
    throw;
  }
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    if (fields_[f].type == FieldType::AutoInc && values[f].kind() == Value::Kind::Integer) {
      next_auto_inc_ = std::max(next_auto_inc_, values[f].integer() + 1);
    }
  }
  RecordRef record = MakeRecord(PackedRow(std::move(values)));
  IndexRecord(record.get());  // first: an index not sorted yet sorts the records without it
  records_.push_back(record);
  ++version_;
  return record;
}

void RecordStore::Update(const RecordRef& record, Row& values, const std::vector<bool>* changed) {
  const std::size_t position = PositionOf(*record);
  if (position >= records_.size() || records_[position] != record) RefuseDeletedRecord(name_);
  Loaded(*record);  // its old values are kept for an update group, its keys compared
  DecodeIndexKeys();
  FitToLayout(values);
  CheckEncodable(values, changed);
  CheckKeys(values, record.get(), changed);
  if (WritesFile()) {
    if (changed) {
      file_->OverwriteFields(position, values, *changed);
    } else {
      file_->Overwrite(position, values);
    }
  }
  ForgetFilledFrom(position);
  if (changed && !update_group_) {
    ChangeValues(*record, values, *changed);
  } else {
    PackedRow old_values = ReplaceValues(*record, PackedRow(std::move(values)));
    if (update_group_) update_group_->emplace_back(record, std::move(old_values));
  }
  ++version_;
}

// Most edits leave the keys alone; a record moves (two shifts of the
// index) only in the indexes where its place changed.
template <typename Values>
std::vector<RecordIndex*> RecordStore::UnindexMoved(StoredRecord& record, const Values& values,
                                                    const std::vector<bool>* changed) {
  std::vector<RecordIndex*> moved;
  for (const auto& index : indexes_) {
    if (KeyMarked(*index, changed) && index->CompareKeys(record.values, values, index->key_fields().size()) != 0) {
      index->Erase(&record);
      moved.push_back(index.get());
    }
  }
  return moved;
}

PackedRow RecordStore::ReplaceValues(StoredRecord& record, PackedRow values) {
  const std::vector<RecordIndex*> moved = UnindexMoved(record, values, nullptr);
  std::swap(record.values, values);
  for (RecordIndex* index : moved) index->Insert(&record);
  return values;
}

void RecordStore::ChangeValues(StoredRecord& record, Row& values, const std::vector<bool>& changed) {
  const std::vector<RecordIndex*> moved = UnindexMoved(record, values, &changed);
  record.values.SetFields(values, changed);
  for (RecordIndex* index : moved) index->Insert(&record);
}

void RecordStore::UpdateAllOrNothing(const std::function<void()>& updates) {
  if (update_group_) throw EngineError(EngineError::Kind::State, name_ + ": updates already grouped");
  std::vector<std::pair<RecordRef, PackedRow>> old_values;
  update_group_ = &old_values;
  try {
    if (WritesFile()) {
      file_->WriteAllOrNothing(updates);
    } else {
      updates();
    }
  } catch (...) {
    update_group_ = nullptr;
    // Latest first, so that a record changed twice ends with its first values.
    for (auto it = old_values.rbegin(); it != old_values.rend(); ++it) ReplaceValues(*it->first, std::move(it->second));
    ForgetFilledFrom(0);
    ++version_;
    throw;
  }
  update_group_ = nullptr;
}

void RecordStore::Remove(const RecordRef& record) {
  RefuseInUpdateGroup("remove");
  const std::size_t position = PositionOf(*record);
  if (position >= records_.size() || records_[position] != record) return;
  DecodeIndexKeys();
  if (WritesFile()) file_->Remove(position);
  if (!record->loaded) --unloaded_;
  ForgetFilledFrom(position);
  UnindexRecord(record.get());
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  ++version_;
}

void RecordStore::InsertMany(std::vector<Row> rows) {
  std::vector<RecordRef> added;
  added.reserve(rows.size());
  // Rows not written to a file are freed as they are packed.
  const bool writes = WritesFile();
  try {
    for (Row& row : rows) {
      FitToLayout(row);
      CheckEncodable(row);
      CheckKeys(row, nullptr);
      added.push_back(MakeRecord(writes ? PackedRow(row) : PackedRow(std::move(row))));
      if (!writes) Row().swap(row);
      IndexRecord(added.back().get());
    }
  } catch (...) {
    for (const RecordRef& record : added) UnindexRecord(record.get());
    throw;
  }
  try {
    if (writes) {
      std::vector<const formats::Record*> values;
      values.reserve(rows.size());
      for (const Row& row : rows) values.push_back(&row);
      file_->WriteAllOrNothing([&] { file_->AppendMany(values); });
    }
  } catch (...) {
    for (const RecordRef& record : added) UnindexRecord(record.get());
    throw;
  }
  records_.insert(records_.end(), added.begin(), added.end());
  ++version_;
}

// Each record's new values trade places with its old ones in `traded`,
// so that a failure trades them back without a copy either way.
void RecordStore::UpdateMany(std::vector<std::pair<std::size_t, Row>> changes) {
  std::vector<RecordRef> targets;
  targets.reserve(changes.size());
  for (auto& [position, row] : changes) {
    FitToLayout(row);
    CheckEncodable(row);
    targets.push_back(records_.at(position));
    Loaded(*targets.back());
  }
  // Before anything changes, so that a failure half-way is covered too.
  std::size_t first_changed = records_.size();
  for (const auto& change : changes) first_changed = std::min(first_changed, change.first);
  ForgetFilledFrom(first_changed);
  for (const RecordRef& record : targets) UnindexRecord(record.get());
  const bool writes = WritesFile();
  std::vector<PackedRow> traded;
  traded.reserve(changes.size());
  std::size_t swapped = 0;
  auto restore = [&] {
    for (std::size_t i = 0; i < swapped; ++i) UnindexRecord(targets[i].get());
    // Last first, so that a record named twice ends with its first values.
    for (std::size_t i = swapped; i-- > 0;) std::swap(targets[i]->values, traded[i]);
    for (const RecordRef& record : targets) IndexRecord(record.get());
  };
  try {
    for (; swapped < targets.size(); ++swapped) {
      Row& row = changes[swapped].second;
      CheckKeys(row, targets[swapped].get());
      // Kept whole only where the file is written from it.
      traded.push_back(writes ? PackedRow(row) : PackedRow(std::move(row)));
      std::swap(targets[swapped]->values, traded.back());
      IndexRecord(targets[swapped].get());
    }
  } catch (...) {
    restore();
    throw;
  }
  try {
    if (writes) {
      file_->WriteAllOrNothing([&] {
        for (const auto& [position, row] : changes) file_->Overwrite(position, row);
      });
    }
  } catch (...) {
    restore();
    throw;
  }
  ++version_;
}

void RecordStore::RemoveMany(std::vector<std::size_t> positions) {
  std::sort(positions.begin(), positions.end(), std::greater<>());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  while (!positions.empty() && positions.front() >= records_.size()) positions.erase(positions.begin());
  if (positions.empty()) return;
  DecodeIndexKeys();
  // Last first, so that each position still means the record it named.
  if (WritesFile()) {
    file_->WriteAllOrNothing([&] {
      for (std::size_t position : positions) file_->Remove(position);
    });
  }
  ForgetFilledFrom(positions.back());
  std::vector<bool> removed(records_.size(), false);
  for (std::size_t position : positions) {
    removed[position] = true;
    UnindexRecord(records_[position].get());
    if (!records_[position]->loaded) --unloaded_;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (!removed[i]) records_[kept++] = std::move(records_[i]);
  }
  records_.resize(kept);
  ++version_;
}

void RecordStore::RefuseInUpdateGroup(std::string_view action) const {
  if (update_group_) {
    throw EngineError(EngineError::Kind::State,
                      name_ + ": cannot " + std::string(action) + " a record while its updates are grouped");
  }
}

void RecordStore::ForgetFilledFrom(std::size_t position) {
  for (std::size_t& filled : filled_prefix_) filled = std::min(filled, position);
}

std::size_t RecordStore::FilledPrefix(std::size_t column) const {
  LoadAll();
  if (filled_prefix_.size() < fields_.size()) filled_prefix_.resize(fields_.size(), 0);
  std::size_t& filled = filled_prefix_[column];
  while (filled < records_.size() && !records_[filled]->values.IsNull(column)) ++filled;
  return filled;
}

void RecordStore::HoldAside() {
  if (!file_) throw EngineError(EngineError::Kind::State, name_ + ": only a table file can be held aside");
  RefuseInUpdateGroup("hold aside");
  records_.clear();
  unloaded_ = 0;
  for (const auto& index : indexes_) index->Reset();
  filled_prefix_.clear();
  held_aside_ = true;
  ++version_;
}

// The records move as they are, packed: only the keys are read and the
// number written.
void RecordStore::SortAndNumber(const std::vector<std::pair<std::string, bool>>& order,
                                std::string_view number_field) {
  if (!held_aside_) throw EngineError(EngineError::Kind::State, name_ + ": only a table held aside is sorted in memory");
  RefuseInUpdateGroup("sort");
  const auto field_named = [&](std::string_view name) {
    const int field = FindField(fields_, name);
    if (field < 0) {
      throw EngineError(EngineError::Kind::NoSuchField, name_ + " has no field " + std::string(name) + " to sort by",
                        {name_, std::string(name)});
    }
    return static_cast<std::size_t>(field);
  };
  std::vector<sql::SortKey> keys;
  for (const auto& [name, descending] : order) keys.push_back({field_named(name), descending});
  const std::size_t numbered = field_named(number_field);
  const auto number = [&](std::size_t place) {
    return ConvertToField(Value::Text(std::to_string(place)), fields_[numbered], name_);
  };
  // The largest number first: a field too narrow for it refuses before anything moves.
  if (!records_.empty()) number(records_.size());
  std::vector<std::uint32_t> sorted_positions;
  {
    // One key's values at a time, side by side, where the sort can point at them.
    std::vector<Value> key_values;
    std::size_t key_read = keys.size();
    sorted_positions = sql::SortedPositions(records_.size(), keys, [&](std::size_t k, std::size_t r) -> const Value& {
      if (k != key_read) {
        key_values.clear();
        key_values.reserve(records_.size());
        for (const RecordRef& record : records_) key_values.push_back(record->values.Get(keys[k].value));
        key_read = k;
      }
      return key_values[r];
    });
  }
  // The records follow the cycles of the order in place.
  std::vector<bool> placed(records_.size(), false);
  for (std::size_t start = 0; start < records_.size(); ++start) {
    if (placed[start]) continue;
    RecordRef first = std::move(records_[start]);
    std::size_t at = start;
    for (std::size_t from = sorted_positions[at]; from != start; at = from, from = sorted_positions[at]) {
      records_[at] = std::move(records_[from]);
      placed[at] = true;
    }
    records_[at] = std::move(first);
    placed[at] = true;
  }
  for (std::size_t i = 0; i < records_.size(); ++i) {
    records_[i]->serial = next_serial_++;  // rising with the new file order
    records_[i]->values.Set(numbered, number(i + 1));
  }
  for (const auto& index : indexes_) index->Reset();
  filled_prefix_.clear();
  ++version_;
}

void RecordStore::PutInPlace() {
  if (!held_aside_) return;
  // Unpacked one at a time as the writer encodes them.
  Row row;
  const std::filesystem::path path = file_->path();
  file_->RewriteWith(records_.size(), [&](std::size_t position) -> const Row& {
    records_[position]->values.UnpackInto(row);
    return row;
  });
  held_aside_ = false;
  file_ = formats::OpenTableFile(path);
}

void RecordStore::Sync() {
  if (WritesFile()) file_->Sync();
}

void RecordStore::HoldAppendsUntilSync() {
  if (file_) file_->HoldAppendsUntilSync();
}

}  // namespace veltra::db
