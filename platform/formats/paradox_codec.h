#pragma once
// Byte-level encodings of the Paradox formats. Header and block fields are
// little-endian; field data inside records is big-endian with the sign bit
// flipped, so that all-zero bytes mean blank and stored bytes sort in value
// order. Decoders return nullopt for a blank field.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace veltra::formats::paradox {

// Raised for field bytes that no valid value encodes (a BCD nibble above 9).
class CorruptFieldError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::uint16_t LoadLe16(const char* p);
std::uint32_t LoadLe32(const char* p);
void StoreLe16(char* p, std::uint16_t v);
void StoreLe32(char* p, std::uint32_t v);

// S: 2 bytes. -32768 has no encoding (it would read back blank).
void EncodeShort(std::int16_t v, char* out);
std::optional<std::int16_t> DecodeShort(const char* in);

// I, +, D (day number), T (milliseconds of the day): 4 bytes.
void EncodeLong(std::int32_t v, char* out);
std::optional<std::int32_t> DecodeLong(const char* in);

// N, $, @ (day number * 86,400,000 + milliseconds): 8 bytes.
void EncodeDouble(double v, char* out);
std::optional<double> DecodeDouble(const char* in);

// #: 17 bytes of packed decimal with `decimals` (0..32) fraction digits.
// Returns false when the value needs more than 32 digits.
bool EncodeBcd(double v, int decimals, char* out);
std::optional<double> DecodeBcd(const char* in);

}  // namespace veltra::formats::paradox
