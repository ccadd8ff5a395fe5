#pragma once
// Decoding of a Paradox table's text (alpha fields, memos, field names)
// from the code page its header names: 936 through the GBK tables of
// platform/text, any other through iconv.
#include <memory>
#include <string>
#include <string_view>

namespace veltra::formats::paradox {

class CodePageDecoder {
 public:
  // Throws EngineError Unsupported when iconv has no converter for it.
  explicit CodePageDecoder(int code_page);
  int code_page() const { return code_page_; }
  // Throws text::TextError for bytes that the code page does not define.
  std::string ToUtf8(std::string_view bytes) const;

 private:
  struct Iconv;
  int code_page_;
  std::shared_ptr<Iconv> iconv_;  // null for 936
};

}  // namespace veltra::formats::paradox
