#include "exchange/submission.h"

namespace veltra::exchange {

void WriteSubmission(ReportTransfer& transfer, std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  transfer.SubmitTables({kSubmissionTables.begin(), kSubmissionTables.end()}, folder);
}

}  // namespace veltra::exchange
