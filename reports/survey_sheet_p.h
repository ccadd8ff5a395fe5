#pragma once
// The two survey sheets supplied with the installation, each printed from
// the first record of its table as one ruled landscape sheet.
#include "reports/print_window.h"

namespace veltra::reports {

// Local projects not reported, with their indicators (df_wsb.db).
class TF_dfwsb_p : public PrintWindow {
 public:
  explicit TF_dfwsb_p(db::Database& database);
};

// The programme project survey (xmdcb.db).
class TF_xmdcb_p : public PrintWindow {
 public:
  explicit TF_xmdcb_p(db::Database& database);
};

}  // namespace veltra::reports
