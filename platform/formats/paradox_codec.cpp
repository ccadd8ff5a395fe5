#include "platform/formats/paradox_codec.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace veltra::formats::paradox {
namespace {

constexpr int kBcdDigits = 32;
constexpr int kDoubleDigits = 17;  // significant decimal digits that tell any two doubles apart

// Spelled out byte by byte so that the compiler makes it one load and a
// byte swap: every number of a record passes through here when a table is read.
template <std::size_t... I>
std::uint64_t LoadBe(const char* p, std::index_sequence<I...>) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(p);
  return ((std::uint64_t{bytes[I]} << (8 * (sizeof...(I) - 1 - I))) | ...);
}

template <std::size_t N>
std::uint64_t LoadBe(const char* p) {
  return LoadBe(p, std::make_index_sequence<N>());
}

// The mirror of LoadBe: one byte swap and store for every number written.
template <std::size_t... I>
void StoreBe(char* p, std::uint64_t v, std::index_sequence<I...>) {
  ((p[I] = static_cast<char>(v >> (8 * (sizeof...(I) - 1 - I)))), ...);
}

template <std::size_t N>
void StoreBe(char* p, std::uint64_t v) {
  StoreBe(p, v, std::make_index_sequence<N>());
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
  StoreBe<2>(out, static_cast<std::uint16_t>(v) ^ 0x8000u);
}

std::optional<std::int16_t> DecodeShort(const char* in) {
  const std::uint64_t stored = LoadBe<2>(in);
  if (stored == 0) return std::nullopt;  // all bytes zero: no value
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(stored ^ 0x8000u));
}

void EncodeLong(std::int32_t v, char* out) {
  StoreBe<4>(out, static_cast<std::uint32_t>(v) ^ 0x80000000u);
}

std::optional<std::int32_t> DecodeLong(const char* in) {
  const std::uint64_t stored = LoadBe<4>(in);
  if (stored == 0) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(stored ^ 0x80000000u));
}

void EncodeDouble(double v, char* out) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  bits = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
  StoreBe<8>(out, bits);
}

std::optional<double> DecodeDouble(const char* in) {
  std::uint64_t bits = LoadBe<8>(in);
  if (bits == 0) return std::nullopt;
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
  // A double carries 17 significant digits. Writers elsewhere leave
  // garbage in the digits past those; from the first such nibble on the
  // rest reads as zeros. Garbage among the significant digits is an error.
  std::string text;
  int digits = 0;
  int significant = 0;
  bool garbage_tail = false;
  for (int i = 0; i < 16; ++i) {
    auto byte = static_cast<unsigned char>(in[1 + i]);
    if (negative) byte ^= 0xFF;
    for (int nibble : {byte >> 4, byte & 0x0F}) {
      if (nibble > 9 && significant < kDoubleDigits) throw CorruptFieldError("BCD field with a digit above 9");
      garbage_tail = garbage_tail || nibble > 9;
      if (garbage_tail) nibble = 0;
      if (nibble != 0 || significant > 0) ++significant;
      if (digits++ == kBcdDigits - decimals) text += '.';
      text += static_cast<char>('0' + nibble);
    }
  }
  const double magnitude = std::strtod(text.c_str(), nullptr);
  return negative ? -magnitude : magnitude;
}

}  // namespace veltra::formats::paradox
