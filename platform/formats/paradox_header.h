#pragma once
// The header of a Paradox data file (.db): fixed part, extended part of
// level 4 and later, field descriptors and names. Parsing checks every
// offset and count against the bytes at hand; serialising produces an
// unkeyed table of the header's level (7 for every table we create).
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/types/field.h"

namespace veltra::formats::paradox {

// Bytes of the fixed header part, which holds every count.
inline constexpr std::size_t kFixedHeaderSize = 0x58;
inline constexpr std::uint8_t kVersion7 = 0x0C;
inline constexpr std::uint8_t kFileTypeKeyed = 0;
inline constexpr std::uint8_t kFileTypeUnkeyed = 2;

struct ParadoxField {
  char type_code = 0;  // the type letter: A N $ S I + # D T @ L M B F O G Y
  int width = 0;       // bytes in the record
  int size_byte = 0;   // as stored in the descriptor (decimals for #)
  FieldDef def;
};

struct ParadoxHeader {
  int record_size = 0;
  int header_size = 0;
  std::uint8_t file_type = kFileTypeUnkeyed;
  int block_size = 0;  // bytes
  std::uint32_t record_count = 0;
  int blocks_in_use = 0;
  int file_blocks = 0;
  int first_block = 0;
  int last_block = 0;
  int key_field_count = 0;
  std::uint8_t version = kVersion7;
  std::uint32_t auto_increment = 0;  // last value handed out by a + field
  int code_page = kCodePageGbk;       // of the text, as read
  // As the file holds them, kept when it is rewritten.
  int code_page_field = kCodePageGbk;  // 0x6A of level 4 and later; 0: none
  std::uint8_t sort_order = 0;
  std::string sort_order_id;  // the language driver's name, in the header's bytes
  std::vector<ParadoxField> fields;
};

// Bytes of the fixed part needed to learn the full header size.
std::size_t HeaderSizeField(std::string_view fixed_part);

// The code page of a table's text from its sort order byte and the code
// page its header holds (0: none, as in level 3).
int CodePageOfTable(std::uint8_t sort_order, int code_page_field);

// Parses `bytes` (at least the whole header). Text of field names is decoded
// in the table's code page. Throws EngineError FileFormat naming `path`, and
// Unsupported for an encrypted table.
ParadoxHeader ParseHeader(std::string_view bytes, std::uint64_t file_size,
                          const std::filesystem::path& path);

// The descriptor of `def` in a level 7 table: type letter, width, size byte.
// Throws EngineError InvalidValue (impossible size) or Unsupported (a type
// that is only read) naming the field.
ParadoxField DescribeField(const FieldDef& def);

// Builds a level 7 unkeyed header for these fields, their names and text
// in `code_page` (936 for every table we create).
ParadoxHeader NewHeader(const FieldDefs& fields, int code_page = kCodePageGbk);

// The full header bytes of an unkeyed table of the header's level, sort
// order and code page (header_size of them, which this sets).
std::string SerializeHeader(ParadoxHeader& header);

// Rewrites the counts of the fixed part (records, blocks, auto-increment)
// inside serialised header bytes.
void StoreCounts(const ParadoxHeader& header, char* fixed_part);

}  // namespace veltra::formats::paradox
