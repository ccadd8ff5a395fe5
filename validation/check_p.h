#pragma once
// The printout of a validation result table: an A4 banded report titled
// "校验表" under the subtitle in the first row of check_p's Table2
// (check_pt.db, field Text), one framed line per result row. Never shown
// as a window. A caller sets Table1's name while the tables are closed,
// writes the subtitle and calls QuickRep1's Preview or Print; the report
// opens what is closed before printing and closes both afterwards.
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/print/band_report.h"
#include "platform/print/data_set_records.h"

namespace veltra::validation {

class TF_check_p {
 public:
  explicit TF_check_p(db::Database& database);

  db::Table Table1;  // the table to print: any table with the six result columns
  db::Table Table2;  // check_pt.db
  print::BandReport QuickRep1;

 private:
  void QuickRep1BeforePrint();
  void CloseTables();

  print::DataSetRecords records1_{Table1};
  print::DataSetRecords records2_{Table2};
};

}  // namespace veltra::validation
