#include "reports/report_dispatch.h"

#include "mainunit/on_exit.h"
#include "platform/db/table.h"
#include "reports/gjwsb_p.h"
#include "reports/list_p.h"
#include "reports/summary_sheet_p.h"
#include "reports/survey_sheet_p.h"

namespace veltra::reports {

struct ReportDispatch::KnownReport {
  std::string_view key;
  std::function<void()> build;  // empty: the table is printed as it stands
  std::string_view window;      // the print window's name
  std::function<std::unique_ptr<PrintWindow>(db::Database&)> make_window;
  QString title;  // set on the list window before each printout
};

namespace {

template <typename Window>
std::unique_ptr<PrintWindow> Make(db::Database& database) {
  return std::make_unique<Window>(database);
}

}  // namespace

ReportDispatch::ReportDispatch(db::Database& database, Builders builders) : database_(database) {
  // "dqy" and "shqy" share one window and one table.
  known_ = {
      {"xmdcb", {}, "F_xmdcb_p", Make<TF_xmdcb_p>, {}},
      {"gjwsb", {}, "F_gjwsb_p", Make<TF_gjwsb_p>, {}},
      {"gjhz", builders.national_projects, "F_gjhz_p", Make<TF_gjhz_p>, {}},
      {"dfwsb", {}, "F_dfwsb_p", Make<TF_dfwsb_p>, {}},
      {"dfhz", builders.local_projects, "F_dfhz_p", Make<TF_dfhz_p>, {}},
      {"kfqhz", builders.enterprises, "F_qyhz_p", Make<TF_qyhz_p>, {}},
      {"dqy", builders.large_list, "F_dqy_p", Make<TF_dqy_p>,
       QStringLiteral("2011年高新技术产业开发区（区外高新技术企业）总收入上亿元以上清单")},
      {"gyqy", builders.industrial_list, "F_gyqy_p", Make<TF_gyqy_p>, {}},
      {"fwqy", builders.service_list, "F_fwqy_p", Make<TF_fwqy_p>, {}},
      {"rjqyhz", builders.software_enterprises, "F_rjqyhz_p", Make<TF_rjqyhz_p>, {}},
      {"shqy", builders.listed_list, "F_dqy_p", Make<TF_dqy_p>, QStringLiteral("2011年上市企业清单")},
      {"kfqrdhz", builders.enterprise_rd, "F_qyrdhz_p", Make<TF_qyrdhz_p>, {}},
  };
}

ReportDispatch::~ReportDispatch() = default;

validation::TF_check_p& ReportDispatch::F_check_p() {
  if (!f_check_p_) f_check_p_ = std::make_unique<validation::TF_check_p>(database_);
  return *f_check_p_;
}

PrintWindow& ReportDispatch::Window(const KnownReport& report) {
  std::unique_ptr<PrintWindow>& window = windows_[report.window];
  if (!window) window = report.make_window(database_);
  return *window;
}

void ReportDispatch::Run(std::string_view key, const std::string& report_name, bool print) {
  F_check_p();
  for (const KnownReport& report : known_) {
    if (report.key != key) continue;  // keys are compared exactly, case and blanks included
    PrintWindow& window = Window(report);
    if (report.build) report.build();
    if (!report.title.isEmpty()) static_cast<ListPrintWindow&>(window).QRLabel1().text = report.title;
    window.QuickRep1.document_name = report_name;
    print ? window.QuickRep1.Print() : window.QuickRep1.Preview();
    return;
  }
  PrintThroughCheckPrintout(key, report_name, print);
}

void ReportDispatch::PrintThroughCheckPrintout(std::string_view table, const std::string& report_name, bool print) {
  validation::TF_check_p& check_p = F_check_p();
  {
    // The subtitle row is never left open or half-edited.
    mainunit::OnExit close([&check_p] {
      if (check_p.Table2.Active()) check_p.Table2.Cancel();
      check_p.Table2.Close();
    });
    check_p.Table2.Open();
    check_p.Table2.Edit();
    check_p.Table1.SetTableName(std::string(table));
    check_p.Table2.FieldByName("text").SetAsString(report_name);
    check_p.Table2.Post();
  }
  check_p.QuickRep1.document_name = report_name;
  print ? check_p.QuickRep1.Print() : check_p.QuickRep1.Preview();
}

}  // namespace veltra::reports
