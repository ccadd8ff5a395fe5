#pragma once
// National projects not reported (gj_wsb.db), landscape: one ruled row per
// project with a tick under the reason it gives.
#include "reports/print_window.h"

namespace veltra::reports {

class TF_gjwsb_p : public PrintWindow {
 public:
  explicit TF_gjwsb_p(db::Database& database);
};

}  // namespace veltra::reports
