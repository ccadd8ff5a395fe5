#include "platform/text/ascii.h"
#include "platform/text/gbk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace veltra::text {
namespace {

TEST(GbkCodec, RoundTripsChineseAndAscii) {
  const std::string utf8 = "QA01 高新区企业 2011";
  const std::string gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk.size(), 5u + 10u + 5u);
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

TEST(GbkCodec, EncodesKnownBytes) {
  EXPECT_EQ(Utf8ToGbk("错误警告"), "\xB4\xED\xCE\xF3\xBE\xAF\xB8\xE6");
  EXPECT_EQ(Utf8ToGbk("\xE2\x82\xAC"), "\x80");  // the euro sign is one byte in 936
  EXPECT_EQ(GbkToUtf8("\xA1\xA1"), "\xE3\x80\x80");  // ideographic space
}

TEST(GbkCodec, RefusesCharacterGbkCannotHoldNamingIt) {
  try {
    Utf8ToGbk("ab\xF0\x9F\x98\x80");  // U+1F600 after two letters
    FAIL() << "expected TextError";
  } catch (const TextError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("U+1F600"), std::string::npos) << message;
    EXPECT_NE(message.find("第3个字符"), std::string::npos) << message;
  }
}

TEST(GbkCodec, RefusesUndecodableBytesNamingOffset) {
  try {
    GbkToUtf8("ok\xFF");
    FAIL() << "expected TextError";
  } catch (const TextError& e) {
    EXPECT_NE(std::string(e.what()).find("第3个字节0xFF"), std::string::npos) << e.what();
  }
  EXPECT_THROW(GbkToUtf8("\xB4"), TextError);  // lead byte without its trail
  EXPECT_THROW(Utf8ToGbk("\xE9\x94"), TextError);  // cut UTF-8 sequence
}

TEST(GbkLength, CountsTwoBytesPerChineseCharacter) {
  EXPECT_EQ(GbkLength(""), 0u);
  EXPECT_EQ(GbkLength("abc"), 3u);
  EXPECT_EQ(GbkLength("高新区"), 6u);
  EXPECT_EQ(GbkLength("A高1"), 4u);
  EXPECT_EQ(GbkLength("\xE2\x82\xAC"), 1u);
  EXPECT_EQ(GbkLength("\xF0\x9F\x98\x80"), 2u);
}

TEST(GbkTruncation, NeverCutsInsideACharacter) {
  EXPECT_EQ(TruncateToGbkBytes("高新区企业", 6), "高新区");
  EXPECT_EQ(TruncateToGbkBytes("高新区企业", 5), "高新");
  EXPECT_EQ(TruncateToGbkBytes("a高b", 2), "a");
  EXPECT_EQ(TruncateToGbkBytes("a高b", 3), "a高");
  EXPECT_EQ(TruncateToGbkBytes("abc", 10), "abc");
  EXPECT_EQ(TruncateToGbkBytes("高", 0), "");
}

// Encoding up to a width gives the bytes of the cut text, and refuses a
// character GBK cannot hold only when it lies inside the width.
TEST(GbkTruncation, EncodingToAWidthEncodesTheCutText) {
  const struct {
    const char* utf8;
    std::size_t width;
    bool refused;
  } cases[] = {
      {"高新区企业", 5, false},         {"a高b", 2, false},  {"a\xE2\x82\xAC高", 2, false},
      {"高", 0, false},                 {"abc", 10, false},  {"ab\xF0\x9F\x98\x80", 3, false},
      {"ab\xF0\x9F\x98\x80", 4, true}, {"a\xE9\x94", 1, false}, {"a\xE9\x94", 3, true},
  };
  for (const auto& c : cases) {
    if (c.refused) {
      EXPECT_THROW(Utf8ToGbkTruncated(c.utf8, c.width), TextError) << c.utf8 << " to " << c.width;
    } else {
      EXPECT_EQ(Utf8ToGbkTruncated(c.utf8, c.width), Utf8ToGbk(TruncateToGbkBytes(c.utf8, c.width)))
          << c.utf8 << " to " << c.width;
    }
  }
}

TEST(GbkCollation, FollowsGbkByteOrderNotUnicodeOrder) {
  // 错 (U+9519) is B4ED, 警 (U+8B66) is BEAF: GBK puts 错 first, Unicode the other way.
  EXPECT_LT(CompareGbk("错误", "警告"), 0);
  EXPECT_GT(CompareGbk("警告", "错误"), 0);
  EXPECT_EQ(CompareGbk("错误", "错误"), 0);
  EXPECT_LT(CompareGbk("abc", "abd"), 0);
  EXPECT_LT(CompareGbk("ab", "abc"), 0);
  EXPECT_LT(CompareGbk("z", "高"), 0);  // ASCII before every double-byte character
  EXPECT_LT(CompareGbk("A", "a"), 0);   // byte order, case matters
}

// Both orders against comparing the encoded bytes, the folded one after
// upper-casing ASCII letters (never a double-byte character's trail byte).
TEST(GbkCollation, AgreesWithComparingEncodedBytes) {
  std::vector<std::string> words = {"企业", "高新区", "区外企业", "abc", "孵化器", "科技园",
                                     "A1", "错误", "警告", "一", "龥", "", "0", "~",
                                     // shared characters, then parting inside a character's bytes
                                     "错", "错误a", "错误甲", "错误乙", "丁", "一a",
                                     // letters of either case before, after and between characters
                                     "ABC", "abD", "错误A", "错误b", "a企业", "A企业x", "_", "[", "`"};
  for (const bool fold : {false, true}) {
    for (const auto& a : words) {
      for (const auto& b : words) {
        const auto encoded = [fold](const std::string& s) { return Utf8ToGbk(fold ? ToAsciiUpper(s) : s); };
        const int expected = encoded(a).compare(encoded(b));
        const int actual = fold ? CompareGbkIgnoringAsciiCase(a, b) : CompareGbk(a, b);
        EXPECT_EQ(expected < 0, actual < 0) << a << " vs " << b << " folded " << fold;
        EXPECT_EQ(expected == 0, actual == 0) << a << " vs " << b << " folded " << fold;
      }
    }
  }
}

TEST(GbkCodec, EveryDecodableDoubleByteCodeRoundTrips) {
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string gbk = {static_cast<char>(lead), static_cast<char>(trail)};
      std::string utf8;
      try {
        utf8 = GbkToUtf8(gbk);
      } catch (const TextError&) {
        continue;
      }
      ASSERT_EQ(Utf8ToGbk(utf8), gbk) << std::hex << lead << trail;
      ++checked;
    }
  }
  EXPECT_GT(checked, 21000);  // GBK defines 21,886 double-byte characters
}

}  // namespace
}  // namespace veltra::text
