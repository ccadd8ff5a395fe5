#include "platform/formats/dbase_header.h"

#include <algorithm>
#include <ctime>
#include <unordered_set>

#include "platform/formats/dbase_names.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

constexpr char kDescriptorEnd = 0x0D;
constexpr int kMaxCharWidth = 254;
// dBase III/IV programs document records up to 4000 bytes, but the header
// holds any length its u16 can, and readers take what it says; the widest
// fields of the most fields we write always fit it.
static_assert(1 + kMaxDbfFields * kMaxCharWidth <= 0xFFFF);

std::uint32_t Read32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t Read16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

[[noreturn]] void Garbled(const std::filesystem::path& file, const std::string& what) {
  ErrorSubject subject;
  subject.table = file.string();
  subject.reason = what;
  throw EngineError(EngineError::Kind::FileFormat, file.string() + ": " + what, subject);
}

bool KnownVersion(std::uint8_t version) {
  switch (version) {
    case 0x03: case 0x83: case 0x8B: case 0x43: case 0x63: case 0xCB:
      return true;
    default:
      return false;
  }
}

// Accepted widths per type; files from other writers are held to what
// dBase III/IV itself produces, except for a little slack on numbers.
bool ValidLength(char type, int length) {
  switch (type) {
    case 'C': return length >= 1;
    case 'N': case 'F': return length >= 1 && length <= 32;
    case 'D': return length == 8;
    case 'L': return length == 1;
    case 'M': return length == 10;
    default: return false;
  }
}

std::string Hex(unsigned v) {
  static const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[(v >> 4) & 0xF] + digits[v & 0xF];
}

DbfField ParseDescriptor(std::string_view d, int index, int offset, const CodePage& code_page,
                         const std::filesystem::path& file) {
  DbfField field;
  const std::string_view raw_name = d.substr(0, std::min(d.substr(0, 11).find('\0'), std::size_t{11}));
  try {
    field.name = code_page.Decode(raw_name);
  } catch (const text::TextError& e) {
    Garbled(file, "第" + std::to_string(index + 1) + "个字段的名称无法识别：" + e.what());
  }
  if (field.name.empty()) Garbled(file, "第" + std::to_string(index + 1) + "个字段没有名称");
  field.type = text::AsciiUpper(d[11]);
  field.length = static_cast<unsigned char>(d[16]);
  field.decimals = static_cast<unsigned char>(d[17]);
  field.offset = offset;
  if (!ValidLength(field.type, field.length)) {
    const auto letter = static_cast<unsigned char>(d[11]);
    Garbled(file, "字段“" + field.name + "”的类型“" +
                      (letter >= 0x20 && letter < 0x7F ? std::string(1, d[11]) : Hex(letter)) + "”、长度" +
                      std::to_string(field.length) + "不是dBase表所用的");
  }
  if (field.type == 'N' || field.type == 'F') {
    if (field.decimals >= field.length && field.decimals != 0) {
      Garbled(file, "字段“" + field.name + "”宽" + std::to_string(field.length) + "位，却有" +
                        std::to_string(field.decimals) + "位小数");
    }
  } else {
    field.decimals = 0;
  }
  return field;
}

[[noreturn]] void BadDefinition(EngineError::Kind kind, const std::filesystem::path& file,
                                const std::string& field, const std::string& what) {
  ErrorSubject subject;
  subject.table = file.string();
  subject.field = field;
  subject.value = kind == EngineError::Kind::InvalidName ? field : std::string();
  subject.reason = kind == EngineError::Kind::InvalidName ? what : "不能存入dBase表：" + what;
  throw EngineError(kind, "表" + file.string() + "的字段“" + field + "”不能存入dBase表：" + what, subject);
}

