#include "platform/formats/paradox_codec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace veltra::formats::paradox {
namespace {

std::string Hex(const char* p, int n) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(p[i]);
    if (i) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Double(double v) {
  char b[8];
  EncodeDouble(v, b);
  EXPECT_EQ(DecodeDouble(b), v);
  return Hex(b, 8);
}

std::string Long(std::int32_t v) {
  char b[4];
  EncodeLong(v, b);
  EXPECT_EQ(DecodeLong(b), v);
  return Hex(b, 4);
}

std::string Short(std::int16_t v) {
  char b[2];
  EncodeShort(v, b);
  EXPECT_EQ(DecodeShort(b), v);
  return Hex(b, 2);
}

TEST(ParadoxCodec, NumberVectors) {
  EXPECT_EQ(Double(1.0), "BF F0 00 00 00 00 00 00");
  EXPECT_EQ(Double(-1.0), "40 0F FF FF FF FF FF FF");
  EXPECT_EQ(Double(-2.5), "3F FB FF FF FF FF FF FF");
  EXPECT_EQ(Double(0.0), "80 00 00 00 00 00 00 00");
  EXPECT_EQ(Double(-200), "3F 96 FF FF FF FF FF FF");
  const char blank[8] = {};
  EXPECT_FALSE(DecodeDouble(blank).has_value());
  EXPECT_FALSE(DecodeLong(blank).has_value());
  EXPECT_FALSE(DecodeShort(blank).has_value());
}

TEST(ParadoxCodec, IntegerDateAndTimeVectors) {
  EXPECT_EQ(Short(1), "80 01");
  EXPECT_EQ(Short(-1), "7F FF");
  EXPECT_EQ(Short(256), "81 00");
  EXPECT_EQ(Long(1), "80 00 00 01");
  EXPECT_EQ(Long(734477), "80 0B 35 0D");  // 2011-12-06
  EXPECT_EQ(Long(10 * 3600 * 1000), "82 25 51 00");
  EXPECT_EQ(Long((13 * 3600 + 45 * 60 + 30) * 1000), "82 F3 C4 90");
  EXPECT_EQ(Double(734477.0 * 86400000 + (13 * 3600 + 45 * 60 + 30) * 1000.0), "C2 CC DB 95 79 38 48 00");
}

TEST(ParadoxCodec, BcdVectors) {
  char b[17];
  ASSERT_TRUE(EncodeBcd(1.23, 2, b));
  EXPECT_EQ(Hex(b, 17), "C2 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 23");
  EXPECT_DOUBLE_EQ(*DecodeBcd(b), 1.23);
  ASSERT_TRUE(EncodeBcd(-1.23, 2, b));
  EXPECT_EQ(Hex(b, 17), "42 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FE DC");
  EXPECT_DOUBLE_EQ(*DecodeBcd(b), -1.23);
  ASSERT_TRUE(EncodeBcd(0, 3, b));
  EXPECT_EQ(static_cast<unsigned char>(b[0]), 0xC3);
  EXPECT_EQ(*DecodeBcd(b), 0.0);
  EXPECT_FALSE(EncodeBcd(1e40, 0, b));
  b[16] = static_cast<char>(0xAA);
  b[0] = static_cast<char>(0xC0);
  EXPECT_THROW(DecodeBcd(b), CorruptFieldError);
}

// Writers elsewhere leave garbage in digits past what a double carries;
// those read as zeros (keeping the magnitude), garbage among the
// significant digits stays an error.
TEST(ParadoxCodec, BcdGarbageBeyondDoublePrecision) {
  struct Case {
    const char* hex;
    std::optional<double> value;  // nullopt: refused
  };
  const Case cases[] = {
      {"E0 12 29 99 99 99 99 99 99 98 0B 00 E0 00 00 BF 4A", 0.123},
      {"60 ED D6 66 66 66 66 66 66 67 F4 FF 1F FF FF 40 B5", -0.123},
      {"C2 12 34 56 78 90 12 34 56 7A AA AA AA AA AA AA AA", 1.2345678901234567e29},
      {"C2 00 00 00 00 00 00 00 00 00 00 00 00 00 12 3F FF", std::nullopt},
      {"C2 1A 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", std::nullopt},
  };
  for (const Case& c : cases) {
    char b[17];
    for (int i = 0; i < 17; ++i) b[i] = static_cast<char>(std::stoi(std::string(c.hex + 3 * i, 2), nullptr, 16));
    if (c.value) {
      EXPECT_EQ(DecodeBcd(b), c.value) << c.hex;
    } else {
      EXPECT_THROW(DecodeBcd(b), CorruptFieldError) << c.hex;
    }
  }
}

}  // namespace
}  // namespace veltra::formats::paradox
