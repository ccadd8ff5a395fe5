#pragma once
// Code page 936 (GBK): the encoding of every table on disk and of every
// field size. Text in memory is UTF-8; these functions bridge the two and
// give GBK's byte lengths and byte order without converting whole strings.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace veltra::text {

// Raised for bytes that are not GBK or characters that GBK cannot hold;
// the message names the character or byte and its position.
class TextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kGbkCodePage = 936;

// The texts of TextError for every code page: which character or byte,
// where (counted from 1 in the message, given here from 0), which code page.
std::string CannotEncodeMessage(std::string_view character, char32_t code_point, std::size_t index, int code_page);
std::string CannotDecodeMessage(unsigned char byte, std::size_t offset, int code_page);

// UTF-8 -> GBK. Throws TextError naming the first character GBK cannot
// encode and its character position (0-based).
std::string Utf8ToGbk(std::string_view utf8);
// The GBK bytes of TruncateToGbkBytes(utf8, max_bytes), in one pass.
std::string Utf8ToGbkTruncated(std::string_view utf8, std::size_t max_bytes);
// The same written to `out`, which has room for max_bytes (or the UTF-8
// length, when shorter); returns how many were written. On a throw `out`
// holds a part of them.
std::size_t Utf8ToGbkTruncatedInto(std::string_view utf8, std::size_t max_bytes, char* out);

// GBK -> UTF-8. Throws TextError naming the first undecodable byte offset.
std::string GbkToUtf8(std::string_view gbk);
// The same appended to `out`, so that a caller decoding many values reuses
// one buffer; `out` is left as it was when it throws.
void AppendGbkAsUtf8(std::string_view gbk, std::string& out);

// True when every character of `utf8` has a GBK encoding.
bool IsGbkEncodable(std::string_view utf8);

// Number of bytes `utf8` takes in GBK. A character GBK cannot hold counts
// as two bytes (it is refused when written).
std::size_t GbkLength(std::string_view utf8);

// Longest prefix of `utf8` whose GBK form fits in `max_bytes`, never cut
// inside a character.
std::string_view TruncateToGbkBytes(std::string_view utf8, std::size_t max_bytes);

// Three-way comparison of two UTF-8 strings in GBK byte order (the
// collation of every string comparison and ORDER BY). Characters that GBK
// cannot hold sort after all that it can.
int CompareGbk(std::string_view a, std::string_view b);

// The same with ASCII letters compared as upper case.
int CompareGbkIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace veltra::text
