#pragma once
// One field of a dBase record in its stored text form (C, N, F, D, L; the
// M field's block pointer). Memo text itself lives in dbase_memo.h.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/formats/code_page.h"
#include "platform/formats/dbase_header.h"
#include "platform/types/value.h"

namespace veltra::formats {

// What is wrong with one cell; the table adds the file, record and field.
// Refusals of a value to write say why in the user's words.
class CellError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value of a C, N, F, D or L cell (`raw` is exactly the field's
// length). Blank cells, N filled with '*' (overflow), D "00000000" and
// L '?' are null.
Value DecodeCell(const DbfField& field, std::string_view raw, const CodePage& code_page);

// The stored bytes of `value` in a C, N, F, D or L field. Text too wide is
// cut on a character boundary; a character the code page lacks is a
// text::TextError; a number too wide for its field or a value of the wrong
// kind is a CellError.
std::string EncodeCell(const DbfField& field, const Value& value, const CodePage& code_page);

// The block number an M cell points to; nullopt when it is blank (or 0).
std::optional<std::uint32_t> DecodeMemoPointer(std::string_view raw);
std::string EncodeMemoPointer(std::optional<std::uint32_t> block);

}  // namespace veltra::formats
