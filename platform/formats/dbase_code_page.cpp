#include "platform/formats/dbase_code_page.h"

#include <iconv.h>

#include <array>
#include <cstdio>
#include <unordered_map>

#include "platform/text/gbk.h"
#include "platform/text/utf8.h"

namespace veltra::formats {

// Both directions of a one-byte code page, filled once from iconv.
struct DBaseCodePage::SingleByteTable {
  std::array<char32_t, 256> decode{};  // 0 = undefined (except byte 0)
  std::unordered_map<char32_t, char> encode;
};

namespace {

// Built once per code page and kept for the life of the program.
const DBaseCodePage::SingleByteTable* BuildSingleByteTable(const char* iconv_name) {
  auto* table = new DBaseCodePage::SingleByteTable;
  iconv_t cd = iconv_open("UTF-32LE", iconv_name);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw text::TextError(std::string("the system's iconv has no ") + iconv_name + " converter");
  }
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[4];
    char* in_ptr = &in;
    char* out_ptr = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
        out_left != 0) {
      continue;
    }
    const char32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
    table->decode[b] = cp;
    table->encode.emplace(cp, in);
  }
  iconv_close(cd);
  return table;
}

}  // namespace

DBaseCodePage DBaseCodePage::ForLanguageDriver(std::uint8_t language_driver) {
  switch (language_driver) {
    case 0x01: {
      static const SingleByteTable* const cp437 = BuildSingleByteTable("CP437");
      return DBaseCodePage(cp437);
    }
    case 0x02: {
      static const SingleByteTable* const cp850 = BuildSingleByteTable("CP850");
      return DBaseCodePage(cp850);
    }
    case 0x03:
    case 0x58: {
      static const SingleByteTable* const cp1252 = BuildSingleByteTable("CP1252");
      return DBaseCodePage(cp1252);
    }
    default:
      return Gbk();
  }
}

std::string DBaseCodePage::Decode(std::string_view bytes) const {
  if (!single_byte_) return text::GbkToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const char32_t cp = single_byte_->decode[b];
    if (cp == 0 && b != 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", b);
      throw text::TextError(std::string("byte ") + hex + " at offset " + std::to_string(i) +
                            " is not defined in the file's code page");
    }
    text::AppendUtf8(out, cp);
  }
  return out;
}

std::string DBaseCodePage::Encode(std::string_view utf8) const {
  if (!single_byte_) return text::Utf8ToGbk(utf8);
  std::string out;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::size_t start = pos;
    const char32_t cp = text::NextCodePoint(utf8, pos);
    const auto found = single_byte_->encode.find(cp);
    if (found == single_byte_->encode.end()) {
      throw text::TextError("character '" + std::string(utf8.substr(start, pos - start)) +
                            "' cannot be encoded in the file's code page");
    }
    out += found->second;
  }
  return out;
}

std::string DBaseCodePage::EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const {
  if (!single_byte_) return text::Utf8ToGbk(text::TruncateToGbkBytes(utf8, max_bytes));
  std::string out = Encode(utf8);  // one byte per character
  if (out.size() > max_bytes) out.resize(max_bytes);
  return out;
}

}  // namespace veltra::formats
