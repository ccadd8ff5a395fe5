#pragma once
// The header and field descriptors of a dBase III/IV table (.dbf), and the
// mapping between the engine's field definitions and dBase fields.
//
// Field definitions are written as:
//   String n            C n (1..254)
//   Memo                M (text in the .dbt memo file)
//   Float               N size.decimals when the definition carries a dBase
//                       width (size 1..20); else N 20.6, which keeps six
//                       decimals of values below 10^13 exactly as typed
//   Money               N 20.2
//   Bcd                 N 20.size (size = decimals, at most 18)
//   SmallInt            N 6.0;  Integer, AutoInc  N 11.0
//   Date                D;      Boolean           L
//   Time, DateTime      C 12 / C 23 holding "HH:MM:SS" / "YYYY-MM-DD HH:MM:SS"
//                       (".mmm" after the seconds when they are not whole)
// Binary types (FmtMemo, Blob, Graphic, Ole, Bytes) have no dBase III/IV
// field: a formatted memo holds formatted binary data, not text.
// dbase_number_widths.h widens number fields to the values they will hold.
// Names are stored as given, in the table's code page; dbase_names.h says
// which names can be stored. Readers compare them case-insensitively.
//
// Read back, C and M give String n / Memo, N and F give Float with
// size = width and decimals, D Date, L Boolean.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/types/field.h"

namespace veltra::formats {

constexpr std::size_t kDbfHeaderSize = 32;
constexpr std::size_t kDbfDescriptorSize = 32;
constexpr int kMaxDbfFields = 255;
constexpr int kMaxDbfNumberWidth = 20;  // N and F, sign and point included
constexpr int kMaxDbfDecimals = 18;

struct DbfField {
  std::string name;
  char type = 'C';  // C N F D L M
  int length = 0;
  int decimals = 0;
  int offset = 0;  // within the record, after the deletion flag
};

struct DbfHeader {
  std::uint8_t version = 0x03;
  std::uint8_t language_driver = kLanguageDriverGbk;
  std::uint32_t record_count = 0;
  std::uint16_t header_length = 0;
  std::uint16_t record_length = 0;
  std::vector<DbfField> fields;

  bool has_memo() const;
  // dBase III+ memo files end each memo with 0x1A; every other memo
  // version uses the dBase IV block head.
  bool dbase3_memo() const { return version == 0x83; }
};

// Size of the fixed header plus descriptors, from the first 32 bytes.
// Throws EngineError FileFormat naming `file`.
std::uint16_t ParseHeaderLength(std::string_view first_32_bytes, const std::filesystem::path& file);

// Parses the whole header (header_length bytes); checks every count and
// length against each other and against `file_size`.
DbfHeader ParseDbfHeader(std::string_view bytes, std::uint64_t file_size,
                         const std::filesystem::path& file);

struct DbfNumberWidth {
  int length = 0;
  int decimals = 0;
};

// The N field of a numeric definition (Float, Money, Bcd, SmallInt,
// Integer, AutoInc) as mapped above.
DbfNumberWidth DefaultDbfNumberWidth(const FieldDef& def);

// Header and descriptors for `defs` in a table of `code_page`. Throws
// EngineError InvalidName for a name dBase cannot store (or one used
// twice), InvalidValue for a size it cannot hold, Unsupported for a binary
// type; each message, in Chinese, names `file` and the field.
DbfHeader MakeDbfHeader(const FieldDefs& defs, const std::filesystem::path& file,
                        const CodePage& code_page = CodePage::Gbk());

// The 32 header bytes, descriptors and terminator, dated today.
std::string EncodeDbfHeader(const DbfHeader& header);
// Bytes 1-7 (update date and record count), rewritten after each change.
std::string EncodeDateAndCount(std::uint32_t record_count);

FieldDefs ToFieldDefs(const std::vector<DbfField>& fields);

}  // namespace veltra::formats
