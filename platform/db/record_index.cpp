#include <algorithm>

#include "platform/db/record_store.h"
#include "platform/db/value_order.h"
#include "platform/types/error.h"

namespace veltra::db {

RecordIndex::RecordIndex(IndexDef def, const RecordStore& store) : def_(std::move(def)), store_(store) {
  const FieldDefs& fields = store.fields();
  const std::string& table = store.name();
  for (const std::string& name : SplitFieldList(def_.fields)) {
    const int position = FindField(fields, name);
    if (position < 0) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        table + ": index " + def_.name + " names field " + name +
                            ", which the table does not have");
    }
    key_fields_.push_back(position);
  }
  if (key_fields_.empty()) {
    throw EngineError(EngineError::Kind::NoSuchIndex,
                      table + ": index " + def_.name + " has no fields");
  }
}

namespace {

const Value& FieldOf(const Row& row, std::size_t field, Value& /*scratch*/) { return row[field]; }
const Value& FieldOf(const PackedRow& row, std::size_t field, Value& scratch) { return row.At(field, scratch); }

}  // namespace

template <typename A, typename B>
int RecordIndex::CompareKeysOf(const A& a, const B& b, std::size_t count) const {
  count = std::min(count, key_fields_.size());
  Value scratch_a, scratch_b;
  for (std::size_t i = 0; i < count; ++i) {
    const auto field = static_cast<std::size_t>(key_fields_[i]);
    int order = CompareValues(FieldOf(a, field, scratch_a), FieldOf(b, field, scratch_b), def_.case_insensitive);
    if (order != 0) return def_.descending ? -order : order;
  }
  return 0;
}

int RecordIndex::CompareKeys(const Row& a, const Row& b, std::size_t count) const {
  return CompareKeysOf(a, b, count);
}

int RecordIndex::CompareKeys(const PackedRow& a, const Row& b, std::size_t count) const {
  return CompareKeysOf(a, b, count);
}

int RecordIndex::CompareKeys(const PackedRow& a, const PackedRow& b, std::size_t count) const {
  return CompareKeysOf(a, b, count);
}

bool RecordIndex::Less(const StoredRecord& a, const StoredRecord& b) const {
  const int order = CompareKeys(a.values, b.values, key_fields_.size());
  return order != 0 ? order < 0 : a.serial < b.serial;
}

std::size_t RecordIndex::LowerBound(const Row& key, std::size_t count) const {
  Sort();
  const auto it = std::lower_bound(ordered_.begin(), ordered_.end(), &key,
                                   [&](const StoredRecord* record, const Row* k) {
                                     return CompareKeys(record->values, *k, count) < 0;
                                   });
  return static_cast<std::size_t>(it - ordered_.begin());
}

std::size_t RecordIndex::UpperBound(const Row& key, std::size_t count) const {
  Sort();
  const auto it = std::upper_bound(ordered_.begin(), ordered_.end(), &key,
                                   [&](const Row* k, const StoredRecord* record) {
                                     return CompareKeys(record->values, *k, count) > 0;
                                   });
  return static_cast<std::size_t>(it - ordered_.begin());
}

const StoredRecord* RecordIndex::FindClash(const Row& values, const StoredRecord* self) const {
  if (!unique()) return nullptr;
  if (!def_.primary && std::all_of(key_fields_.begin(), key_fields_.end(),
                                   [&](int field) { return values[field].is_null(); })) {
    return nullptr;
  }
  const std::size_t count = key_fields_.size();
  for (std::size_t i = LowerBound(values, count);
       i < ordered_.size() && CompareKeys(ordered_[i]->values, values, count) == 0; ++i) {
    if (ordered_[i] != self) return ordered_[i];
  }
  return nullptr;
}

void RecordIndex::Reset() {
  ordered_.clear();
  sorted_ = false;
}

void RecordIndex::Sort() const {
  if (sorted_) return;
  store_.DecodeFields(key_fields_);
  ordered_.clear();
  ordered_.reserve(store_.size());
  for (std::size_t i = 0; i < store_.size(); ++i) ordered_.push_back(store_.at(i).get());
  // A table is mostly kept in the order of its key already.
  const auto less = [&](const StoredRecord* a, const StoredRecord* b) { return Less(*a, *b); };
  if (!std::is_sorted(ordered_.begin(), ordered_.end(), less)) std::stable_sort(ordered_.begin(), ordered_.end(), less);
  sorted_ = true;
}

std::size_t RecordIndex::PositionOf(const StoredRecord& record) const {
  Sort();
  const auto it = std::lower_bound(
      ordered_.begin(), ordered_.end(), &record,
      [&](const StoredRecord* a, const StoredRecord* b) { return Less(*a, *b); });
  return static_cast<std::size_t>(it - ordered_.begin());
}

void RecordIndex::Insert(StoredRecord* record) {
  ordered_.insert(ordered_.begin() + static_cast<std::ptrdiff_t>(PositionOf(*record)), record);
}

void RecordIndex::Erase(StoredRecord* record) {
  const std::size_t position = PositionOf(*record);
  if (position < ordered_.size() && ordered_[position] == record) {
    ordered_.erase(ordered_.begin() + static_cast<std::ptrdiff_t>(position));
  }
}

}  // namespace veltra::db
