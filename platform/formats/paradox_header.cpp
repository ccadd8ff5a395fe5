#include "platform/formats/paradox_header.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/formats/paradox_codec.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats::paradox {
namespace {

constexpr std::size_t kExtendedHeaderEnd = 0x78;
constexpr std::uint8_t kFirstExtendedVersion = 5;
constexpr std::uint32_t kNoEncryptionV4 = 0xFF00FF00;
constexpr int kMaxFields = 255;
constexpr int kMaxFieldNameBytes = 25;
constexpr int kBlobTail = 10;
constexpr int kMaxLeader = 240;
constexpr int kBcdWidth = 17;
constexpr int kMaxBcdDecimals = 32;
constexpr int kHeaderUnit = 0x800;
constexpr std::uint8_t kSortOrderGbk = 0x6A;

struct TypeInfo {
  std::uint8_t code;
  char letter;
  FieldType type;
  int fixed_width;  // 0: the size byte is the width (A, Y, blobs) or decimals (#)
};

constexpr std::array<TypeInfo, 17> kTypes{{
    {0x01, 'A', FieldType::String, 0},  {0x02, 'D', FieldType::Date, 4},
    {0x03, 'S', FieldType::SmallInt, 2}, {0x04, 'I', FieldType::Integer, 4},
    {0x05, '$', FieldType::Money, 8},   {0x06, 'N', FieldType::Float, 8},
    {0x09, 'L', FieldType::Boolean, 1}, {0x0C, 'M', FieldType::Memo, 0},
    {0x0D, 'B', FieldType::Blob, 0},    {0x0E, 'F', FieldType::FmtMemo, 0},
    {0x0F, 'O', FieldType::Ole, 0},     {0x10, 'G', FieldType::Graphic, 0},
    {0x14, 'T', FieldType::Time, 4},    {0x15, '@', FieldType::DateTime, 8},
    {0x16, '+', FieldType::AutoInc, 4}, {0x17, '#', FieldType::Bcd, kBcdWidth},
    {0x18, 'Y', FieldType::Bytes, 0},
}};

const TypeInfo* TypeByCode(std::uint8_t code) {
  for (const TypeInfo& t : kTypes) {
    if (t.code == code) return &t;
  }
  return nullptr;
}

const TypeInfo& TypeByFieldType(FieldType type) {
  return *std::find_if(kTypes.begin(), kTypes.end(),
                       [type](const TypeInfo& t) { return t.type == type; });
}

// The sort orders (language drivers) the format is known to use, with the
// code page of their text. A character set that no DOS or Windows code page
// number names (HP Roman-8) is given by the sort order alone, whatever
// number the header holds. For each code page the first entry is the one
// written.
struct SortOrder {
  std::uint8_t id;
  const char* name;
  int code_page;
  bool decides_code_page;
};

constexpr std::array<SortOrder, 7> kSortOrders{{
    {kSortOrderGbk, "", kCodePageGbk, false},
    {0x62, "ANSIINTL", 1252, false},
    {0xB7, "intl", 437, false},
    {0x00, "ascii", 850, false},
    {0x11, "ANSII850", 1252, false},
    {0x40, "DBWINWE0", 1252, false},
    {0x14, "ROMAN8", kCodePageRoman8, true},
}};
constexpr int kCodePageOfUnknownSortOrder = 437;

const SortOrder* FindSortOrder(std::uint8_t id) {
  for (const SortOrder& s : kSortOrders) {
    if (s.id == id) return &s;
  }
  return nullptr;
}

// The sort order we write with a code page; readers of level 7 take the
// code page itself from the header.
const SortOrder& SortOrderOfCodePage(int code_page) {
  for (const SortOrder& s : kSortOrders) {
    if (s.code_page == code_page) return s;
  }
  return *FindSortOrder(0x00);
}

// `what` says in the user's words what is wrong with the file.
[[noreturn]] void Corrupt(const std::filesystem::path& path, const std::string& what) {
  ErrorSubject subject;
  subject.table = path.string();
  subject.reason = what;
  throw EngineError(EngineError::Kind::FileFormat, path.string() + ": " + what, subject);
}

// Width of a field in the record, or 0 when the descriptor is impossible.
int WidthOf(const TypeInfo& t, int size_byte) {
  if (t.type == FieldType::Bcd) return size_byte <= kMaxBcdDecimals ? kBcdWidth : 0;
  if (t.fixed_width != 0) return size_byte == t.fixed_width ? t.fixed_width : 0;
  if (IsBlobType(t.type)) return size_byte >= kBlobTail && size_byte <= kMaxLeader + kBlobTail ? size_byte : 0;
  return size_byte;  // A, Y: 1..255
}

FieldDef DefOf(const TypeInfo& t, int size_byte, std::string name) {
  FieldDef def{std::move(name), t.type, 0, 0};
  if (t.type == FieldType::String || t.type == FieldType::Bytes || t.type == FieldType::Bcd) {
    def.size = size_byte;
  } else if (IsBlobType(t.type)) {
    def.size = size_byte - kBlobTail;
  }
  return def;
}

std::size_t TableNameLength(std::uint8_t version) { return version >= kVersion7 ? 261 : 79; }

std::size_t VariablePartStart(std::uint8_t version) {
  return version >= kFirstExtendedVersion ? kExtendedHeaderEnd : kFixedHeaderSize;
}

void CheckNotEncrypted(std::string_view b, std::uint8_t version, const std::filesystem::path& path) {
  const std::uint32_t key = version >= kFirstExtendedVersion ? LoadLe32(b.data() + 0x5C)
                                                             : LoadLe32(b.data() + 0x25);
  if (key != 0 && !(version < kFirstExtendedVersion && key == kNoEncryptionV4)) {
    ErrorSubject subject;
    subject.table = path.string();
    subject.reason = "设有密码，本系统不能打开：请先在原系统中去掉它的密码";
    throw EngineError(EngineError::Kind::Unsupported, path.string() + " is password protected", subject);
  }
}

}  // namespace

