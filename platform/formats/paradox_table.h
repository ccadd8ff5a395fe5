#pragma once
// Paradox tables (.db with its .mb memo companion) as TableFile.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/formats/table_file.h"
#include "platform/formats/table_recovery.h"

namespace veltra::formats {

// Opens a table of level 3.0 to 7, keyed or not. The memo companion is
// found beside it whatever the case of its name; without it the values
// kept there read as blank and every change is refused. Text is read and
// written in the table's own code page. Writes change records in place
// when the table is unkeyed; the first write to a keyed table rewrites it
// once as unkeyed and removes its stale primary index (.px), after the
// value written has been checked, so a refused write changes nothing.
// Throws EngineError FileFormat for a damaged file, Unsupported for an
// encrypted one, both naming the file.
std::unique_ptr<TableFile> OpenParadoxTable(const std::filesystem::path& path);

// Writes a new level 7 unkeyed table and its .mb when a field is a memo
// or blob, each replaced as a whole.
void CreateParadoxTable(const std::filesystem::path& path, const FieldDefs& fields,
                        const std::vector<Record>& records, int code_page = kCodePageGbk);

// The same table's files for a replacement of several tables as one set:
// the table, its memo file, and the removal of index files left beside it.
std::vector<NewTableFile> NewParadoxTableFiles(const std::filesystem::path& path, const FieldDefs& fields,
                                               const std::vector<Record>& records, int code_page = kCodePageGbk);

}  // namespace veltra::formats
