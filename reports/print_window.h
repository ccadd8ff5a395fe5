#pragma once
// The family of the report window's fixed printouts: one table under a
// fixed file name and one page layout bound to it. The window is never
// shown; the report window calls QuickRep1's Print or Preview. The table is
// opened before printing and closed again afterwards, so each printout
// reads the table as it is on disk and leaves it free for the next rebuild.
#include <string>

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/print/band_report.h"
#include "platform/print/data_set_records.h"

namespace veltra::reports {

class PrintWindow {
 public:
  PrintWindow(const PrintWindow&) = delete;
  PrintWindow& operator=(const PrintWindow&) = delete;
  virtual ~PrintWindow() = default;

  db::Table Table1;
  print::BandReport QuickRep1;

 protected:
  PrintWindow(db::Database& database, const std::string& table_name, print::Orientation orientation);

 private:
  void QuickRep1BeforePrint();
  void QuickRep1AfterPrint();
  void QuickRep1AfterPreview();

  print::DataSetRecords records_{Table1};
};

}  // namespace veltra::reports
