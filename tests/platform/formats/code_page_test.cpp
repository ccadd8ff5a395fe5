#include "platform/formats/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace veltra::formats {
namespace {

std::optional<std::string> Decoded(const CodePage& code_page, std::string_view bytes) {
  try {
    return code_page.Decode(bytes);
  } catch (const text::TextError&) {
    return std::nullopt;
  }
}

// The copy-free path must read every text exactly as Decode does, refusals
// included, in one-byte, GBK and other multi-byte code pages alike; the
// scratch buffer carries nothing over from the value before.
TEST(CodePageDecodeView, AgreesWithDecode) {
  const std::string cases[] = {"",         "QA01 2011",        "\xB8\xDF\xD0\xC2\xC7\xF8 Park",
                               "\x80",     "ok\xFF",           "\xB4",
                               "caf\xE9",  std::string("a\0b", 3), "\xA4\xA4\xA4\xE5 12345678"};
  std::string scratch = "left over from the value before";
  for (const int number : {936, 1252, 437, 950}) {
    const CodePage code_page = CodePage::ForNumber(number);
    for (const std::string& bytes : cases) {
      const std::optional<std::string> expected = Decoded(code_page, bytes);
      if (!expected) {
        EXPECT_THROW(code_page.DecodeView(bytes, scratch), text::TextError) << number << " " << bytes;
        continue;
      }
      EXPECT_EQ(code_page.DecodeView(bytes, scratch), *expected) << number << " " << bytes;
    }
  }
  EXPECT_EQ(*Decoded(CodePage::Gbk(), "\xB8\xDF\xD0\xC2\xC7\xF8"), "高新区");
}

// Writing in place must give the bytes of EncodeTruncated and never pass
// the width, however the text meets it (a two-byte character across the
// last byte included); refusals are the same.
TEST(CodePageEncodeTruncatedInto, AgreesWithEncodeTruncatedWithinTheWidth) {
  const std::string texts[] = {"", "QA01", "高新区 Park", "a高新", "caf\xC3\xA9", "\xF0\x9F\x98\x80"};
  for (const int number : {936, 1252, 950}) {
    const CodePage code_page = CodePage::ForNumber(number);
    for (const std::string& text : texts) {
      for (const std::size_t width : {1u, 2u, 3u, 4u, 20u}) {
        std::string out(width + 4, '#');
        std::optional<std::string> expected;
        try {
          expected = code_page.EncodeTruncated(text, width);
        } catch (const text::TextError&) {
        }
        if (!expected) {
          EXPECT_THROW(code_page.EncodeTruncatedInto(text, width, out.data()), text::TextError) << number << text;
          continue;
        }
        const std::size_t written = code_page.EncodeTruncatedInto(text, width, out.data());
        EXPECT_EQ(out.substr(0, written), *expected) << number << " " << text << " " << width;
        EXPECT_EQ(out.substr(written), std::string(width + 4 - written, '#')) << number << " " << text << " " << width;
      }
    }
  }
}

}  // namespace
}  // namespace veltra::formats