DbfField MapFieldDef(const FieldDef& def, const std::filesystem::path& file, const CodePage& code_page) {
  if (const std::string fault = DbfNameFault(def.name, code_page); !fault.empty()) {
    BadDefinition(EngineError::Kind::InvalidName, file, def.name, fault);
  }
  DbfField f{def.name, 'N', 20, 0, 0};
  switch (def.type) {
    case FieldType::String:
      if (def.size < 1 || def.size > kMaxCharWidth) {
        BadDefinition(EngineError::Kind::InvalidValue, file, def.name,
                      "dBase字符字段宽1至" + std::to_string(kMaxCharWidth) + "个字节，不能是" +
                          std::to_string(def.size) + "个字节");
      }
      f.type = 'C';
      f.length = def.size;
      break;
    case FieldType::Memo:
      f.type = 'M';
      f.length = 10;
      break;
    case FieldType::Float:
      if (def.size > 0 && (def.size > kMaxDbfNumberWidth || def.decimals < 0 || def.decimals > kMaxDbfDecimals ||
                           (def.decimals > 0 && def.decimals > def.size - 2))) {
        BadDefinition(EngineError::Kind::InvalidValue, file, def.name,
                      "dBase数值字段最宽" + std::to_string(kMaxDbfNumberWidth) + "位、最多" +
                          std::to_string(kMaxDbfDecimals) + "位小数，且小数位数比宽度至少少2位，不能宽" +
                          std::to_string(def.size) + "位、带" + std::to_string(def.decimals) + "位小数");
      }
      [[fallthrough]];
    case FieldType::Money:
    case FieldType::Bcd:
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc: {
      const DbfNumberWidth width = DefaultDbfNumberWidth(def);
      f.length = width.length;
      f.decimals = width.decimals;
      break;
    }
    case FieldType::Date: f.type = 'D'; f.length = 8; break;
    case FieldType::Boolean: f.type = 'L'; f.length = 1; break;
    case FieldType::Time: f.type = 'C'; f.length = 12; break;
    case FieldType::DateTime: f.type = 'C'; f.length = 23; break;
    case FieldType::FmtMemo:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Ole:
    case FieldType::Bytes:
      BadDefinition(EngineError::Kind::Unsupported, file, def.name,
                    "dBase表不能存放" + std::string(FieldTypeWord(def.type)) + "字段" +
                        (def.type == FieldType::FmtMemo ? "（其中是带格式的二进制数据，不是文字）" : ""));
  }
  return f;
}

[[noreturn]] void RefuseFieldCount(const std::filesystem::path& file, const std::string& what) {
  ErrorSubject subject;
  subject.table = file.string();
  subject.reason = what;
  throw EngineError(EngineError::Kind::InvalidValue, file.string() + ": " + what, subject);
}

}  // namespace

DbfNumberWidth DefaultDbfNumberWidth(const FieldDef& def) {
  switch (def.type) {
    case FieldType::Float:
      return def.size > 0 ? DbfNumberWidth{def.size, def.decimals} : DbfNumberWidth{kMaxDbfNumberWidth, 6};
    case FieldType::Money: return {kMaxDbfNumberWidth, 2};
    case FieldType::Bcd: return {kMaxDbfNumberWidth, std::clamp(def.size, 0, kMaxDbfDecimals)};
    case FieldType::SmallInt: return {6, 0};
    default: return {11, 0};
  }
}

bool DbfHeader::has_memo() const {
  for (const DbfField& f : fields) {
    if (f.type == 'M') return true;
  }
  return false;
}

std::uint16_t ParseHeaderLength(std::string_view first, const std::filesystem::path& file) {
  if (first.size() < kDbfHeaderSize) Garbled(file, "文件比32个字节的表头还短");
  const auto version = static_cast<std::uint8_t>(first[0]);
  if (!KnownVersion(version)) Garbled(file, "版本字节" + Hex(version) + "不是dBase表的");
  const std::uint16_t length = Read16(first, 8);
  if (length < kDbfHeaderSize + 1) Garbled(file, "表头长度" + std::to_string(length) + "太小");
  return length;
}

DbfHeader ParseDbfHeader(std::string_view b, std::uint64_t file_size, const std::filesystem::path& file) {
  DbfHeader h;
  h.header_length = ParseHeaderLength(b, file);
  if (b.size() < h.header_length) Garbled(file, "文件在表头中间就结束了");
  h.version = static_cast<std::uint8_t>(b[0]);
  h.record_count = Read32(b, 4);
  h.record_length = Read16(b, 10);
  h.language_driver = static_cast<std::uint8_t>(b[29]);
  const CodePage code_page = CodePage::ForLanguageDriver(h.language_driver);

  std::size_t at = kDbfHeaderSize;
  int offset = 1;
  while (true) {
    if (at >= h.header_length) Garbled(file, "field descriptors do not end with 0x0D");
    if (b[at] == kDescriptorEnd) break;
    if (at + kDbfDescriptorSize > h.header_length) Garbled(file, "field descriptors do not end with 0x0D");
    DbfField f = ParseDescriptor(b.substr(at, kDbfDescriptorSize), static_cast<int>(h.fields.size()),
                                 offset, code_page, file);
    offset += f.length;
    h.fields.push_back(std::move(f));
    at += kDbfDescriptorSize;
  }
  if (h.fields.empty()) Garbled(file, "没有字段");
  if (offset > h.record_length) {
    Garbled(file, "记录长度" + std::to_string(h.record_length) + "小于各字段的" + std::to_string(offset) + "个字节");
  }
  const std::uint64_t needed =
      h.header_length + static_cast<std::uint64_t>(h.record_count) * h.record_length;
  if (needed > file_size) {
    Garbled(file, "文件不完整：表头记有" + std::to_string(h.record_count) + "条" + std::to_string(h.record_length) +
                      "字节的记录，文件却只有" + std::to_string(file_size) + "个字节");
  }
  return h;
}

