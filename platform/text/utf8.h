#pragma once
// Walking UTF-8 text one code point at a time.
#include <cstddef>
#include <string>
#include <string_view>

namespace veltra::text {

constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

// Decodes the code point at `pos` and advances `pos` past it. A malformed
// sequence yields kInvalidCodePoint and advances by one byte. Inline: every
// GBK conversion and check walks text with it, character by character.
inline char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int extra;
  char32_t cp;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    ++pos;
    return kInvalidCodePoint;
  }
  if (pos + extra >= s.size()) {
    ++pos;
    return kInvalidCodePoint;
  }
  for (int i = 1; i <= extra; ++i) {
    const unsigned char c = byte(pos + i);
    if ((c & 0xC0) != 0x80) {
      ++pos;
      return kInvalidCodePoint;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kInvalidCodePoint;
  }
  pos += extra + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp);

// `s` with each byte that is not part of valid UTF-8 written as \xHH, so
// that raw bytes from a damaged file can be shown.
std::string EscapeInvalidUtf8(std::string_view s);

}  // namespace veltra::text
