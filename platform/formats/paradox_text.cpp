#include "platform/formats/paradox_text.h"

#include <iconv.h>

#include <cerrno>

#include "platform/formats/paradox_header.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats::paradox {

struct CodePageDecoder::Iconv {
  iconv_t cd;
  ~Iconv() { iconv_close(cd); }
};

CodePageDecoder::CodePageDecoder(int code_page) : code_page_(code_page) {
  if (code_page == kCodePageGbk) return;
  const std::string name = "CP" + std::to_string(code_page);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw EngineError(EngineError::Kind::Unsupported,
                      "code page " + std::to_string(code_page) + " is not supported");
  }
  iconv_.reset(new Iconv{cd});
}

std::string CodePageDecoder::ToUtf8(std::string_view bytes) const {
  if (!iconv_) return text::GbkToUtf8(bytes);
  std::string out(bytes.size() * 4, '\0');
  char* in_ptr = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  iconv(iconv_->cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(iconv_->cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
    throw text::TextError("byte at offset " + std::to_string(bytes.size() - in_left) +
                          " is not defined in code page " + std::to_string(code_page_));
  }
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace veltra::formats::paradox
