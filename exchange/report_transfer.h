#pragma once
// The maintenance window's transfer of survey tables: backup into bak\,
// restore from it, export of single tables to files the user names, and
// the writing of a submission folder. Copies and new tables replace their
// target as a whole, so a failure part-way leaves the old target intact.
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/table.h"
#include "platform/formats/table_recovery.h"

namespace veltra::exchange {

enum class TransferMode {
  Backup = 0,      // working folder -> bak\, byte copy
  Restore = 1,     // bak\ -> working folder, byte copy
  Export = 2,      // working folder -> a file chosen in the save dialog
  Submission = 3,  // working folder -> the path the caller gives
};

// One report type of the maintenance list: its tables in transfer order,
// the export dialog title of each, and the index companions that backup
// and restore carry after them.
struct ReportItem {
  const char* caption;
  std::vector<std::string> tables;
  std::vector<std::string> export_titles;
  std::vector<std::string> companions;
};

inline constexpr std::size_t kReportItemCount = 11;
// Item i is report kind i + 1.
const std::array<ReportItem, kReportItemCount>& ReportItems();

class ReportTransfer {
 public:
  // `table` is the window's scratch table, which export opens on each source.
  ReportTransfer(mainunit::MainUnit& main, mainunit::Prompts& prompts, db::Table& table);

  // Transfers one table. `text` is the export dialog's title (Export) or
  // the full target path (Submission); a name that names no file is
  // refused. A missing source is skipped. Backup and restore carry the
  // table with its memo file and index companions as one set, each side
  // first recovered from what a killed writer left: the target's files are
  // replaced together, and one the source lacks is dropped, so no table is
  // paired with another generation's files. Throws EngineError naming the
  // file when a source that exists cannot be read, when a target cannot be
  // written or a table cannot be exported; what was done before stays.
  void TransferTableFile(const std::string& file, const std::string& text, TransferMode mode);

  // The tables of every ticked item in list order. Backup and restore
  // replace all of the run's tables as one set and copy each once; export
  // asks for items 0 and 2, which name the same tables, twice.
  void TransferReportTables(TransferMode mode, const std::vector<bool>& ticked);

  // Writes each of `files` that exists in the working folder under its own
  // name into `folder` (which ends in a separator) as a plain Paradox
  // table, all of them replacing their namesakes there as one set.
  void SubmitTables(const std::vector<std::string>& files, const std::string& folder);

 private:
  // Adds the copy of `file` with its memo file and companions to `set`.
  void CopyFile(const std::string& file, TransferMode mode, formats::TableSetReplacement& set);
  void PutInPlace(formats::TableSetReplacement& set);
  void SaveAs(const std::string& file, const std::string& target);
  // Opens the working table `file`, when there is one, on the scratch
  // table and has `write` write it to `target` (resolved: `to`).
  void ExportTable(const std::string& file, const std::string& target,
                   const std::function<void(const std::filesystem::path& to)>& write);

  mainunit::MainUnit& main_;
  mainunit::Prompts& prompts_;
  db::Table& table_;
};

}  // namespace veltra::exchange
