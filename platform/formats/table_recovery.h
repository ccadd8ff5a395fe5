#pragma once
// Whole-file replacements of a table that has companion files (a memo
// file beside it), and the repair of what a killed or failed writer left.
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace veltra::formats {

// One file of a replacement: its target, and what makes the flushed
// temporary with its new content (WriteTemporaryFor, CopyTemporaryFor);
// without one the target is removed.
struct NewTableFile {
  std::filesystem::path target;
  std::function<std::filesystem::path()> write_temporary;
};

// Replaces the files of `table` (the table itself and its companions in
// its folder) with new contents, as seen by the next open all at once:
// each content is written and flushed under a temporary name, an intent
// file (".<table name>.replace") lists the renames and removals, and is
// flushed with the folder; then they are done, the folder flushed again
// and the intent removed. A kill, power cut or failed rename part-way
// leaves the intent, which RecoverTableFiles carries out. A target the
// user may not write is refused before anything is written.
void ReplaceTableFiles(const std::filesystem::path& table, const std::vector<NewTableFile>& files);
void ReplaceTableFiles(const std::filesystem::path& table,
                       const std::vector<std::pair<std::filesystem::path, std::string>>& files);

// Before a table is opened or rewritten: finishes a replacement that was
// cut short, rolls back a group of in-place writes that was cut short,
// and removes the temporaries of the table and its companions that a
// killed writer left (".<name>.tmp<digits>", nothing else).
void RecoverTableFiles(const std::filesystem::path& table);

// Before a table is written into `folder`: finishes the cut-short
// replacements of every table there and removes the temporaries that
// killed writers left, those of names no table was made under included.
// Journals stay for their own table's next open.
void SettleFolderLeftovers(const std::filesystem::path& folder);

}  // namespace veltra::formats
