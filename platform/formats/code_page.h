#pragma once
// The code page of a table file's text. We write GBK (code page 936);
// files from elsewhere may carry a one-byte Western code page (437, 850,
// 1252 ...), which is read and written in that code page, so that a change
// never converts a file or loses a character it holds.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/gbk.h"

namespace veltra::formats {

// Language driver byte of a dBase header that we write: code page 936, Chinese GBK (PRC).
constexpr std::uint8_t kLanguageDriverGbk = 0x4D;
constexpr int kCodePageGbk = text::kGbkCodePage;

class CodePage {
 public:
  static CodePage Gbk() { return CodePage(kCodePageGbk, nullptr); }
  // 936 is GBK; any other number a one-byte code page known to iconv.
  // Throws EngineError Unsupported for a code page that is neither.
  static CodePage ForNumber(int code_page);
  // dBase language driver byte: cp437 (0x01), cp850 (0x02), cp1252 (0x03,
  // 0x58); every other byte, "none" and "current Windows code page"
  // included, means GBK.
  static CodePage ForLanguageDriver(std::uint8_t language_driver);

  int number() const { return number_; }
  // The dBase language driver byte that names this code page.
  std::uint8_t LanguageDriver() const;

  // Throw text::TextError naming the byte or character, its position and
  // the code page.
  std::string Decode(std::string_view bytes) const;
  std::string Encode(std::string_view utf8) const;
  bool CanEncode(std::string_view utf8) const;
  // Encoded form cut to at most `max_bytes`, never inside a character.
  std::string EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const;

  struct SingleByteTable;  // opaque; defined in the source

 private:
  CodePage(int number, const SingleByteTable* table) : number_(number), single_byte_(table) {}
  int number_;
  const SingleByteTable* single_byte_;  // null: GBK
};

}  // namespace veltra::formats
