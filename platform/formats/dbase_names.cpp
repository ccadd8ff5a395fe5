#include "platform/formats/dbase_names.h"

#include <unordered_set>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace veltra::formats {
namespace {

bool AsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool AsciiDigitOrUnderscore(char32_t c) { return (c >= '0' && c <= '9') || c == '_'; }

// A character of a name that the code page can store; `character` is its UTF-8 form.
bool StorableCharacter(char32_t c, std::string_view character, const CodePage& code_page) {
  if (c == text::kInvalidCodePoint) return false;
  if (c < 0x80) return AsciiLetter(c) || AsciiDigitOrUnderscore(c);
  return code_page.CanEncode(character);
}

std::string Cut(const std::string& name, std::size_t max_bytes, const CodePage& code_page) {
  return code_page.Decode(code_page.EncodeTruncated(name, max_bytes));
}

// `name` with every character dBase cannot store replaced and a letter in front when needed.
std::string Sanitized(std::string_view name, const CodePage& code_page) {
  std::string out;
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t start = at;
    const char32_t c = text::NextCodePoint(name, at);
    const std::string_view character = name.substr(start, at - start);
    if (StorableCharacter(c, character, code_page)) {
      out += character;
    } else {
      out += '_';
    }
  }
  if (out.empty() || AsciiDigitOrUnderscore(static_cast<unsigned char>(out[0]))) out.insert(0, "F");
  return out;
}

}  // namespace

std::string DbfNameFault(std::string_view name, const CodePage& code_page) {
  if (name.empty()) return "字段名不能为空";
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t start = at;
    const char32_t c = text::NextCodePoint(name, at);
    const std::string_view character = name.substr(start, at - start);
    if (!StorableCharacter(c, character, code_page)) {
      return "dBase字段名中不能有字符“" + std::string(character) + "”（只能用字母、数字、下划线和代码页" +
             std::to_string(code_page.number()) + "中的文字）";
    }
  }
  if (AsciiDigitOrUnderscore(static_cast<unsigned char>(name[0]))) return "dBase字段名不能以数字或下划线开头";
  const std::size_t bytes = code_page.Encode(name).size();
  if (bytes > kMaxDbfNameBytes) {
    return "dBase字段名最多10个字节（5个汉字），这个名字有" + std::to_string(bytes) + "个字节";
  }
  return {};
}

std::vector<std::string> StorableDbfFieldNames(const std::vector<std::string>& names, const CodePage& code_page) {
  std::unordered_set<std::string, text::AsciiCaseInsensitiveHash, text::AsciiCaseInsensitiveEqual> taken;
  std::vector<std::string> stored(names.size());
  // Names that can be stored go first, so that none of them is ever changed
  // to make room for a cut one.
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (DbfNameFault(names[i], code_page).empty() && taken.insert(names[i]).second) stored[i] = names[i];
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!stored[i].empty()) continue;
    const std::string base = Sanitized(names[i], code_page);
    std::string name = Cut(base, kMaxDbfNameBytes, code_page);
    for (int n = 1; !taken.insert(name).second; ++n) {
      const std::string suffix = "_" + std::to_string(n);
      name = Cut(base, kMaxDbfNameBytes - suffix.size(), code_page) + suffix;
    }
    stored[i] = name;
  }
  return stored;
}

}  // namespace veltra::formats
