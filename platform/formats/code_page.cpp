#include "platform/formats/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "platform/types/error.h"

namespace veltra::formats {

// Both directions of a one-byte code page, filled once from iconv.
struct CodePage::SingleByteTable {
  std::array<char32_t, 256> decode{};  // 0 = undefined (except byte 0)
  bool ascii_as_is = true;              // bytes below 0x80 stand for themselves
  std::unordered_map<char32_t, char> encode;
};

namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
// Closed when the last code page goes at exit, so that a leak check sees none.
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

[[noreturn]] void Unsupported(int code_page) {
  ErrorSubject subject;
  subject.reason = "不支持代码页" + std::to_string(code_page) + "：系统中没有它的转换程序";
  throw EngineError(EngineError::Kind::Unsupported, subject.reason, subject);
}

IconvHandle OpenIconv(const char* to, const char* from, int code_page) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) Unsupported(code_page);
  return IconvHandle(cd);
}

}  // namespace

// Both directions of a code page with characters of more than one byte.
// The handles carry conversion state; the engine runs in one thread.
struct CodePage::MultiByteConverter {
  IconvHandle to_utf8;
  IconvHandle from_utf8;
};

namespace {

// Null when iconv takes some byte as the start of a longer character.
std::unique_ptr<CodePage::SingleByteTable> BuildSingleByteTable(iconv_t cd) {
  auto table = std::make_unique<CodePage::SingleByteTable>();
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[4];
    char* in_ptr = &in;
    char* out_ptr = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || out_left != 0) {
      if (errno == EINVAL) return nullptr;
      continue;
    }
    const char32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
    table->decode[b] = cp;
    table->encode.emplace(cp, in);
  }
  for (int b = 0; b < 0x80; ++b) {
    if (table->decode[b] != static_cast<char32_t>(b)) table->ascii_as_is = false;
  }
  return table;
}

// Converts `in` whole; false when iconv refuses it, with `in_left` the bytes not taken.
bool Convert(iconv_t cd, std::string_view in, std::string& out, std::size_t& in_left) {
  out.assign(in.size() * 4 + 8, '\0');
  char* in_ptr = const_cast<char*>(in.data());
  char* out_ptr = out.data();
  in_left = in.size();
  std::size_t out_left = out.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const bool done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &out_ptr, &out_left) != static_cast<std::size_t>(-1);
  out.resize(out.size() - out_left);
  return done;
}

struct Converters {
  std::unique_ptr<CodePage::SingleByteTable> single_byte;
  std::unique_ptr<CodePage::MultiByteConverter> multi_byte;
};

// Built once per code page and kept for the life of the program.
const Converters& ConvertersOf(int code_page) {
  static std::mutex mutex;
  static std::map<int, Converters> known;
  const std::lock_guard lock(mutex);
  auto found = known.find(code_page);
  if (found == known.end()) {
    const std::string name = code_page == kCodePageRoman8 ? "HP-ROMAN8" : "CP" + std::to_string(code_page);
    Converters converters;
    converters.single_byte = BuildSingleByteTable(OpenIconv("UTF-32LE", name.c_str(), code_page).get());
    if (!converters.single_byte) {
      converters.multi_byte = std::make_unique<CodePage::MultiByteConverter>(CodePage::MultiByteConverter{
          OpenIconv("UTF-8", name.c_str(), code_page), OpenIconv(name.c_str(), "UTF-8", code_page)});
    }
    found = known.emplace(code_page, std::move(converters)).first;
  }
  return found->second;
}

}  // namespace

CodePage CodePage::ForNumber(int code_page) {
  if (code_page == kCodePageGbk) return Gbk();
  const Converters& converters = ConvertersOf(code_page);
  return CodePage(code_page, converters.single_byte.get(), converters.multi_byte.get());
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
  std::string out;
  AppendDecoded(bytes, out);
  return out;
}

std::string_view CodePage::DecodeView(std::string_view bytes, std::string& scratch) const {
  const bool ascii_as_is = !multi_byte_ && (!single_byte_ || single_byte_->ascii_as_is);
  if (ascii_as_is && text::IsAscii(bytes)) return bytes;
  scratch.clear();
  AppendDecoded(bytes, scratch);
  return scratch;
}

void CodePage::AppendDecoded(std::string_view bytes, std::string& out) const {
  if (multi_byte_) {
    std::string converted;
    std::size_t in_left = 0;
    if (!Convert(multi_byte_->to_utf8.get(), bytes, converted, in_left)) {
      const std::size_t offset = bytes.size() - in_left;
      throw text::TextError(text::CannotDecodeMessage(static_cast<unsigned char>(bytes[offset]), offset, number_));
    }
    out += converted;
    return;
  }
  if (!single_byte_) {
    text::AppendGbkAsUtf8(bytes, out);
    return;
  }
  out.reserve(out.size() + bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const char32_t cp = single_byte_->decode[b];
    if (cp == 0 && b != 0) throw text::TextError(text::CannotDecodeMessage(b, i, number_));
    text::AppendUtf8(out, cp);
  }
}

bool CodePage::AppendEncoded(std::string& out, std::string_view character, char32_t code_point, std::size_t index,
                             std::size_t max_bytes) const {
  if (single_byte_) {
    const auto found = single_byte_->encode.find(code_point);
    if (found == single_byte_->encode.end()) {
      throw text::TextError(text::CannotEncodeMessage(character, code_point, index, number_));
    }
    out += found->second;
    return true;
  }
  std::string encoded;
  std::size_t in_left = 0;
  if (code_point == text::kInvalidCodePoint || !Convert(multi_byte_->from_utf8.get(), character, encoded, in_left)) {
    throw text::TextError(text::CannotEncodeMessage(character, code_point, index, number_));
  }
  if (out.size() + encoded.size() > max_bytes) return false;
  out += encoded;
  return true;
}

std::string CodePage::Encode(std::string_view utf8) const {
  return EncodeTruncated(utf8, std::string::npos);
}

bool CodePage::CanEncode(std::string_view utf8) const {
  if (!single_byte_ && !multi_byte_) return text::IsGbkEncodable(utf8);
  try {
    Encode(utf8);
    return true;
  } catch (const text::TextError&) {
    return false;
  }
}

std::string CodePage::EncodeTruncated(std::string_view utf8, std::size_t max_bytes) const {
  if (!single_byte_ && !multi_byte_) return text::Utf8ToGbkTruncated(utf8, max_bytes);
  std::string out;
  std::size_t index = 0;
  for (std::size_t pos = 0; pos < utf8.size() && out.size() < max_bytes; ++index) {
    const std::size_t start = pos;
    const char32_t code_point = text::NextCodePoint(utf8, pos);
    if (!AppendEncoded(out, utf8.substr(start, pos - start), code_point, index, max_bytes)) break;
  }
  return out;
}

std::size_t CodePage::EncodeTruncatedInto(std::string_view utf8, std::size_t max_bytes, char* out) const {
  if (!single_byte_ && !multi_byte_) return text::Utf8ToGbkTruncatedInto(utf8, max_bytes, out);
  const std::string encoded = EncodeTruncated(utf8, max_bytes);
  std::memcpy(out, encoded.data(), encoded.size());
  return encoded.size();
}

}  // namespace veltra::formats
