#pragma once
// The code page of a table file's text. We write GBK (code page 936);
// files from elsewhere may carry another code page (437, 850, 1252, 950
// ...), which is read and written in that code page, so that a change
// never converts a file or loses a character it holds.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/gbk.h"

namespace veltra::formats {

// Language driver byte of a dBase header that we write: code page 936, Chinese GBK (PRC).
constexpr std::uint8_t kLanguageDriverGbk = 0x4D;
constexpr int kCodePageGbk = text::kGbkCodePage;
// HP Roman-8, which has no DOS or Windows number; 1051 is IBM's.
constexpr int kCodePageRoman8 = 1051;

class CodePage {
 public:
  static CodePage Gbk() { return CodePage(kCodePageGbk); }
  // 936 is GBK, 1051 HP Roman-8; any other number a code page known to
  // iconv as "CP<number>". Throws
  // EngineError Unsupported for one that iconv does not know.
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
  // The same without a copy where it can: `bytes` themselves when they
  // read as the same UTF-8 (ASCII), else the text decoded into `scratch`,
  // whose buffer a caller decoding many values reuses.
  std::string_view DecodeView(std::string_view bytes, std::string& scratch) const;
  // False for a code page converted through iconv, whose converters keep
  // state and so serve one thread at a time.
  bool DecodesWithoutState() const { return multi_byte_ == nullptr; }
  std::string Encode(std::string_view utf8) const;
  bool CanEncode(std::string_view utf8) const;
  // Encoded form cut to at most `max_bytes`, never inside a character.
  std::string EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const;
  // The same written to `out` (room for `max_bytes`); returns how many bytes
  // were written. On a throw `out` holds a part of them.
  std::size_t EncodeTruncatedInto(std::string_view utf8, std::size_t max_bytes, char* out) const;

  // Opaque; defined in the source. One-byte code pages go through tables,
  // others through iconv, GBK through platform/text.
  struct SingleByteTable;
  struct MultiByteConverter;

 private:
  explicit CodePage(int number, const SingleByteTable* single_byte = nullptr,
                    const MultiByteConverter* multi_byte = nullptr)
      : number_(number), single_byte_(single_byte), multi_byte_(multi_byte) {}
  // Appends the character's encoding to `out`; false, appending nothing,
  // when it would pass `max_bytes`. Throws text::TextError when the code
  // page lacks it (`index`: its position in the text).
  void AppendDecoded(std::string_view bytes, std::string& out) const;
  bool AppendEncoded(std::string& out, std::string_view character, char32_t code_point, std::size_t index,
                     std::size_t max_bytes) const;

  int number_;
  const SingleByteTable* single_byte_;
  const MultiByteConverter* multi_byte_;
};

}  // namespace veltra::formats
