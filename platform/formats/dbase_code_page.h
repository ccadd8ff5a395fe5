#pragma once
// The code page of a dBase file's text, chosen by the language driver byte
// of its header. We write GBK (code page 936) only; files from elsewhere
// may carry a Western code page, which is read and written through iconv.
#include <cstdint>
#include <string>
#include <string_view>

namespace veltra::formats {

// Language driver byte that we write: code page 936, Chinese GBK (PRC).
constexpr std::uint8_t kLanguageDriverGbk = 0x4D;

class DBaseCodePage {
 public:
  // cp437 (0x01), cp850 (0x02), cp1252 (0x03, 0x58); every other byte,
  // "none" and "current Windows code page" included, means GBK.
  static DBaseCodePage ForLanguageDriver(std::uint8_t language_driver);
  static DBaseCodePage Gbk() { return DBaseCodePage(nullptr); }

  // Throw text::TextError for bytes or characters the code page lacks.
  std::string Decode(std::string_view bytes) const;
  std::string Encode(std::string_view utf8) const;
  // Encoded form cut to at most `max_bytes`, never inside a character.
  std::string EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const;

  struct SingleByteTable;  // opaque; defined in the source

 private:
  explicit DBaseCodePage(const SingleByteTable* table) : single_byte_(table) {}
  const SingleByteTable* single_byte_;  // null: GBK
};

}  // namespace veltra::formats
