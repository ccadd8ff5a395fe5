#pragma once
// Whole-file replacements of a table that has companion files (a memo
// file beside it), and the repair of what a killed or failed writer left.
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
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

// Whether the program made the folder it writes into or another office,
// a stick or a copied backup did: there no file of a table's set that is a
// symbolic link is written through or replaced.
enum class FolderOrigin { Own, Foreign };

// Replaces the files of several tables of one folder as one set: the next
// open of any table there sees all of them old or all of them new. Each
// table's new files are written and flushed under temporary names as it
// is added; Commit lists every rename and removal of the set in one
// intent for the folder (kSetIntentName), flushed with the folder, and
// carries it out as ReplaceTableFiles does. Left uncommitted, it removes
// its temporaries and nothing is replaced.
class TableSetReplacement {
 public:
  TableSetReplacement() = default;
  ~TableSetReplacement();
  TableSetReplacement(const TableSetReplacement&) = delete;
  TableSetReplacement& operator=(const TableSetReplacement&) = delete;

  // What a killed writer left beside `table` is repaired first (the
  // folder's leftovers with the first table). Every table lies in the
  // folder of the first; a file comes once.
  void Add(const std::filesystem::path& table, const std::vector<NewTableFile>& files,
           FolderOrigin origin = FolderOrigin::Own);
  void Commit();

 private:
  std::filesystem::path folder_;
  std::vector<std::filesystem::path> tables_;
  std::set<std::string> added_;  // target names, lower case
  std::string intent_lines_;
  std::vector<std::filesystem::path> temporaries_;
};

// The intent of a set of tables replaced together, in their folder.
inline constexpr std::string_view kSetIntentName = ".replace-set";

// Before a table is opened or rewritten: finishes the replacement of a
// set of tables of its folder that was cut short, a replacement of the
// table that was cut short, rolls back a group of in-place writes that
// was cut short, and removes the temporaries of the table and its
// companions that a killed writer left (".<name>.tmp<digits>", nothing
// else). In a foreign folder with anything to recover, a file of the
// table's set that is a symbolic link is refused first.
void RecoverTableFiles(const std::filesystem::path& table, FolderOrigin origin = FolderOrigin::Own);

// Before a table is written into `folder`: finishes the cut-short
// replacements of every table there and removes the temporaries that
// killed writers left, those of names no table was made under included.
// Journals stay for their own table's next open.
void SettleFolderLeftovers(const std::filesystem::path& folder);

}  // namespace veltra::formats
