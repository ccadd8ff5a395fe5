#pragma once
// One field value in memory. Text is UTF-8; an empty text is null, as in
// the database engine the system was designed for.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/types/calendar.h"

namespace veltra {

// Raw bytes of a binary field (blob, graphic, bytes), kept apart from text.
struct Bytes {
  std::string data;
  friend bool operator==(const Bytes&, const Bytes&) = default;
};

class Value {
 public:
  enum class Kind : std::uint8_t { Null, Text, Float, Integer, Boolean, Date, Time, DateTime, Bytes };

  Value() = default;
  static Value Null() { return Value(); }
  static Value Text(std::string utf8);  // "" gives null
  static Value Float(double v) { return Value(Storage(v)); }
  static Value Integer(std::int64_t v) { return Value(Storage(v)); }
  static Value Boolean(bool v) { return Value(Storage(v)); }
  static Value FromDate(veltra::Date v) { return Value(Storage(v)); }
  static Value FromTime(veltra::Time v) { return Value(Storage(v)); }
  static Value FromDateTime(veltra::DateTime v) { return Value(Storage(v)); }
  static Value FromBytes(std::string raw);  // empty gives null

  Kind kind() const { return static_cast<Kind>(storage_.index()); }
  bool is_null() const { return kind() == Kind::Null; }
  bool is_number() const { return kind() == Kind::Float || kind() == Kind::Integer; }

  // Accessors for the stored kind; calling the wrong one is a programming error.
  const std::string& text() const { return std::get<std::string>(storage_); }
  double float_value() const { return std::get<double>(storage_); }
  std::int64_t integer() const { return std::get<std::int64_t>(storage_); }
  bool boolean() const { return std::get<bool>(storage_); }
  veltra::Date date() const { return std::get<veltra::Date>(storage_); }
  veltra::Time time() const { return std::get<veltra::Time>(storage_); }
  veltra::DateTime date_time() const { return std::get<veltra::DateTime>(storage_); }
  const std::string& bytes() const { return std::get<veltra::Bytes>(storage_).data; }

  // A number as double (Float or Integer); 0 for anything else.
  double AsDouble() const;
  // The value as the windows show it: numbers without trailing zeros,
  // dates "YYYY-MM-DD", booleans "True"/"False", null as "".
  std::string ToDisplayText() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  using Storage = std::variant<std::monostate, std::string, double, std::int64_t, bool,
                               veltra::Date, veltra::Time, veltra::DateTime, veltra::Bytes>;
  explicit Value(Storage s) : storage_(std::move(s)) {}
  Storage storage_;
};

// Shortest text that reads back as the same double ("1", "2.5", "1e+20").
std::string FormatNumber(double v);

}  // namespace veltra
