#pragma once
// The records a cursor shows, in its order: all of the store's or the
// range of a master link, passing the filter. Internal to the table engine.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/db/record_store.h"
#include "platform/sql/condition.h"

namespace veltra::db {

struct CursorSpec {
  const RecordIndex* order = nullptr;  // null: file order
  // Only records whose `range_fields` equal those of `range_key`.
  std::vector<int> range_fields;
  Row range_key;
  // The range fields are the order's leading key fields, so the range is
  // found by search instead of a scan.
  bool range_on_order = false;
  const sql::CompiledCondition* filter = nullptr;
};

class CursorView {
 public:
  void Rebuild(const RecordStore& store, CursorSpec spec);

  std::size_t size() const { return records_.size(); }
  StoredRecord* at(std::size_t index) const { return records_[index]; }
  std::uint64_t version() const { return version_; }
  void set_version(std::uint64_t version) { version_ = version; }

  bool Matches(const StoredRecord& record) const;
  // Where a record with these values stands or would stand.
  std::size_t LowerBound(const StoredRecord& record) const;
  // The record at `index` still sorts between its neighbours.
  bool InPlace(std::size_t index) const;
  void Erase(std::size_t index);
  std::size_t InsertSorted(StoredRecord* record);

 private:
  bool Before(const StoredRecord& a, const StoredRecord& b) const;
  CursorSpec spec_;
  mutable Row filtered_;  // the record a filter is evaluated on
  std::vector<StoredRecord*> records_;
  std::uint64_t version_ = 0;
};

}  // namespace veltra::db
