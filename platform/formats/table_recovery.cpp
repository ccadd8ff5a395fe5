#include "platform/formats/table_recovery.h"

#include <functional>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/formats/file_io.h"
#include "platform/formats/rollback_journal.h"
#include "platform/formats/table_set.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace fs = std::filesystem;
namespace {

// Closes the intent; without it the intent is torn and nothing was renamed.
constexpr std::string_view kIntentEnd = "end\n";

// Renames still to be done: (temporary, target) file names in the folder;
// an empty temporary removes the target.
using Renames = std::vector<std::pair<std::string, std::string>>;

fs::path IntentPathFor(const fs::path& table) {
  return table.parent_path() / ("." + table.filename().string() + ".replace");
}

fs::path SetIntentPathFor(const fs::path& folder) { return folder / std::string(kSetIntentName); }

Renames ParseIntent(const std::string& intent) {
  Renames renames;
  if (intent.size() < kIntentEnd.size() || intent.compare(intent.size() - kIntentEnd.size(), kIntentEnd.size(), kIntentEnd) != 0) {
    return renames;
  }
  std::istringstream lines(intent.substr(0, intent.size() - kIntentEnd.size()));
  for (std::string line; std::getline(lines, line);) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) renames.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return renames;
}

// The first name of `renames` that is not a target `own_target` accepts
// or a temporary made for its target in `folder`, or empty. A temporary is
// never a symbolic link, which renamed into place would steer later
// writes outside the folder.
std::string ForeignName(const fs::path& folder, const Renames& renames,
                        const std::function<bool(const std::string&)>& own_target) {
  for (const auto& [temporary, target] : renames) {
    if (!own_target(target)) return target;
    std::error_code error;
    const bool own_temporary = IsPlainFileName(temporary) && IsTemporaryFor(temporary, target) &&
                               !fs::is_symlink(fs::symlink_status(folder / temporary, error));
    if (!temporary.empty() && !own_temporary) return temporary;
  }
  return {};
}

// Does the renames and removals of a complete intent, then removes it.
void CarryOut(const fs::path& intent, const Renames& renames) {
  const fs::path folder = intent.parent_path();
  std::error_code error;
  for (const auto& [temporary, target] : renames) {
    if (temporary.empty()) {
      if (fs::exists(folder / target, error) && !fs::remove(folder / target, error)) {
        ThrowIo(folder / target, "remove", error.value());
      }
    } else if (fs::exists(folder / temporary, error)) {
      RenameFile(folder / temporary, folder / target);
    }
  }
  SyncFolder(folder);
  fs::remove(intent, error);
  // A torn intent renamed nothing: where the folder is read-only it may stay.
  if (error && !renames.empty()) ThrowIo(intent, "remove", error.value());
  SyncFolder(folder);  // an intent back after a power cut would remove files again
}

void RollForward(const fs::path& table) {
  const fs::path intent = IntentPathFor(table);
  std::error_code error;
  if (!fs::exists(intent, error)) return;
  const Renames renames = ParseIntent(ReadWholeFile(intent));
  const std::string foreign =
      ForeignName(intent.parent_path(), renames, [&](const std::string& target) { return IsFileOfTableSet(table, target); });
  if (!foreign.empty()) RefuseForeignName(table, "替换记录", foreign);
  CarryOut(intent, renames);
}

// Runs `action`; a failure of the set's own intent is told as `table`'s.
void ToldAsTable(const fs::path& table, const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& failure) {
    if (fs::path(failure.subject().table).filename() != kSetIntentName) throw;
    ErrorSubject subject = failure.subject();
    subject.table = table.string();
    throw EngineError(failure.kind(), failure.what(), subject);
  }
}

// Finishes the replacement of a set of tables in `folder` that was cut
// short, before any of them (`table`, about to be opened) is read.
void RollSetForward(const fs::path& folder, const fs::path& table) {
  const fs::path intent = SetIntentPathFor(folder);
  std::error_code error;
  if (!fs::exists(intent, error)) return;
  const Renames renames = ParseIntent(ReadWholeFile(intent));
  // Only the folder's own table files: no hidden bookkeeping file either.
  const std::string foreign =
      ForeignName(folder, renames, [](const std::string& target) { return IsPlainFileName(target) && target[0] != '.'; });
  if (!foreign.empty()) RefuseNameOutsideFolder(table, folder, foreign);
  ToldAsTable(table, [&] { CarryOut(intent, renames); });
}

// Refuses a target the user may not write, then writes the new files
// under temporary names, adding each to `temporaries`; the intent's lines.
std::string WriteTemporaries(const std::vector<NewTableFile>& files, std::vector<fs::path>& temporaries) {
  std::error_code error;
  for (const NewTableFile& file : files) {
    if (fs::exists(file.target, error)) RefuseReplacingReadOnly(file.target);
  }
  std::string lines;
  for (const NewTableFile& file : files) {
    std::string temporary;
    if (file.write_temporary) {
      temporaries.push_back(file.write_temporary());
      temporary = temporaries.back().filename().string();
    }
    lines += temporary + "\t" + file.target.filename().string() + "\n";
  }
  return lines;
}

// Writes a complete intent and flushes it with the folder, so that the
// temporaries and the intent are on the disk before any rename.
void WriteIntent(const fs::path& path, const std::string& lines) {
  RandomAccessFile file(path, RandomAccessFile::Mode::CreateNew);
  file.WriteAt(0, lines + std::string(kIntentEnd));
  file.Sync();
  SyncFolder(path.parent_path());
}

void RemoveAll(const std::vector<fs::path>& files) {
  std::error_code ignored;
  for (const fs::path& file : files) fs::remove(file, ignored);
}

