#include "platform/ui/edit_mask.h"

#include "platform/text/utf8.h"

namespace veltra::ui {
namespace {

std::u32string ToCodePoints(std::string_view utf8) {
  std::u32string out;
  for (std::size_t pos = 0; pos < utf8.size();) out.push_back(text::NextCodePoint(utf8, pos));
  return out;
}

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }
bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
// Chinese characters count as letters, as they do for the form library.
bool IsLetter(char32_t c) { return IsAsciiLetter(c) || c >= 0x80; }

char32_t ApplyCase(char32_t c, bool upper, bool lower) {
  if (upper && c >= U'a' && c <= U'z') return c - U'a' + U'A';
  if (lower && c >= U'A' && c <= U'Z') return c - U'A' + U'a';
  return c;
}

}  // namespace

EditMask::EditMask(std::string_view spec) : spec_(spec) {
  const std::u32string chars = ToCodePoints(spec);
  Case letter_case = Case::Keep;
  std::size_t i = 0;
  for (; i < chars.size() && chars[i] != U';'; ++i) {
    const char32_t c = chars[i];
    Slot slot;
    switch (c) {
      case U'!': blanks_lead_ = true; continue;
      case U'>': letter_case = Case::Upper; continue;
      case U'<':
        if (i + 1 < chars.size() && chars[i + 1] == U'>') {
          ++i;
          letter_case = Case::Keep;
        } else {
          letter_case = Case::Lower;
        }
        continue;
      case U'\\':
        if (i + 1 < chars.size()) slot.literal = chars[++i];
        else continue;
        break;
      case U'L': slot = {Accepts::Letter, true}; break;
      case U'l': slot = {Accepts::Letter, false}; break;
      case U'A': slot = {Accepts::LetterOrDigit, true}; break;
      case U'a': slot = {Accepts::LetterOrDigit, false}; break;
      case U'C': slot = {Accepts::Any, true}; break;
      case U'c': slot = {Accepts::Any, false}; break;
      case U'0': slot = {Accepts::Digit, true}; break;
      case U'9': slot = {Accepts::Digit, false}; break;
      case U'#': slot = {Accepts::DigitOrSign, false}; break;
      case U'_': slot.literal = U' '; break;
      default: slot.literal = c; break;
    }
    slot.letter_case = letter_case;
    slots_.push_back(slot);
  }
  // Second field: "0" keeps literals out of the stored value.
  if (i < chars.size() && ++i < chars.size() && chars[i] != U';') {
    saves_literals_ = chars[i] != U'0';
    ++i;
  }
  // Third field: the character shown in places not yet filled.
  if (i < chars.size() && chars[i] == U';' && i + 1 < chars.size()) blank_ = chars[i + 1];
}

bool EditMask::IsInput(std::size_t pos) const {
  return pos < slots_.size() && slots_[pos].accepts != Accepts::Literal;
}

std::optional<char32_t> EditMask::Accept(std::size_t pos, char32_t typed) const {
  if (!IsInput(pos)) return std::nullopt;
  const Slot& slot = slots_[pos];
  bool ok = false;
  switch (slot.accepts) {
    case Accepts::Letter: ok = IsLetter(typed); break;
    case Accepts::LetterOrDigit: ok = IsLetter(typed) || IsDigit(typed); break;
    case Accepts::Any: ok = typed >= U' '; break;
    case Accepts::Digit: ok = IsDigit(typed); break;
    case Accepts::DigitOrSign: ok = IsDigit(typed) || typed == U'+' || typed == U'-'; break;
    case Accepts::Literal: break;
  }
  if (!ok) return std::nullopt;
  return ApplyCase(typed, slot.letter_case == Case::Upper, slot.letter_case == Case::Lower);
}

std::u32string EditMask::Format(std::string_view stored_utf8) const {
  const std::u32string stored = ToCodePoints(stored_utf8);
  std::u32string display;
  if (saves_literals_) {
    // The stored value holds the literals too: place by place.
    for (std::size_t pos = 0; pos < slots_.size(); ++pos) {
      if (!IsInput(pos)) display.push_back(slots_[pos].literal);
      else if (pos < stored.size() && stored[pos] != U' ') display.push_back(stored[pos]);
      else display.push_back(blank_);
    }
    return display;
  }
  std::size_t inputs = 0;
  for (std::size_t pos = 0; pos < slots_.size(); ++pos) inputs += IsInput(pos);
  // A short value fills the last input places when blanks lead.
  std::size_t skip = blanks_lead_ && stored.size() < inputs ? inputs - stored.size() : 0;
  std::size_t next = 0;
  for (std::size_t pos = 0; pos < slots_.size(); ++pos) {
    if (!IsInput(pos)) {
      display.push_back(slots_[pos].literal);
    } else if (skip > 0) {
      --skip;
      display.push_back(blank_);
    } else {
      const char32_t c = next < stored.size() ? stored[next++] : U' ';
      display.push_back(c == U' ' ? blank_ : c);
    }
  }
  return display;
}

std::optional<std::string> EditMask::Unformat(const std::u32string& display) const {
  std::string stored;
  bool any_entered = false;
  bool required_missing = false;
  for (std::size_t pos = 0; pos < slots_.size(); ++pos) {
    const char32_t c = pos < display.size() ? display[pos] : blank_;
    if (!IsInput(pos)) {
      if (saves_literals_) text::AppendUtf8(stored, slots_[pos].literal);
      continue;
    }
    const bool blank = c == blank_ || c == U' ';
    any_entered |= !blank;
    required_missing |= blank && slots_[pos].required;
    text::AppendUtf8(stored, blank ? U' ' : c);
  }
  if (!any_entered) return std::string();
  if (required_missing) return std::nullopt;
  stored.erase(stored.find_last_not_of(' ') + 1);
  return stored;
}

std::string EditMask::Describe() const {
  const auto word = [](Accepts accepts) {
    switch (accepts) {
      case Accepts::Letter: return "字母";
      case Accepts::LetterOrDigit: return "字母或数字";
      case Accepts::Any: return "字符";
      case Accepts::Digit: return "数字";
      case Accepts::DigitOrSign: return "数字或正负号";
      case Accepts::Literal: break;
    }
    return "";
  };
  std::string text;
  for (std::size_t at = 0; at < slots_.size();) {
    const Slot& slot = slots_[at];
    std::size_t run = 1;
    while (at + run < slots_.size() && slots_[at + run].accepts == slot.accepts &&
           slots_[at + run].required == slot.required) {
      ++run;
    }
    at += run;
    if (slot.accepts == Accepts::Literal) continue;
    if (!text.empty()) text += "、";
    text += (slot.required ? "" : "至多") + std::to_string(run) + "位" + word(slot.accepts);
  }
  return text;
}

}  // namespace veltra::ui
