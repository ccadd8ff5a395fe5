#pragma once
// One field value in memory. Text is UTF-8; an empty text is null, as in
// the database engine the system was designed for.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/types/calendar.h"
#include "platform/types/number_text.h"

namespace veltra {

// Sixteen bytes: numbers, dates, booleans and text or bytes of up to 14
// bytes are held in place; longer text and bytes in a shared immutable
// box, so that the copies of a value in the record store, its indexes and
// query results share one string.
class Value {
 public:
  // Bytes: raw bytes of a binary field (blob, graphic, bytes), kept apart from text.
  enum class Kind : std::uint8_t { Null, Text, Float, Integer, Boolean, Date, Time, DateTime, Bytes };

  Value() = default;
  Value(const Value& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    Retain();
  }
  Value(Value&& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    other.raw_[kKindByte] = 0;
  }
  Value& operator=(const Value& other) noexcept {
    if (this != &other) {
      other.Retain();
      Release();
      std::memcpy(raw_, other.raw_, sizeof raw_);
    }
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    if (this != &other) {
      Release();
      std::memcpy(raw_, other.raw_, sizeof raw_);
      other.raw_[kKindByte] = 0;
    }
    return *this;
  }
  ~Value() { Release(); }

  static Value Null() { return Value(); }
  static Value Text(std::string_view utf8) { return Stored(Kind::Text, utf8); }  // "" gives null
  static Value Float(double v) { return Of(Kind::Float, v); }
  static Value Integer(std::int64_t v) { return Of(Kind::Integer, v); }
  static Value Boolean(bool v) { return Of(Kind::Boolean, v); }
  static Value FromDate(veltra::Date v) { return Of(Kind::Date, v); }
  static Value FromTime(veltra::Time v) { return Of(Kind::Time, v); }
  static Value FromDateTime(veltra::DateTime v) { return Of(Kind::DateTime, v); }
  static Value FromBytes(std::string_view raw) { return Stored(Kind::Bytes, raw); }  // empty gives null

  Kind kind() const { return static_cast<Kind>(raw_[kKindByte]); }
  bool is_null() const { return kind() == Kind::Null; }
  bool is_number() const { return kind() == Kind::Float || kind() == Kind::Integer; }

  // Accessors for the stored kind; calling the wrong one is a programming
  // error that throws std::bad_variant_access.
  std::string_view text() const { return Chars(Kind::Text); }
  double float_value() const { return Load<double>(Kind::Float); }
  std::int64_t integer() const { return Load<std::int64_t>(Kind::Integer); }
  bool boolean() const { return Load<bool>(Kind::Boolean); }
  veltra::Date date() const { return Load<veltra::Date>(Kind::Date); }
  veltra::Time time() const { return Load<veltra::Time>(Kind::Time); }
  veltra::DateTime date_time() const { return Load<veltra::DateTime>(Kind::DateTime); }
  std::string_view bytes() const { return Chars(Kind::Bytes); }

  // A number as double (Float or Integer); 0 for anything else.
  double AsDouble() const;
  // The value as the windows show it: numbers as FormatNumber writes them
  // (rounded to fit `width` when given), dates "YYYY-MM-DD", booleans
  // "True"/"False", null as "".
  std::string ToDisplayText(std::size_t width = kNoWidth) const;

  friend bool operator==(const Value& a, const Value& b);

  // What a store that packs values keeps of one that is not a text or
  // bytes longer than kSlotMax: eight bytes and a length, both zero but
  // for inline characters, and the kind. SetFromSlot makes the value again.
  static constexpr std::size_t kSlotMax = 8;
  std::uint64_t SlotBytes() const {
    std::uint64_t bytes;
    std::memcpy(&bytes, raw_, sizeof bytes);
    return bytes;
  }
  unsigned char SlotLength() const { return raw_[kLengthByte]; }
  void SetFromSlot(Kind kind, std::uint64_t bytes, unsigned char length) {
    Release();
    std::memset(raw_, 0, sizeof raw_);
    std::memcpy(raw_, &bytes, sizeof bytes);
    raw_[kLengthByte] = length;
    raw_[kKindByte] = static_cast<unsigned char>(kind);
  }

 private:
  // raw_: the payload (or a box pointer, or inline characters) from byte 0,
  // the inline length (kBoxed for a box) in byte 14, the kind in byte 15.
  static constexpr std::size_t kInlineMax = 14;
  static constexpr std::size_t kLengthByte = 14;
  static constexpr std::size_t kKindByte = 15;
  static constexpr unsigned char kBoxed = 0xFF;
  struct Box {
    std::atomic<std::uint32_t> references;
    std::uint32_t size;
    const char* chars() const { return reinterpret_cast<const char*>(this + 1); }
  };

  template <typename T>
  static Value Of(Kind kind, const T& payload) {
    Value v;
    std::memcpy(v.raw_, &payload, sizeof payload);
    v.raw_[kKindByte] = static_cast<unsigned char>(kind);
    return v;
  }
  static Value Stored(Kind kind, std::string_view chars);
  template <typename T>
  T Load(Kind kind) const {
    if (this->kind() != kind) throw std::bad_variant_access();
    T v;
    std::memcpy(&v, raw_, sizeof v);
    return v;
  }
  Box* box() const {
    Box* b;
    std::memcpy(&b, raw_, sizeof b);
    return b;
  }
  bool boxed() const {
    return (kind() == Kind::Text || kind() == Kind::Bytes) && raw_[kLengthByte] == kBoxed;
  }
  std::string_view Chars(Kind kind) const {
    if (this->kind() != kind) throw std::bad_variant_access();
    if (raw_[kLengthByte] != kBoxed) return {reinterpret_cast<const char*>(raw_), raw_[kLengthByte]};
    const Box* b = box();
    return {b->chars(), b->size};
  }
  void Retain() const {
    if (boxed()) box()->references.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() {
    if (boxed() && box()->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      Box* b = box();
      b->~Box();
      ::operator delete(b);
    }
    raw_[kKindByte] = 0;
  }

  alignas(8) unsigned char raw_[16] = {};
};

static_assert(sizeof(Value) == 16);


}  // namespace veltra