// The name a temporary was made for, when `name` looks like one.
std::string TemporaryTarget(const std::string& name) {
  const auto tmp = name.rfind(".tmp");
  if (name.empty() || name[0] != '.' || tmp == std::string::npos || tmp < 2) return {};
  const std::string target = name.substr(1, tmp - 1);
  return IsTemporaryFor(name, target) ? target : std::string();
}

// The table a leftover intent (".<name>.replace") was made for, or empty.
std::string IntentTarget(const std::string& name) {
  constexpr std::string_view kSuffix = ".replace";
  if (name.size() <= kSuffix.size() + 1 || name[0] != '.' || !name.ends_with(kSuffix)) return {};
  return name.substr(1, name.size() - 1 - kSuffix.size());
}

void RemoveStaleTemporaries(const fs::path& table) {
  const std::string stem = table.stem().string();
  std::error_code error;
  for (fs::directory_iterator it(table.has_parent_path() ? table.parent_path() : ".", error), end;
       !error && it != end; it.increment(error)) {
    const std::string target = TemporaryTarget(it->path().filename().string());
    if (!target.empty() && text::EqualsIgnoreAsciiCase(fs::path(target).stem().string(), stem)) {
      std::error_code ignored;  // another try at the next open
      fs::remove(it->path(), ignored);
    }
  }
}

}  // namespace

void ReplaceTableFiles(const fs::path& table, const std::vector<NewTableFile>& files) {
  SettleFolderLeftovers(table.parent_path());
  std::vector<fs::path> temporaries;
  const fs::path intent = IntentPathFor(table);
  try {
    WriteIntent(intent, WriteTemporaries(files, temporaries));
  } catch (...) {
    RemoveAll(temporaries);
    std::error_code ignored;
    fs::remove(intent, ignored);
    throw;
  }
  RollForward(table);
}

void ReplaceTableFiles(const fs::path& table, const std::vector<std::pair<fs::path, std::string>>& files) {
  std::vector<NewTableFile> new_files;
  for (const auto& file : files) {
    new_files.push_back({file.first, [&file] { return WriteTemporaryFor(file.first, file.second); }});
  }
  ReplaceTableFiles(table, new_files);
}

void RecoverTableFiles(const fs::path& table, FolderOrigin origin) {
  const fs::path folder = table.has_parent_path() ? table.parent_path() : ".";
  std::error_code error;
  const auto leftovers = [&] {
    return fs::exists(SetIntentPathFor(folder), error) || fs::exists(IntentPathFor(table), error) ||
           fs::exists(JournalPathFor(table), error);
  };
  if (origin == FolderOrigin::Foreign && leftovers()) RefuseLinkedFiles(table);
  RollSetForward(folder, table);
  RollForward(table);
  RollBackInterruptedWrites(table);
  RemoveStaleTemporaries(table);
}

void SettleFolderLeftovers(const fs::path& folder) {
  const fs::path shown = folder.empty() ? "." : folder;
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(shown, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  try {
    RollSetForward(shown, shown);
  } catch (const EngineError&) {
    return;  // the set's temporaries stay with its intent, told when a table there is opened
  }
  std::set<std::string> pending;  // stems of the tables whose intent stays
  for (const std::string& name : names) {
    const std::string target = IntentTarget(name);
    if (target.empty()) continue;
    try {
      RollForward(folder / target);
    } catch (const EngineError&) {
      // Refused or failed again when that table is next used, and told then.
      pending.insert(text::ToAsciiLower(fs::path(target).stem().string()));
    }
  }
  // What is left is a temporary whose writer died before its intent.
  for (const std::string& name : names) {
    const std::string target = TemporaryTarget(name);
    if (target.empty() || pending.count(text::ToAsciiLower(fs::path(target).stem().string()))) continue;
    std::error_code ignored;
    fs::remove(folder / name, ignored);
  }
}

TableSetReplacement::~TableSetReplacement() { RemoveAll(temporaries_); }

void TableSetReplacement::Add(const fs::path& table, const std::vector<NewTableFile>& files, FolderOrigin origin) {
  const fs::path folder = table.has_parent_path() ? table.parent_path() : ".";
  if (tables_.empty()) {
    folder_ = folder;
    SettleFolderLeftovers(folder_);
  } else if (folder.lexically_normal() != folder_.lexically_normal()) {
    throw EngineError(EngineError::Kind::State, table.string() + " is not in " + folder_.string() + ", the folder of the set");
  }
  for (const NewTableFile& file : files) {
    if (!added_.insert(text::ToAsciiLower(file.target.filename().string())).second) {
      throw EngineError(EngineError::Kind::State, file.target.string() + " is already in the set");
    }
  }
  if (origin == FolderOrigin::Foreign) {
    for (const NewTableFile& file : files) RefuseLinkedFile(table, file.target);
  }
  RecoverTableFiles(table, origin);  // no old journal or intent may later act on the new files
  tables_.push_back(table);
  intent_lines_ += WriteTemporaries(files, temporaries_);
}

void TableSetReplacement::Commit() {
  if (tables_.empty()) return;
  const fs::path intent = SetIntentPathFor(folder_);
  ToldAsTable(tables_.front(), [&] {
    try {
      WriteIntent(intent, intent_lines_);
    } catch (...) {
      std::error_code ignored;
      fs::remove(intent, ignored);
      throw;
    }
  });
  temporaries_.clear();  // the intent's now, put in place by the next open if not here
  RecoverTableFiles(tables_.front());
  tables_.clear();
}

}  // namespace veltra::formats
