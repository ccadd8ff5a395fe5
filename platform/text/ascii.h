#pragma once
// Case folding of ASCII letters only: names and keywords are matched
// case-insensitively, Chinese text is left as it is.
#include <string>
#include <string_view>

namespace veltra::text {

constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// True when every byte is below 0x80: such text is the same in UTF-8 and
// in the code pages of the table files.
bool IsAscii(std::string_view s);

std::string ToAsciiUpper(std::string_view s);
std::string ToAsciiLower(std::string_view s);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
int CompareIgnoreAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreAsciiCase(std::string_view s, std::string_view prefix);
bool EndsWithIgnoreAsciiCase(std::string_view s, std::string_view suffix);

// Hash that agrees with EqualsIgnoreAsciiCase, for name lookup tables.
struct AsciiCaseInsensitiveHash {
  std::size_t operator()(std::string_view s) const noexcept;
};
struct AsciiCaseInsensitiveEqual {
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return EqualsIgnoreAsciiCase(a, b);
  }
};

}  // namespace veltra::text
