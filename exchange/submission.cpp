#include "exchange/submission.h"

namespace veltra::exchange {

void WriteSubmission(ReportTransfer& transfer, std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  for (const char* table : kSubmissionTables) transfer.TransferTableFile(table, folder + table, TransferMode::Submission);
}

}  // namespace veltra::exchange
