#pragma once
// What the operators of the dialect do to values: comparison in GBK byte
// order, arithmetic, LIKE, SUBSTRING, CAST. Null is an empty optional or a
// null Value; mixed types follow one rule: a text meets a number by being
// read as a number, and a text that is not one is a TypeMismatch error
// (never a silent false, which would hide a bad record from a rule).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sql/ast.h"
#include "platform/types/error.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::sql {

// The number a text spells ("12", " -3.5 ", "1e9"), or nullopt.
std::optional<double> TextToNumber(std::string_view text);

// Three-way comparison, nullopt when either side is null. Throws
// EngineError TypeMismatch for values that cannot be compared.
std::optional<int> CompareValues(const Value& a, const Value& b);

bool CompareResult(CompareOp op, int comparison);

// Total order for sorting, grouping and DISTINCT: null first, then
// booleans, numbers, dates, times, timestamps, texts (GBK order), bytes.
int SortCompare(const Value& a, const Value& b);

// Hash that agrees with SortCompare() == 0 (1 and 1.0 hash alike).
struct ValueHash {
  std::size_t operator()(const Value& value) const noexcept;
};
struct RowHash {
  std::size_t operator()(const std::vector<Value>& row) const noexcept;
};
struct RowEqual {
  bool operator()(const std::vector<Value>& a, const std::vector<Value>& b) const;
};

// A number operand of arithmetic or SUM; throws TypeMismatch otherwise.
double ToNumber(const Value& value);

// + - * / on numbers; null in, null out; x/0 is null.
Value Arithmetic(ArithmeticOp op, const Value& a, const Value& b);

// || joins the texts of both sides; a null side adds nothing.
Value Concat(const Value& a, const Value& b);

// A LIKE pattern compiled once: % any run of characters, _ one character
// (a Chinese character is one character, not two bytes).
class LikePattern {
 public:
  explicit LikePattern(std::string_view pattern);
  bool Matches(std::string_view text) const;

 private:
  struct Item {
    enum class Kind { Char, AnyOne, AnyRun };
    Kind kind;
    char32_t code_point;
  };
  std::vector<Item> items_;
};

// SUBSTRING(text FROM start FOR length) in characters; length nullopt: to the end.
Value Substring(const Value& text, const Value& start, const std::optional<Value>& length);

Value UpperAscii(const Value& value);
Value LowerAscii(const Value& value);
Value TrimBlanks(const Value& value);

// The value converted to `type` (CAST, and values written into a field).
// For String a size > 0 cuts the text to that many GBK bytes. Throws
// TypeMismatch naming `target`'s table and field (empty for CAST) for
// impossible conversions, InvalidValue for a number out of range.
Value ConvertValue(const Value& value, FieldType type, int size, const ErrorSubject& target);

}  // namespace veltra::sql
