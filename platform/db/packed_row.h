#pragma once
// A record's values as the store holds them: one block with a kind byte
// and an eight-byte slot per field, behind them the texts and bytes that
// do not fit a slot, kept as values so that long ones share their box.
// A survey table, mostly numbers, takes about half the memory of a row of
// values; a field is read where it lies, without unpacking the rest.
// Internal to the table engine.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/types/value.h"

namespace veltra::db {

using Row = std::vector<Value>;

class PackedRow {
 public:
  PackedRow() = default;
  explicit PackedRow(const Row& values) { Pack(values, nullptr); }
  // Takes the values over, without copying their long texts.
  explicit PackedRow(Row&& values) { Pack(values, &values); }
  PackedRow(PackedRow&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  PackedRow& operator=(PackedRow&& other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  PackedRow(const PackedRow&) = delete;
  PackedRow& operator=(const PackedRow&) = delete;
  ~PackedRow();

  std::size_t size() const;
  bool IsNull(std::size_t field) const;
  // The value of `field`: the one stored, or `scratch` decoded from its slot.
  const Value& At(std::size_t field, Value& scratch) const;
  Value Get(std::size_t field) const {
    Value scratch;
    return At(field, scratch);
  }
  // Every field, or only `fields` (the others are left as they were), into
  // `row` sized to the record.
  void UnpackInto(Row& row, const std::vector<std::size_t>* fields = nullptr) const;
  Row Unpack() const;
  // Sets one field: in its slot when the old and the new value both fit
  // one, else by packing the record again.
  void Set(std::size_t field, Value value);
  // Sets the fields marked in `fields` to those of `values`, taken over:
  // in their slots, or by packing the record once when a text spills.
  void SetFields(Row& values, const std::vector<bool>& fields);

 private:
  // Long texts are moved out of `owner` (the same row) when it is given.
  void Pack(const Row& values, Row* owner);
  unsigned char* block_ = nullptr;
};

}  // namespace veltra::db
