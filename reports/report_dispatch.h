#pragma once
// What the report window does for one ticked report: a known key runs its
// builder, then prints or previews its print window; any other key names
// a table in the layout of a validation result, printed through the
// validation printout under the report's name.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/database.h"
#include "reports/print_window.h"
#include "validation/check_p.h"

namespace veltra::reports {

class ReportDispatch {
 public:
  // `builders` binds each builder name of the dispatch table to its run.
  struct Builders {
    std::function<void()> national_projects, local_projects, software_enterprises, enterprises, enterprise_rd,
        industrial_list, service_list, large_list, listed_list;
  };
  ReportDispatch(db::Database& database, Builders builders);
  ~ReportDispatch();

  // Builds (when the key has a builder) and prints or previews one report.
  void Run(std::string_view key, const std::string& report_name, bool print);

  // The validation printout, created on first use.
  validation::TF_check_p& F_check_p();

 private:
  struct KnownReport;
  PrintWindow& Window(const KnownReport& report);
  void PrintThroughCheckPrintout(std::string_view table, const std::string& report_name, bool print);

  db::Database& database_;
  std::vector<KnownReport> known_;
  std::map<std::string_view, std::unique_ptr<PrintWindow>> windows_;
  std::unique_ptr<validation::TF_check_p> f_check_p_;
};

}  // namespace veltra::reports
