#include "platform/db/packed_row.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace veltra::db {
namespace {

// The block: this header, a kind byte per field (padded to eight bytes),
// a slot per field, then the values that spilled out of their slot.
struct Header {
  std::uint32_t fields;
  std::uint32_t spilled;
};

// A kind byte: the value's kind in the low half; for text and bytes the
// length held in the slot in the high half, or kSpilled when the slot
// holds the index of a spilled value.
constexpr unsigned char kSpilled = 0xF;
constexpr std::size_t kSlot = sizeof(std::uint64_t);

std::size_t KindsSize(std::size_t fields) { return (fields + kSlot - 1) / kSlot * kSlot; }

bool HasChars(Value::Kind kind) { return kind == Value::Kind::Text || kind == Value::Kind::Bytes; }

std::string_view CharsOf(const Value& value) {
  return value.kind() == Value::Kind::Text ? value.text() : value.bytes();
}

bool Spills(const Value& value) { return HasChars(value.kind()) && CharsOf(value).size() > Value::kSlotMax; }

template <typename T>
void Put(unsigned char* slot, const T& payload) {
  static_assert(sizeof(T) <= kSlot);
  std::memcpy(slot, &payload, sizeof payload);
}

template <typename T>
T Take(const unsigned char* slot) {
  T payload;
  std::memcpy(&payload, slot, sizeof payload);
  return payload;
}

// Writes a value that does not spill into its slot; its kind byte.
unsigned char PutInSlot(const Value& value, unsigned char* slot) {
  Put(slot, value.SlotBytes());
  return static_cast<unsigned char>(static_cast<unsigned char>(value.kind()) | (value.SlotLength() << 4));
}

}  // namespace

void PackedRow::Pack(const Row& values, Row* owner) {
  std::uint32_t spilled = 0;
  for (const Value& value : values) spilled += Spills(value) ? 1 : 0;
  const std::size_t fields = values.size();
  const std::size_t slots_at = sizeof(Header) + KindsSize(fields);
  const std::size_t spilled_at = slots_at + fields * kSlot;
  block_ = static_cast<unsigned char*>(::operator new(spilled_at + spilled * sizeof(Value)));
  new (block_) Header{static_cast<std::uint32_t>(fields), spilled};
  unsigned char* kinds = block_ + sizeof(Header);
  unsigned char* slots = block_ + slots_at;
  Value* spills = reinterpret_cast<Value*>(block_ + spilled_at);
  std::uint32_t next_spill = 0;
  for (std::size_t f = 0; f < fields; ++f) {
    const Value& value = values[f];
    unsigned char* slot = slots + f * kSlot;
    if (!Spills(value)) {
      kinds[f] = PutInSlot(value, slot);
      continue;
    }
    kinds[f] = static_cast<unsigned char>(static_cast<unsigned char>(value.kind()) | (kSpilled << 4));
    if (owner) {
      new (spills + next_spill) Value(std::move((*owner)[f]));
    } else {
      new (spills + next_spill) Value(value);
    }
    Put(slot, next_spill++);
  }
}

PackedRow::~PackedRow() {
  if (!block_) return;
  const Header& header = *reinterpret_cast<const Header*>(block_);
  Value* spills = reinterpret_cast<Value*>(block_ + sizeof(Header) + KindsSize(header.fields) + header.fields * kSlot);
  for (std::uint32_t i = 0; i < header.spilled; ++i) spills[i].~Value();
  ::operator delete(block_);
}

std::size_t PackedRow::size() const { return block_ ? reinterpret_cast<const Header*>(block_)->fields : 0; }

bool PackedRow::IsNull(std::size_t field) const {
  return static_cast<Value::Kind>(block_[sizeof(Header) + field] & 0xF) == Value::Kind::Null;
}

const Value& PackedRow::At(std::size_t field, Value& scratch) const {
  const std::size_t fields = size();
  const unsigned char code = block_[sizeof(Header) + field];
  const auto kind = static_cast<Value::Kind>(code & 0xF);
  const unsigned char length = code >> 4;
  const unsigned char* slot = block_ + sizeof(Header) + KindsSize(fields) + field * kSlot;
  if (length == kSpilled) {
    const Value* spills = reinterpret_cast<const Value*>(slot - field * kSlot + fields * kSlot);
    return spills[Take<std::uint32_t>(slot)];
  }
  scratch.SetFromSlot(kind, Take<std::uint64_t>(slot), length);
  return scratch;
}

void PackedRow::UnpackInto(Row& row, const std::vector<std::size_t>* fields) const {
  const std::size_t count = size();
  row.resize(count);
  const auto unpack = [&](std::size_t f) {
    const Value& value = At(f, row[f]);
    if (&value != &row[f]) row[f] = value;
  };
  if (fields) {
    for (std::size_t f : *fields) unpack(f);
  } else {
    for (std::size_t f = 0; f < count; ++f) unpack(f);
  }
}

void PackedRow::Set(std::size_t field, Value value) {
  const unsigned char code = block_[sizeof(Header) + field];
  if ((code >> 4) == kSpilled || Spills(value)) {
    Row row = Unpack();
    row[field] = std::move(value);
    *this = PackedRow(std::move(row));
    return;
  }
  block_[sizeof(Header) + field] = PutInSlot(value, block_ + sizeof(Header) + KindsSize(size()) + field * kSlot);
}

void PackedRow::SetFields(Row& values, const std::vector<bool>& fields) {
  const std::size_t count = std::min(size(), std::min(values.size(), fields.size()));
  bool repack = false;
  for (std::size_t f = 0; f < count && !repack; ++f) {
    repack = fields[f] && ((block_[sizeof(Header) + f] >> 4) == kSpilled || Spills(values[f]));
  }
  if (repack) {
    Row row = Unpack();
    for (std::size_t f = 0; f < count; ++f) {
      if (fields[f]) row[f] = std::move(values[f]);
    }
    *this = PackedRow(std::move(row));
    return;
  }
  unsigned char* slots = block_ + sizeof(Header) + KindsSize(size());
  for (std::size_t f = 0; f < count; ++f) {
    if (fields[f]) block_[sizeof(Header) + f] = PutInSlot(values[f], slots + f * kSlot);
  }
}

Row PackedRow::Unpack() const {
  Row row;
  UnpackInto(row);
  return row;
}

}  // namespace veltra::db
