#include "platform/text/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace veltra::text {
namespace {

// Both directions of code page 936 as lookup tables, filled once from
// glibc's iconv so that per-value conversion is a table walk.
struct Cp936Tables {
  // BMP code point -> GBK code: < 0x100 one byte, else two bytes (lead<<8|trail); 0 = none.
  std::array<std::uint16_t, 0x10000> encode{};
  // GBK code (lead<<8|trail, or the single byte) -> its UTF-8 bytes in
  // the low three bytes and their number in the top one; 0 = undefined.
  std::array<std::uint32_t, 0x10000> decode{};
};

// The UTF-8 form of a BMP code point packed as Cp936Tables::decode holds it.
std::uint32_t PackedUtf8(char32_t cp) {
  std::string bytes;
  AppendUtf8(bytes, cp);
  std::uint32_t packed = static_cast<std::uint32_t>(bytes.size()) << 24;
  for (std::size_t i = 0; i < bytes.size(); ++i) packed |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
  return packed;
}

char32_t DecodeWithIconv(iconv_t cd, const char* bytes, std::size_t length) {
  char in[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
  char out[8];
  char* in_ptr = in;
  char* out_ptr = out;
  std::size_t in_left = length;
  std::size_t out_left = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
      in_left != 0 || out_left != sizeof out - 4) {
    return 0;
  }
  const auto* u = reinterpret_cast<unsigned char*>(out);
  return static_cast<char32_t>(u[0] | (u[1] << 8) | (u[2] << 16) | (u[3] << 24));
}

std::unique_ptr<Cp936Tables> BuildTables() {
  auto tables = std::make_unique<Cp936Tables>();
  iconv_t cd = iconv_open("UTF-32LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw TextError("the system's iconv has no CP936 (GBK) converter");
  }
  const auto record = [&](std::uint16_t code, char32_t cp) {
    if (cp == 0 || cp > 0xFFFF) return;
    tables->decode[code] = PackedUtf8(cp);
    if (tables->encode[cp] == 0) tables->encode[cp] = code;
  };
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    record(static_cast<std::uint16_t>(b), DecodeWithIconv(cd, &byte, 1));
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      record(static_cast<std::uint16_t>(lead << 8 | trail), DecodeWithIconv(cd, pair, 2));
    }
  }
  iconv_close(cd);
  return tables;
}

const Cp936Tables& Tables() {
  static const std::unique_ptr<Cp936Tables> tables = BuildTables();
  return *tables;
}

// GBK code of a non-ASCII code point; 0 when GBK cannot hold it.
std::uint16_t EncodeCodePoint(const Cp936Tables& t, char32_t cp) {
  return cp <= 0xFFFF ? t.encode[cp] : 0;
}

std::string Hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

std::string InvalidUtf8Message(std::string_view utf8, std::size_t offset) {
  return "第" + std::to_string(offset + 1) + "个字节0x" + Hex(static_cast<unsigned char>(utf8[offset]), 2) +
         "不是有效的文字编码";
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) { return Utf8ToGbkTruncated(utf8, std::string_view::npos); }

std::string Utf8ToGbkTruncated(std::string_view utf8, std::size_t max_bytes) {
  // No character is longer in GBK than in UTF-8: the bytes go straight into
  // a buffer of the UTF-8 length, cut to what was written at the end.
  std::string out(std::min(utf8.size(), max_bytes), '\0');
  out.resize(Utf8ToGbkTruncatedInto(utf8, max_bytes, out.data()));
  return out;
}

std::size_t Utf8ToGbkTruncatedInto(std::string_view utf8, std::size_t max_bytes, char* out) {
  char* const limit = out + std::min(utf8.size(), max_bytes);
  char* end = out;
  const Cp936Tables& t = Tables();
  std::size_t index = 0;
  for (std::size_t pos = 0; pos < utf8.size(); ++index) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {  // the same byte in both
      if (end == limit) break;
      *end++ = static_cast<char>(lead);
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    const char32_t cp = NextCodePoint(utf8, pos);
    const std::uint16_t code = cp == kInvalidCodePoint ? 0 : EncodeCodePoint(t, cp);
    // A character GBK cannot hold counts as two bytes, as in TruncateToGbkBytes.
    if (limit - end < (code != 0 && code <= 0xFF ? 1 : 2)) break;
    if (cp == kInvalidCodePoint) throw TextError(InvalidUtf8Message(utf8, start));
    if (code == 0) {
      throw TextError(CannotEncodeMessage(utf8.substr(start, pos - start), cp, index, kGbkCodePage));
    }
    if (code > 0xFF) *end++ = static_cast<char>(code >> 8);
    *end++ = static_cast<char>(code & 0xFF);
  }
  return static_cast<std::size_t>(end - out);
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  AppendGbkAsUtf8(gbk, out);
  return out;
}

void AppendGbkAsUtf8(std::string_view gbk, std::string& out) {
  const Cp936Tables& t = Tables();
  const std::size_t start = out.size();
  // No GBK byte gives more than three UTF-8 bytes; one spare byte lets
  // every character be stored as four and the cursor moved by its length.
  out.resize(start + gbk.size() * 3 + 1);
  char* cursor = out.data() + start;
  for (std::size_t pos = 0; pos < gbk.size();) {
    const auto lead = static_cast<unsigned char>(gbk[pos]);
    if (lead < 0x80) {
      *cursor++ = static_cast<char>(lead);
      ++pos;
      continue;
    }
    std::uint32_t packed = t.decode[lead];
    std::size_t width = 1;
    if (packed == 0 && pos + 1 < gbk.size()) {
      packed = t.decode[lead << 8 | static_cast<unsigned char>(gbk[pos + 1])];
      width = 2;
    }
    if (packed == 0) {
      out.resize(start);
      throw TextError(CannotDecodeMessage(lead, pos, kGbkCodePage));
    }
    static_assert(std::endian::native == std::endian::little, "the UTF-8 bytes are stored first");
    std::memcpy(cursor, &packed, sizeof packed);
    cursor += packed >> 24;
    pos += width;
  }
  out.resize(static_cast<std::size_t>(cursor - out.data()));
}

