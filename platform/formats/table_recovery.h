#pragma once
// Whole-file replacements of a table that has companion files (a memo
// file beside it), and the repair of what a killed or failed writer left.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace veltra::formats {

// Replaces the files of `table` (the table itself and its companions in
// its folder) with new contents, as seen by the next open all at once:
// each content is written and flushed under a temporary name, an intent
// file (".<table name>.replace") lists the renames, then they are done
// and the intent removed. A kill or a failed rename part-way leaves the
// intent, which RecoverTableFiles carries out.
void ReplaceTableFiles(const std::filesystem::path& table,
                       const std::vector<std::pair<std::filesystem::path, std::string>>& files);

// Before a table is opened or rewritten: finishes a replacement that was
// cut short, rolls back a group of in-place writes that was cut short,
// and removes the temporaries of the table and its companions that a
// killed writer left (".<name>.tmp<digits>", nothing else).
void RecoverTableFiles(const std::filesystem::path& table);

}  // namespace veltra::formats
