#pragma once
// "数据上报": the survey tables of every report type written as plain
// Paradox tables into a folder the user picks, for the receiving office,
// whose enterprise window reads them back with "数据入库".
#include <array>
#include <string>

#include "exchange/report_transfer.h"

namespace veltra::exchange {

// In the order they are written.
inline constexpr std::array<const char*, 18> kSubmissionTables = {
    "gjxm.db",  "fhq.db",   "fhqxm.db", "fhqzfqy.db", "dx.db",     "dxxm.db",     "dxzfqy.db", "kfq_1.db", "kfq_2.db",
    "kfq_5.db", "kfqzh.db", "tzjg.db",  "tsjd.db",    "rjjd.db",   "rjjdqy.db",   "rjjdqycp.db", "gj_wsb.db", "sjgxq.db"};

// Writes each table that exists in the working folder under its own name
// into `folder`, all of them replacing the files of those names as one
// set. A folder holding the working tables themselves is refused before
// anything is written.
void WriteSubmission(ReportTransfer& transfer, std::string folder);

}  // namespace veltra::exchange
