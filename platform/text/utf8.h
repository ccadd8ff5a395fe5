#pragma once
// Walking UTF-8 text one code point at a time.
#include <cstddef>
#include <string>
#include <string_view>

namespace veltra::text {

constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

// Decodes the code point at `pos` and advances `pos` past it. A malformed
// sequence yields kInvalidCodePoint and advances by one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);

}  // namespace veltra::text
