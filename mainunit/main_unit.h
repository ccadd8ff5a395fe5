#pragma once
// The main unit's shared state: what the windows of every subsystem read
// and write to talk to each other (report kind, locate request, flags,
// prefixes), and the main window's scratch data components that they
// borrow (rule tables and import sources through Table1, send-mark
// statements through Query1, the engine handle for packing).
//
// There is one MainUnit per run; windows receive it by reference.
#include <filesystem>
#include <string>

#include "mainunit/prompts.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"

namespace veltra::ui {
class Form;
}  // namespace veltra::ui

namespace veltra::mainunit {

// Subject marker of the system's own mails (a 40-byte buffer in the system).
inline constexpr const char* kMailSubjectMarker = "***Veltra计划统计软件***";

class MainUnit {
 public:
  // The folder is the working folder for the whole run.
  explicit MainUnit(std::filesystem::path working_folder = std::filesystem::current_path());
  MainUnit(const MainUnit&) = delete;
  MainUnit& operator=(const MainUnit&) = delete;

  // 1-11 as the main window's report-kind code; 0-2 as the mail mode.
  int ReportKind = 0;

  // Locate request: an entry window opens on the record named here.
  bool OpenedFromCheck = false;
  std::string LocateKeyField;
  std::string LocateKeyValue;
  std::string LocateKeyValue2;
  // The fault's field (the result row's 字段名): tells in which detail table
  // the row that LocateKeyValue2 names lies.
  std::string LocateFaultField;
  // For the locate dialogs: the table to move and, for TF_change_r, its key.
  db::Table* LocateTable = nullptr;
  std::string LocateIndexName;

  bool RecordsDeleted = false;    // the open entry window deleted a record
  bool SendMarksCleared = false;  // its send-register rows are gone already
  bool MailConnected = false;
  bool ImportOk = false;          // the renumbering dialog lets the import go on

  const std::string MailSubjectMarker = kMailSubjectMarker;
  std::string ReportTypeFilter;
  // Never assigned by the system; kept so that every name is built alike.
  const std::string DataDirPrefix;
  const std::string CaptionSuffix;
  const std::string IdPrefix;
  std::string SendBaseDir;

  ui::Form* MainCurrentForm = nullptr;

  // Scratch components of the main window.
  db::Database Database1;
  db::Table Table1{Database1};
  db::Query Query1{Database1};
  ui::OpenDialog OpenDialog1;
  ui::SaveDialog SaveDialog1;
};

}  // namespace veltra::mainunit