std::size_t HeaderSizeField(std::string_view fixed_part) { return LoadLe16(fixed_part.data() + 2); }

int CodePageOfTable(std::uint8_t sort_order, int code_page_field) {
  const SortOrder* known = FindSortOrder(sort_order);
  if (known && (known->decides_code_page || code_page_field == 0)) return known->code_page;
  return code_page_field != 0 ? code_page_field : kCodePageOfUnknownSortOrder;
}

ParadoxHeader ParseHeader(std::string_view b, std::uint64_t file_size, const std::filesystem::path& path) {
  if (b.size() < kFixedHeaderSize) Corrupt(path, "文件比表头还短");
  ParadoxHeader h;
  h.record_size = LoadLe16(b.data());
  h.header_size = LoadLe16(b.data() + 2);
  h.file_type = static_cast<std::uint8_t>(b[4]);
  h.block_size = static_cast<unsigned char>(b[5]) * 1024;
  h.record_count = LoadLe32(b.data() + 6);
  h.blocks_in_use = LoadLe16(b.data() + 0x0A);
  h.file_blocks = LoadLe16(b.data() + 0x0C);
  h.first_block = LoadLe16(b.data() + 0x0E);
  h.last_block = LoadLe16(b.data() + 0x10);
  const auto field_count = static_cast<std::int16_t>(LoadLe16(b.data() + 0x21));
  h.key_field_count = static_cast<std::int16_t>(LoadLe16(b.data() + 0x23));
  h.version = static_cast<std::uint8_t>(b[0x39]);
  h.auto_increment = LoadLe32(b.data() + 0x49);

  if (h.version < 3 || h.version > kVersion7) Corrupt(path, "文件版本" + std::to_string(h.version) + "未知");
  if (h.file_type != kFileTypeKeyed && h.file_type != kFileTypeUnkeyed) {
    Corrupt(path, "文件类型" + std::to_string(h.file_type) + "不是数据表");
  }
  if (h.header_size < static_cast<int>(VariablePartStart(h.version)) ||
      static_cast<std::uint64_t>(h.header_size) > file_size || static_cast<std::size_t>(h.header_size) > b.size()) {
    Corrupt(path, "表头长度" + std::to_string(h.header_size) + "与文件不符");
  }
  if (h.block_size < 1024 || h.block_size > 32 * 1024) Corrupt(path, "数据块大小不可能");
  if (field_count < 1 || field_count > kMaxFields) Corrupt(path, "字段数" + std::to_string(field_count) + "不可能");
  if (h.key_field_count < 0 || h.key_field_count > field_count) Corrupt(path, "关键字段数不可能");
  CheckNotEncrypted(b, h.version, path);

  h.sort_order = static_cast<std::uint8_t>(b[0x29]);
  h.code_page_field = h.version >= kFirstExtendedVersion ? LoadLe16(b.data() + 0x6A) : 0;
  h.code_page = CodePageOfTable(h.sort_order, h.code_page_field);
  const CodePage code_page = CodePage::ForNumber(h.code_page);

  const std::size_t n = static_cast<std::size_t>(field_count);
  const std::size_t types_at = VariablePartStart(h.version);
  const std::size_t names_at = types_at + 2 * n + 4 + 4 * n + TableNameLength(h.version);
  const std::string_view header = b.substr(0, static_cast<std::size_t>(h.header_size));
  if (names_at >= header.size()) Corrupt(path, "字段说明超出了表头");

  std::size_t name_pos = names_at;
  int record_size = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto code = static_cast<std::uint8_t>(header[types_at + 2 * i]);
    const int size_byte = static_cast<unsigned char>(header[types_at + 2 * i + 1]);
    const TypeInfo* type = TypeByCode(code);
    if (type == nullptr) Corrupt(path, "第" + std::to_string(i + 1) + "个字段的类型代码" + std::to_string(code) + "未知");
    const int width = WidthOf(*type, size_byte);
    if (width == 0) Corrupt(path, "第" + std::to_string(i + 1) + "个字段的长度" + std::to_string(size_byte) + "不可能");
    const std::size_t end = header.find('\0', name_pos);
    if (end == std::string_view::npos) Corrupt(path, "字段名超出了表头");
    std::string name;
    try {
      name = code_page.Decode(header.substr(name_pos, end - name_pos));
    } catch (const text::TextError& e) {
      Corrupt(path, "第" + std::to_string(i + 1) + "个字段的名称无法识别：" + e.what());
    }
    name_pos = end + 1;
    h.fields.push_back({type->letter, width, size_byte, DefOf(*type, size_byte, std::move(name))});
    record_size += width;
  }
  if (record_size != h.record_size) {
    Corrupt(path, "记录长度" + std::to_string(h.record_size) + "不等于各字段长度之和" + std::to_string(record_size));
  }
  if (h.record_size > h.block_size - 6) Corrupt(path, "一条记录放不进一个数据块");
  // The language driver's name follows the field numbers.
  const std::size_t sort_order_id_at = name_pos + 2 * n;
  if (sort_order_id_at < header.size()) {
    const std::size_t end = header.find('\0', sort_order_id_at);
    if (end != std::string_view::npos) h.sort_order_id = header.substr(sort_order_id_at, end - sort_order_id_at);
  }
  return h;
}

