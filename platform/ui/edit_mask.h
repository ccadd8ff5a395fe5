#pragma once
// Edit masks in the form library's syntax "mask;save-literals;blank", as the
// rule tables store them (for example "000000;0;_" or ">LL-9999;1;_").
//
// Mask characters: L letter, A letter or digit, C any character, 0 digit
// (all four required); l, a, c, 9 their optional forms; # optional digit or
// sign; ':' '/' separators and '_' a blank, all three literal; > upper case
// and < lower case until the next switch, <> no case change; '!' puts the
// unfilled optional places of a short value first; '\' makes the next
// character literal. Save-literals "0" stores only the typed characters.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::ui {

class EditMask {
 public:
  EditMask() = default;
  explicit EditMask(std::string_view spec);

  bool empty() const { return slots_.empty(); }
  const std::string& spec() const { return spec_; }
  char32_t blank() const { return blank_; }
  bool saves_literals() const { return saves_literals_; }

  // Places of the display text, one per character.
  std::size_t length() const { return slots_.size(); }
  bool IsInput(std::size_t pos) const;

  // The character stored at input place `pos` for a typed one (case applied),
  // or nothing when the place refuses it.
  std::optional<char32_t> Accept(std::size_t pos, char32_t typed) const;

  // Display text of a stored value: literals in place, blanks where nothing
  // was entered.
  std::u32string Format(std::string_view stored_utf8) const;

  // The value to store for a display text; nothing when a required place is
  // left blank. A text with every input place blank stores the empty value.
  std::optional<std::string> Unformat(const std::u32string& display) const;

  // What the input places take, in the user's words, run by run:
  // "4位数字", "2位字母、至多3位数字".
  std::string Describe() const;

 private:
  enum class Accepts { Literal, Letter, LetterOrDigit, Any, Digit, DigitOrSign };
  enum class Case { Keep, Upper, Lower };
  struct Slot {
    Accepts accepts = Accepts::Literal;
    bool required = false;
    Case letter_case = Case::Keep;
    char32_t literal = 0;
  };

  std::string spec_;
  std::vector<Slot> slots_;
  bool saves_literals_ = true;
  bool blanks_lead_ = false;
  char32_t blank_ = U'_';
};

}  // namespace veltra::ui