DbfHeader MakeDbfHeader(const FieldDefs& defs, const std::filesystem::path& file, const CodePage& code_page) {
  if (defs.empty()) {
    RefuseFieldCount(file, "没有字段，不能存为dBase表");
  }
  if (defs.size() > static_cast<std::size_t>(kMaxDbfFields)) {
    RefuseFieldCount(file, "有" + std::to_string(defs.size()) + "个字段，dBase表最多只能有" +
                               std::to_string(kMaxDbfFields) + "个字段");
  }
  DbfHeader h;
  h.language_driver = code_page.LanguageDriver();
  std::unordered_set<std::string, text::AsciiCaseInsensitiveHash, text::AsciiCaseInsensitiveEqual> names;
  int offset = 1;
  for (const FieldDef& def : defs) {
    DbfField f = MapFieldDef(def, file, code_page);
    if (!names.insert(f.name).second) {
      BadDefinition(EngineError::Kind::InvalidName, file, f.name, "字段名重复（不区分大小写）");
    }
    f.offset = offset;
    offset += f.length;
    h.fields.push_back(std::move(f));
  }
  h.version = h.has_memo() ? 0x8B : 0x03;
  h.header_length = static_cast<std::uint16_t>(kDbfHeaderSize + kDbfDescriptorSize * h.fields.size() + 1);
  h.record_length = static_cast<std::uint16_t>(offset);
  return h;
}

std::string EncodeDateAndCount(std::uint32_t record_count) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string b(7, '\0');
  b[0] = static_cast<char>(local.tm_year);  // years since 1900
  b[1] = static_cast<char>(local.tm_mon + 1);
  b[2] = static_cast<char>(local.tm_mday);
  for (int i = 0; i < 4; ++i) b[3 + i] = static_cast<char>((record_count >> (8 * i)) & 0xFF);
  return b;
}

std::string EncodeDbfHeader(const DbfHeader& h) {
  std::string b(h.header_length, '\0');
  b[0] = static_cast<char>(h.version);
  b.replace(1, 7, EncodeDateAndCount(h.record_count));
  Put16(b, 8, h.header_length);
  Put16(b, 10, h.record_length);
  b[29] = static_cast<char>(h.language_driver);
  std::size_t at = kDbfHeaderSize;
  const CodePage code_page = CodePage::ForLanguageDriver(h.language_driver);
  for (const DbfField& f : h.fields) {
    const std::string name = code_page.Encode(f.name);  // at most 10 bytes, checked when made
    b.replace(at, name.size(), name);
    b[at + 11] = f.type;
    b[at + 16] = static_cast<char>(f.length);
    b[at + 17] = static_cast<char>(f.decimals);
    at += kDbfDescriptorSize;
  }
  b[at] = kDescriptorEnd;
  return b;
}

FieldDefs ToFieldDefs(const std::vector<DbfField>& fields) {
  FieldDefs defs;
  for (const DbfField& f : fields) {
    FieldDef d{f.name, FieldType::String, f.length, 0};
    switch (f.type) {
      case 'N': case 'F': d.type = FieldType::Float; d.decimals = f.decimals; break;
      case 'D': d.type = FieldType::Date; d.size = 0; break;
      case 'L': d.type = FieldType::Boolean; d.size = 0; break;
      case 'M': d.type = FieldType::Memo; d.size = 0; break;
      default: break;
    }
    defs.push_back(std::move(d));
  }
  return defs;
}

}  // namespace veltra::formats