ParadoxField DescribeField(const FieldDef& def) {
  const auto refuse = [&](EngineError::Kind kind, const std::string& what) {
    ErrorSubject subject;
    subject.field = def.name;
    subject.reason = what;
    throw EngineError(kind, "field " + def.name + ": " + what, subject);
  };
  const auto invalid = [&](const std::string& what) { refuse(EngineError::Kind::InvalidValue, what); };
  const TypeInfo& t = TypeByFieldType(def.type);
  if (def.type == FieldType::FmtMemo || def.type == FieldType::Ole || def.type == FieldType::Graphic) {
    refuse(EngineError::Kind::Unsupported, "是" + std::string(FieldTypeWord(def.type)) + "字段，本系统只能读，不能建立");
  }
  int size_byte = t.fixed_width;
  if (def.type == FieldType::String || def.type == FieldType::Bytes) {
    if (def.size < 1 || def.size > 255) invalid("长度须为1至255个字节");
    size_byte = def.size;
  } else if (def.type == FieldType::Bcd) {
    if (def.size < 0 || def.size > kMaxBcdDecimals) invalid("压缩十进制字段的小数位数须为0至32");
    size_byte = def.size;
  } else if (IsBlobType(def.type)) {
    const int min_leader = def.type == FieldType::Memo ? 1 : 0;
    if (def.size < min_leader || def.size > kMaxLeader) {
      invalid("存在记录中的部分须为" + std::to_string(min_leader) + "至240个字节");
    }
    size_byte = def.size + kBlobTail;
  }
  return {t.letter, WidthOf(t, size_byte), size_byte, def};
}

ParadoxHeader NewHeader(const FieldDefs& fields, int code_page) {
  if (fields.empty() || fields.size() > kMaxFields) {
    ErrorSubject subject;
    subject.reason = "Paradox表须有1至" + std::to_string(kMaxFields) + "个字段，这里有" + std::to_string(fields.size()) + "个";
    throw EngineError(EngineError::Kind::InvalidValue, subject.reason, subject);
  }
  ParadoxHeader h;
  h.code_page = h.code_page_field = code_page;
  const SortOrder& sort_order = SortOrderOfCodePage(code_page);
  h.sort_order = sort_order.id;
  h.sort_order_id = sort_order.name;
  const CodePage encoding = CodePage::ForNumber(code_page);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& name = fields[i].name;
    const auto bad_name = [&](const std::string& why) {
      ErrorSubject subject;
      subject.value = name;
      subject.reason = why;
      throw EngineError(EngineError::Kind::InvalidName, "Paradox field name " + name + ": " + why, subject);
    };
    if (name.empty() || name.front() == ' ') bad_name("字段名不能为空，也不能以空格开头");
    try {
      if (encoding.Encode(name).size() > kMaxFieldNameBytes) bad_name("Paradox字段名最长25个字节");
    } catch (const text::TextError&) {
      bad_name("含有代码页" + std::to_string(code_page) + "不能存放的字符");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (text::EqualsIgnoreAsciiCase(fields[j].name, name)) bad_name("字段名重复（不区分大小写）");
    }
    h.fields.push_back(DescribeField(fields[i]));
    h.record_size += h.fields.back().width;
  }
  // The block of 4 to 32 KiB that wastes the smallest share on its tail.
  double least_waste = 1.0;
  for (int size = 4096; size <= 32 * 1024; size *= 2) {
    const int per_block = (size - 6) / h.record_size;
    const double waste = static_cast<double>(size - per_block * h.record_size) / size;
    if (per_block > 0 && waste < least_waste - 0.01) {
      least_waste = waste;
      h.block_size = size;
    }
  }
  if (h.block_size == 0) {
    ErrorSubject subject;
    subject.reason = "一条记录有" + std::to_string(h.record_size) + "个字节，Paradox表的数据块放不下";
    throw EngineError(EngineError::Kind::InvalidValue, subject.reason, subject);
  }
  return h;
}

