#pragma once
// Paradox tables (.db with its .mb memo companion) as TableFile.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/formats/table_file.h"

namespace veltra::formats {

// Opens a table of level 3.0 to 7, keyed or not. The memo companion is
// found beside it whatever the case of its name. Writes change records in
// place when the table is unkeyed with code page 936; the first write to
// any other table (keyed, another code page) rewrites it once as such and
// removes its stale primary index (.px). Throws EngineError FileFormat for
// a damaged file, Unsupported for an encrypted one, both naming the file.
std::unique_ptr<TableFile> OpenParadoxTable(const std::filesystem::path& path);

// Writes a new level 7 unkeyed table (code page 936) and its .mb when a
// field is a memo or blob, each replaced as a whole.
void CreateParadoxTable(const std::filesystem::path& path, const FieldDefs& fields,
                        const std::vector<Record>& records);

}  // namespace veltra::formats
