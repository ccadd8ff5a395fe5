#pragma once
// Checks every table format makes on a record before it touches the file.
#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/formats/table_file.h"

namespace veltra::formats {

// InvalidValue unless `record` has one value per field.
void CheckRecordWidth(const std::filesystem::path& file, const Record& record, std::size_t fields);

// A table whose memo file is missing is only read: its memo values read
// as blank, and a change could lose them. Throws FileFormat naming both files.
[[noreturn]] void RefuseChangeWithoutMemoFile(const std::filesystem::path& table, const std::filesystem::path& memo);

// A table of which some part is missing (`what`) is only read: a change
// could lose what is left of it. Throws FileFormat naming the table.
[[noreturn]] void RefuseChangeToDamagedTable(const std::filesystem::path& table, const std::string& what);

// InvalidValue for `value` of `field` that the table cannot store, `why`
// saying why in the user's words; the message names table and field.
[[noreturn]] void RefuseValue(const std::filesystem::path& table, const std::string& field, const std::string& value,
                              const std::string& why);

// InvalidValue for text of `field` that the table's code page cannot store;
// `why` (a text::TextError's message) names the character and where it is.
[[noreturn]] void RefuseUnstorableText(const std::filesystem::path& table, const std::string& field,
                                       const std::string& value, const std::string& why);

// FileFormat for record `record` (from 0) of `table` whose `field` cannot
// be read, `why` saying why in the user's words.
[[noreturn]] void RefuseDamagedRecord(const std::filesystem::path& table, std::size_t record, const std::string& field,
                                      const std::string& why);

// State error unless `position` addresses one of `count` records.
void CheckRecordPosition(const std::filesystem::path& file, std::size_t position, std::size_t count);

}  // namespace veltra::formats
