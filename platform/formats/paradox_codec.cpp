#include "platform/formats/paradox_codec.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace veltra::formats::paradox {
namespace {

constexpr int kBcdDigits = 32;

std::uint64_t LoadBe(const char* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

void StoreBe(char* p, int n, std::uint64_t v) {
  for (int i = n - 1; i >= 0; --i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

bool AllZero(const char* p, int n) {
  for (int i = 0; i < n; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

std::uint16_t LoadLe16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                    static_cast<unsigned char>(p[1]) << 8);
}

std::uint32_t LoadLe32(const char* p) {
  return static_cast<std::uint32_t>(LoadLe16(p)) | static_cast<std::uint32_t>(LoadLe16(p + 2)) << 16;
}

void StoreLe16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

void StoreLe32(char* p, std::uint32_t v) {
  StoreLe16(p, static_cast<std::uint16_t>(v & 0xFFFF));
  StoreLe16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

void EncodeShort(std::int16_t v, char* out) {
  StoreBe(out, 2, static_cast<std::uint16_t>(v) ^ 0x8000u);
}

std::optional<std::int16_t> DecodeShort(const char* in) {
  if (AllZero(in, 2)) return std::nullopt;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(LoadBe(in, 2) ^ 0x8000u));
}

void EncodeLong(std::int32_t v, char* out) {
  StoreBe(out, 4, static_cast<std::uint32_t>(v) ^ 0x80000000u);
}

std::optional<std::int32_t> DecodeLong(const char* in) {
  if (AllZero(in, 4)) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadBe(in, 4) ^ 0x80000000u));
}

void EncodeDouble(double v, char* out) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  bits = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
  StoreBe(out, 8, bits);
}

std::optional<double> DecodeDouble(const char* in) {
  if (AllZero(in, 8)) return std::nullopt;
  std::uint64_t bits = LoadBe(in, 8);
  bits = (bits >> 63) != 0 ? bits & ~(std::uint64_t{1} << 63) : ~bits;
  return std::bit_cast<double>(bits);
}

bool EncodeBcd(double v, int decimals, char* out) {
  char digits[400];
  const int n = std::snprintf(digits, sizeof digits, "%.*f", decimals, std::fabs(v));
  if (n <= 0 || n >= static_cast<int>(sizeof digits) || !std::isfinite(v)) return false;
  std::string packed;
  for (int i = 0; i < n; ++i) {
    if (digits[i] != '.') packed += digits[i];
  }
  const std::size_t first = packed.find_first_not_of('0');
  const bool zero = first == std::string::npos;
  if (!zero && packed.size() - first > kBcdDigits) return false;
  packed.insert(0, kBcdDigits - std::min<std::size_t>(packed.size(), kBcdDigits), '0');
  packed = packed.substr(packed.size() - kBcdDigits);
  const bool negative = v < 0 && !zero;
  out[0] = static_cast<char>((negative ? 0x40 : 0xC0) | decimals);
  for (int i = 0; i < 16; ++i) {
    auto byte = static_cast<unsigned char>((packed[2 * i] - '0') << 4 | (packed[2 * i + 1] - '0'));
    out[1 + i] = static_cast<char>(negative ? byte ^ 0xFF : byte);
  }
  return true;
}

std::optional<double> DecodeBcd(const char* in) {
  const auto head = static_cast<unsigned char>(in[0]);
  if (head == 0) return std::nullopt;
  const bool negative = (head & 0x80) == 0;
  const int decimals = head & 0x3F;
  if (decimals > kBcdDigits) throw CorruptFieldError("BCD field with more than 32 decimals");
  std::string text;
  int digits = 0;
  for (int i = 0; i < 16; ++i) {
    auto byte = static_cast<unsigned char>(in[1 + i]);
    if (negative) byte ^= 0xFF;
    for (const int nibble : {byte >> 4, byte & 0x0F}) {
      if (nibble > 9) throw CorruptFieldError("BCD field with a digit above 9");
      if (digits++ == kBcdDigits - decimals) text += '.';
      text += static_cast<char>('0' + nibble);
    }
  }
  const double magnitude = std::strtod(text.c_str(), nullptr);
  return negative ? -magnitude : magnitude;
}

}  // namespace veltra::formats::paradox
