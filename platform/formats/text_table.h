#pragma once
// Text tables (.txt): a delimited GBK file with a header line of field
// names, for hand-over to spreadsheets. Layout (README, "Text tables"):
// CRLF lines, comma separated; names and text in double quotes with inner
// quotes doubled (text may hold commas and line breaks); numbers in plain
// decimal, dates YYYY-MM-DD, times HH:MM:SS, booleans True/False, all
// unquoted; null as nothing between the commas.
//
// Types are not kept: a text table reads back as String fields, each as
// wide as its widest value in GBK bytes (at least 1), holding the cells'
// text. Record-level writes rewrite the file through a temporary file.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/formats/table_file.h"

namespace veltra::formats {

// Throws EngineError FileFormat naming the file, the line and the fault.
std::unique_ptr<TableFile> OpenTextTable(const std::filesystem::path& path);

// String values are cut to their field's size on a character boundary;
// a character GBK cannot hold or a binary value is InvalidValue.
void CreateTextTable(const std::filesystem::path& path, const FieldDefs& fields,
                     const std::vector<Record>& records);

}  // namespace veltra::formats