bool IsGbkEncodable(std::string_view utf8) {
  const Cp936Tables& t = Tables();
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, pos);
    if (cp == kInvalidCodePoint || (cp >= 0x80 && EncodeCodePoint(t, cp) == 0)) return false;
  }
  return true;
}

namespace {

std::size_t EncodedWidth(const Cp936Tables& t, char32_t cp) {
  if (cp < 0x80) return 1;
  const std::uint16_t code = cp == kInvalidCodePoint ? 0 : EncodeCodePoint(t, cp);
  return code != 0 && code <= 0xFF ? 1 : 2;
}

}  // namespace

std::size_t GbkLength(std::string_view utf8) {
  const Cp936Tables& t = Tables();
  std::size_t length = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
      ++length;
      ++pos;
      continue;
    }
    length += EncodedWidth(t, NextCodePoint(utf8, pos));
  }
  return length;
}

std::string CannotEncodeMessage(std::string_view character, char32_t code_point, std::size_t index, int code_page) {
  return "字符“" + std::string(character) + "”（U+" + Hex(static_cast<unsigned>(code_point), 4) + "，第" +
         std::to_string(index + 1) + "个字符）无法用代码页" + std::to_string(code_page) + "存储";
}

std::string CannotDecodeMessage(unsigned char byte, std::size_t offset, int code_page) {
  return "第" + std::to_string(offset + 1) + "个字节0x" + Hex(byte, 2) + "不是代码页" + std::to_string(code_page) + "中的字符";
}

std::string_view TruncateToGbkBytes(std::string_view utf8, std::size_t max_bytes) {
  // No character is longer in GBK than in UTF-8, so a short enough UTF-8 text fits.
  if (utf8.size() <= max_bytes) return utf8;
  const Cp936Tables& t = Tables();
  std::size_t length = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t next = pos;
    const std::size_t width = EncodedWidth(t, NextCodePoint(utf8, next));
    if (length + width > max_bytes) break;
    length += width;
    pos = next;
  }
  return utf8.substr(0, pos);
}

namespace {

// Yields the GBK bytes of a UTF-8 string one at a time, ASCII letters
// upper-cased when asked (GBK holds ASCII as itself).
class GbkByteStream {
 public:
  GbkByteStream(const Cp936Tables& t, std::string_view s, bool fold_ascii)
      : t_(t), s_(s), fold_ascii_(fold_ascii) {}

  // Next byte, or -1 at the end.
  int Next() {
    if (pending_ >= 0) {
      const int b = pending_;
      pending_ = -1;
      return b;
    }
    if (pos_ >= s_.size()) return -1;
    const char c = s_[pos_];
    if (static_cast<unsigned char>(c) < 0x80) {
      ++pos_;
      return static_cast<unsigned char>(fold_ascii_ ? AsciiUpper(c) : c);
    }
    const char32_t cp = NextCodePoint(s_, pos_);
    std::uint16_t code = cp == kInvalidCodePoint ? 0 : EncodeCodePoint(t_, cp);
    if (code == 0) code = 0xFFFF;  // after every real GBK code
    if (code <= 0xFF) return code;
    pending_ = code & 0xFF;
    return code >> 8;
  }

 private:
  const Cp936Tables& t_;
  std::string_view s_;
  bool fold_ascii_;
  std::size_t pos_ = 0;
  int pending_ = -1;
};

// Equal UTF-8 bytes (ASCII letters folded when asked) are equal characters,
// whose GBK bytes are equal too: only the rest from the character where
// they part needs a lookup. Walks the strings in place: an index build
// compares every record's key many times.
int CompareGbkBytes(std::string_view a, std::string_view b, bool fold_ascii) {
  const auto fold = [fold_ascii](char c) { return fold_ascii ? AsciiUpper(c) : c; };
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (i < n && (a[i] == b[i] || (fold_ascii && AsciiUpper(a[i]) == AsciiUpper(b[i])))) ++i;
  if (i == n) return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  const auto continues = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  while (i > 0 && (continues(a[i]) || continues(b[i]))) --i;  // back to the character's first byte
  const auto x = static_cast<unsigned char>(fold(a[i]));
  const auto y = static_cast<unsigned char>(fold(b[i]));
  if (x < 0x80 && y < 0x80) return x < y ? -1 : 1;

  const Cp936Tables& t = Tables();
  GbkByteStream left(t, a.substr(i), fold_ascii);
  GbkByteStream right(t, b.substr(i), fold_ascii);
  for (;;) {
    const int l = left.Next();
    const int r = right.Next();
    if (l != r) return l < r ? -1 : 1;
    if (l < 0) return 0;
  }
}

}  // namespace

int CompareGbk(std::string_view a, std::string_view b) { return CompareGbkBytes(a, b, false); }

int CompareGbkIgnoringAsciiCase(std::string_view a, std::string_view b) { return CompareGbkBytes(a, b, true); }

}  // namespace veltra::text
