#include "platform/text/ascii.h"

#include <gtest/gtest.h>

namespace veltra::text {
namespace {

TEST(AsciiFolding, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(ToAsciiUpper("qa01_高b"), "QA01_高B");
  EXPECT_EQ(ToAsciiLower("KFQ_1.DB"), "kfq_1.db");
  EXPECT_TRUE(EqualsIgnoreAsciiCase("check_db.DB", "CHECK_DB.db"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("qa01", "qa011"));
  EXPECT_TRUE(EndsWithIgnoreAsciiCase("tmp\\KFQ_1.Db", ".db"));
  EXPECT_TRUE(StartsWithIgnoreAsciiCase("Select * from x", "SELECT"));
  EXPECT_FALSE(EndsWithIgnoreAsciiCase("db", ".db"));
}

TEST(AsciiFolding, HashAgreesWithEquality) {
  AsciiCaseInsensitiveHash hash;
  EXPECT_EQ(hash("QA01"), hash("qa01"));
  EXPECT_EQ(hash("字段值"), hash("字段值"));
  EXPECT_LT(CompareIgnoreAsciiCase("abc", "ABD"), 0);
  EXPECT_EQ(CompareIgnoreAsciiCase("Id", "ID"), 0);
}

TEST(AsciiDetection, FindsAHighByteAnywhereInOrAfterAWord) {
  EXPECT_TRUE(IsAscii(""));
  EXPECT_TRUE(IsAscii(std::string("QA01 2011\0x", 11)));
  for (std::size_t at : {0u, 7u, 8u, 15u, 16u}) {
    std::string text(17, 'a');
    text[at] = '\x80';
    EXPECT_FALSE(IsAscii(text)) << at;
  }
}

}  // namespace
}  // namespace veltra::text
