#pragma once
// dBase III/IV tables (.dbf, memos in .dbt). We write code page 936 (GBK)
// with language driver 0x4D, version 0x8B when a memo field exists (memo in
// dBase IV style) and 0x03 otherwise; a table from elsewhere keeps its own
// version, language driver and memo style when rewritten. dbase_header.h
// gives the field mapping. Deleted records (flag '*') are skipped: positions count live
// records in file order, and Remove marks a record deleted in place.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/formats/table_file.h"

namespace veltra::formats {

// Throws EngineError FileFormat (naming the file and the fault) or Io.
std::unique_ptr<TableFile> OpenDBaseTable(const std::filesystem::path& path);

// Writes the table and its memo file whole, each through a temporary file;
// nothing is written when a name, size or value is refused.
void CreateDBaseTable(const std::filesystem::path& path, const FieldDefs& fields,
                      const std::vector<Record>& records, const CodePage& code_page = CodePage::Gbk());

}  // namespace veltra::formats