std::string SerializeHeader(ParadoxHeader& h) {
  const std::size_t n = h.fields.size();
  std::string vars;
  for (const ParadoxField& f : h.fields) {
    vars += static_cast<char>(TypeByFieldType(f.def.type).code);
    vars += static_cast<char>(f.size_byte);
  }
  vars.append(4 + 4 * n + TableNameLength(h.version), '\0');
  const CodePage encoding = CodePage::ForNumber(h.code_page);
  for (const ParadoxField& f : h.fields) {
    vars += encoding.Encode(f.def.name);
    vars += '\0';
  }
  const std::size_t variable_part_at = VariablePartStart(h.version);
  const std::size_t field_numbers_at = variable_part_at + vars.size();
  for (std::size_t i = 0; i < n; ++i) {
    char number[2];
    StoreLe16(number, static_cast<std::uint16_t>(i + 1));
    vars.append(number, 2);
  }
  const std::size_t sort_order_id_at = variable_part_at + vars.size();
  vars += h.sort_order_id;  // none is known for code page 936
  vars += '\0';
  const std::size_t real_size = variable_part_at + vars.size();
  h.header_size = static_cast<int>((real_size + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit);
  h.file_type = kFileTypeUnkeyed;
  const bool extended = h.version >= kFirstExtendedVersion;

  std::string out(static_cast<std::size_t>(h.header_size), '\0');
  char* p = out.data();
  StoreLe16(p + 0x00, static_cast<std::uint16_t>(h.record_size));
  StoreLe16(p + 0x02, static_cast<std::uint16_t>(h.header_size));
  p[0x04] = static_cast<char>(kFileTypeUnkeyed);
  p[0x05] = static_cast<char>(h.block_size / 1024);
  StoreLe16(p + 0x12, 1);
  StoreLe16(p + 0x21, static_cast<std::uint16_t>(n));
  // Level 3 marks an unencrypted table with 0 here, later levels at 0x5C.
  StoreLe32(p + 0x25, extended ? kNoEncryptionV4 : 0);
  p[0x29] = static_cast<char>(h.sort_order);
  p[0x2D] = 1;
  p[0x2E] = 1;
  p[0x39] = static_cast<char>(h.version);
  p[0x3E] = 0x1F;
  p[0x3F] = 0x0F;
  StoreLe16(p + 0x51, static_cast<std::uint16_t>(real_size));
  if (extended) {
    p[0x56] = 0x20;
    StoreLe16(p + 0x58, static_cast<std::uint16_t>(0x0100 | h.version));
    StoreLe16(p + 0x5A, static_cast<std::uint16_t>(0x0100 | h.version));
    StoreLe16(p + 0x64, static_cast<std::uint16_t>(n + 1));
    StoreLe16(p + 0x66, static_cast<std::uint16_t>(field_numbers_at - kFixedHeaderSize));
    StoreLe16(p + 0x6A, static_cast<std::uint16_t>(h.code_page_field));
    p[0x6C] = 1;
    p[0x6D] = 1;
    StoreLe16(p + 0x6E, static_cast<std::uint16_t>(sort_order_id_at - kFixedHeaderSize));
  }
  std::memcpy(p + variable_part_at, vars.data(), vars.size());
  StoreCounts(h, p);
  return out;
}

void StoreCounts(const ParadoxHeader& h, char* p) {
  StoreLe32(p + 0x06, h.record_count);
  StoreLe16(p + 0x0A, static_cast<std::uint16_t>(h.blocks_in_use));
  StoreLe16(p + 0x0C, static_cast<std::uint16_t>(h.file_blocks));
  StoreLe16(p + 0x0E, static_cast<std::uint16_t>(h.first_block));
  StoreLe16(p + 0x10, static_cast<std::uint16_t>(h.last_block));
  StoreLe16(p + 0x3A, static_cast<std::uint16_t>(h.file_blocks));
  StoreLe32(p + 0x49, h.auto_increment);
}

}  // namespace veltra::formats::paradox
