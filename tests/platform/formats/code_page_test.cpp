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

}  // namespace
}  // namespace veltra::formats
