#include "platform/formats/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/text/utf8.h"
#include "platform/types/error.h"

namespace veltra::formats {

// Both directions of a one-byte code page, filled once from iconv.
struct CodePage::SingleByteTable {
  std::array<char32_t, 256> decode{};  // 0 = undefined (except byte 0)
  std::unordered_map<char32_t, char> encode;
};

namespace {

[[noreturn]] void Unsupported(int code_page, const std::string& why) {
  throw EngineError(EngineError::Kind::Unsupported, "不支持代码页 " + std::to_string(code_page) + "：" + why);
}

// Null when iconv takes some byte as the start of a longer character.
std::unique_ptr<CodePage::SingleByteTable> BuildSingleByteTable(int code_page) {
  const std::string name = "CP" + std::to_string(code_page);
  iconv_t cd = iconv_open("UTF-32LE", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) Unsupported(code_page, "本系统的 iconv 没有它的转换器");
  auto table = std::make_unique<CodePage::SingleByteTable>();
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[4];
    char* in_ptr = &in;
    char* out_ptr = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || out_left != 0) {
      if (errno == EINVAL) {
        iconv_close(cd);
        return nullptr;
      }
      continue;
    }
    const char32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
    table->decode[b] = cp;
    table->encode.emplace(cp, in);
  }
  iconv_close(cd);
  return table;
}

// Built once per code page and kept for the life of the program.
const CodePage::SingleByteTable* SingleByteTableOf(int code_page) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<CodePage::SingleByteTable>> tables;
  const std::lock_guard lock(mutex);
  auto found = tables.find(code_page);
  if (found == tables.end()) {
    auto table = BuildSingleByteTable(code_page);
    if (!table) Unsupported(code_page, "只支持 GBK 和单字节代码页");
    found = tables.emplace(code_page, std::move(table)).first;
  }
  return found->second.get();
}

}  // namespace

CodePage CodePage::ForNumber(int code_page) {
  if (code_page == kCodePageGbk) return Gbk();
  return CodePage(code_page, SingleByteTableOf(code_page));
}

CodePage CodePage::ForLanguageDriver(std::uint8_t language_driver) {
  switch (language_driver) {
    case 0x01: return ForNumber(437);
    case 0x02: return ForNumber(850);
    case 0x03:
    case 0x58: return ForNumber(1252);
    default: return Gbk();
  }
}

std::uint8_t CodePage::LanguageDriver() const {
  switch (number_) {
    case 437: return 0x01;
    case 850: return 0x02;
    case 1252: return 0x03;
    default: return kLanguageDriverGbk;
  }
}

std::string CodePage::Decode(std::string_view bytes) const {
  if (!single_byte_) return text::GbkToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const char32_t cp = single_byte_->decode[b];
    if (cp == 0 && b != 0) throw text::TextError(text::CannotDecodeMessage(b, i, number_));
    text::AppendUtf8(out, cp);
  }
  return out;
}

std::string CodePage::Encode(std::string_view utf8) const {
  if (!single_byte_) return text::Utf8ToGbk(utf8);
  std::string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    const char32_t cp = text::NextCodePoint(utf8, pos);
    const auto found = single_byte_->encode.find(cp);
    if (found == single_byte_->encode.end()) {
      throw text::TextError(text::CannotEncodeMessage(utf8.substr(start, pos - start), cp, out.size(), number_));
    }
    out += found->second;
  }
  return out;
}

bool CodePage::CanEncode(std::string_view utf8) const {
  if (!single_byte_) return text::IsGbkEncodable(utf8);
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (!single_byte_->encode.contains(text::NextCodePoint(utf8, pos))) return false;
  }
  return true;
}

std::string CodePage::EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const {
  if (!single_byte_) return text::Utf8ToGbk(text::TruncateToGbkBytes(utf8, max_bytes));
  std::size_t end = 0;  // one byte per character
  for (std::size_t kept = 0; kept < max_bytes && end < utf8.size(); ++kept) text::NextCodePoint(utf8, end);
  return Encode(utf8.substr(0, end));
}

}  // namespace veltra::formats
