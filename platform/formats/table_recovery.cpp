#include "platform/formats/table_recovery.h"

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

fs::path IntentPathFor(const fs::path& table) {
  return table.parent_path() / ("." + table.filename().string() + ".replace");
}

// Renames still to be done: (temporary, target) file names in the table's
// folder; an empty temporary removes the target.
std::vector<std::pair<std::string, std::string>> ParseIntent(const std::string& intent) {
  std::vector<std::pair<std::string, std::string>> renames;
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

void RollForward(const fs::path& table) {
  const fs::path intent = IntentPathFor(table);
  std::error_code error;
  if (!fs::exists(intent, error)) return;
  const fs::path folder = table.parent_path();
  const auto renames = ParseIntent(ReadWholeFile(intent));
  for (const auto& [temporary, target] : renames) {
    if (!IsFileOfTableSet(table, target)) RefuseForeignName(table, "替换记录", target);
    const bool own_temporary = temporary.find('/') == std::string::npos && IsTemporaryFor(temporary, target);
    if (!temporary.empty() && !own_temporary) RefuseForeignName(table, "替换记录", temporary);
  }
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
  std::error_code error;
  for (const NewTableFile& file : files) {
    if (fs::exists(file.target, error)) RefuseReplacingReadOnly(file.target);
  }
  std::vector<fs::path> temporaries;
  std::string intent;
  const fs::path intent_path = IntentPathFor(table);
  try {
    for (const NewTableFile& file : files) {
      std::string temporary;
      if (file.write_temporary) {
        temporaries.push_back(file.write_temporary());
        temporary = temporaries.back().filename().string();
      }
      intent += temporary + "\t" + file.target.filename().string() + "\n";
    }
    intent += kIntentEnd;
    RandomAccessFile file(intent_path, RandomAccessFile::Mode::CreateNew);
    file.WriteAt(0, intent);
    file.Sync();
    SyncFolder(table.parent_path());  // the temporaries and the intent, before any rename
  } catch (...) {
    std::error_code ignored;
    for (const fs::path& temporary : temporaries) fs::remove(temporary, ignored);
    fs::remove(intent_path, ignored);
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

void RecoverTableFiles(const fs::path& table) {
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

}  // namespace veltra::formats
