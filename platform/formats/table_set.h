#pragma once
// The files of a table's set: the table and its companions (memo file,
// indexes), named by its stem, in its folder. Journals and intents name
// the files they act on; a folder from another office may carry crafted
// ones, so recovery acts on nothing outside the set.
#include <filesystem>
#include <string_view>

namespace veltra::formats {

// Whether `name`, as read from a leftover, names a file of the folder it
// lies in: no folder, no `..`, no absolute path.
bool IsPlainFileName(std::string_view name);

// Whether `name`, as read from a leftover of `table`, is the plain file
// name of a file of the table's set: no folder, no `..`, the table's stem.
bool IsFileOfTableSet(const std::filesystem::path& table, std::string_view name);

// Refuses `leftover` (what a killed writer of `table` left, as the user
// would call it) as damaged because it names `name`; nothing is touched.
[[noreturn]] void RefuseForeignName(const std::filesystem::path& table, std::string_view leftover, std::string_view name);
// In a folder from elsewhere (another office's submission, a backup
// folder) a file of `table`'s set that is a symbolic link could steer a
// write outside the folder: refuses `file` when it is one, naming it.
void RefuseLinkedFile(const std::filesystem::path& table, const std::filesystem::path& file);
// The same for every file of the table's set in its folder.
void RefuseLinkedFiles(const std::filesystem::path& table);

// The same for the leftover of a set of tables replaced together in
// `folder`, found when `table` was opened.
[[noreturn]] void RefuseNameOutsideFolder(const std::filesystem::path& table, const std::filesystem::path& folder,
                                          std::string_view name);

}  // namespace veltra::formats
