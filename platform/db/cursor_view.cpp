#include "platform/db/cursor_view.h"

#include <algorithm>

#include "platform/db/value_order.h"

namespace veltra::db {

void CursorView::Rebuild(const RecordStore& store, CursorSpec spec) {
  spec_ = std::move(spec);
  records_.clear();
  version_ = store.version();
  // A filter, or a range the order does not lead with, reads every record.
  if (spec_.filter || (!spec_.range_fields.empty() && !spec_.range_on_order)) store.LoadAll();
  auto take = [&](StoredRecord* record) {
    if (Matches(*record)) records_.push_back(record);
  };
  if (!spec_.order) {
    records_.reserve(store.size());
    for (std::size_t i = 0; i < store.size(); ++i) take(store.at(i).get());
    return;
  }
  const auto& ordered = spec_.order->ordered();
  std::size_t first = 0;
  std::size_t last = ordered.size();
  if (spec_.range_on_order) {
    first = spec_.order->LowerBound(spec_.range_key, spec_.range_fields.size());
    last = spec_.order->UpperBound(spec_.range_key, spec_.range_fields.size());
  }
  records_.reserve(last - first);
  for (std::size_t i = first; i < last; ++i) take(ordered[i]);
}

bool CursorView::Matches(const StoredRecord& record) const {
  const PackedRow& values = record.values;
  if (spec_.range_on_order) {
    if (spec_.order->CompareKeys(values, spec_.range_key, spec_.range_fields.size()) != 0) return false;
  } else {
    Value scratch;
    for (int field : spec_.range_fields) {
      if (CompareValues(values.At(field, scratch), spec_.range_key[field], false) != 0) return false;
    }
  }
  if (!spec_.filter) return true;
  values.UnpackInto(filtered_);
  return spec_.filter->Evaluate(filtered_) == sql::Truth::True;
}

bool CursorView::Before(const StoredRecord& a, const StoredRecord& b) const {
  return spec_.order ? spec_.order->Less(a, b) : a.serial < b.serial;
}

std::size_t CursorView::LowerBound(const StoredRecord& record) const {
  const auto it = std::lower_bound(records_.begin(), records_.end(), &record,
                                   [&](const StoredRecord* a, const StoredRecord* b) { return Before(*a, *b); });
  return static_cast<std::size_t>(it - records_.begin());
}

bool CursorView::InPlace(std::size_t index) const {
  const StoredRecord& record = *records_[index];
  return (index == 0 || Before(*records_[index - 1], record)) &&
         (index + 1 == records_.size() || Before(record, *records_[index + 1]));
}

void CursorView::Erase(std::size_t index) {
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::size_t CursorView::InsertSorted(StoredRecord* record) {
  const std::size_t index = LowerBound(*record);
  records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(index), record);
  return index;
}

}  // namespace veltra::db
