// The printouts read the tables that the builders bound to the report
// window write: every column a print window names is there (a missing one
// fails the layout), and each shows a hand-checked value.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "reports/list_p.h"
#include "reports/report_builders.h"
#include "reports/summary_sheet_p.h"
#include "tests/platform/print/print_test_support.h"
#include "tests/reports/report_folder.h"

namespace veltra::reports {
namespace {

class BuiltReportsPrintTest : public ReportFolderTest {};

TEST_F(BuiltReportsPrintTest, EachPrintoutLaysOutItsBuiltTable) {
  FillSurvey();
  const ReportDispatch::Builders builders = ReportBuilders(context());
  struct Case {
    std::function<void()> build;
    std::function<std::unique_ptr<PrintWindow>(db::Database&)> make;
    std::string shown;  // a value of the built table on the first page
  };
  const std::vector<Case> cases = {
      {builders.enterprises, [](db::Database& d) { return std::make_unique<TF_qyhz_p>(d); }, "6600"},
      {builders.enterprise_rd, [](db::Database& d) { return std::make_unique<TF_qyrdhz_p>(d); }, "4"},
      {builders.software_enterprises, [](db::Database& d) { return std::make_unique<TF_rjqyhz_p>(d); }, "600"},
      {builders.local_projects, [](db::Database& d) { return std::make_unique<TF_dfhz_p>(d); }, "120"},
      {builders.national_projects, [](db::Database& d) { return std::make_unique<TF_gjhz_p>(d); }, "30"},
      {builders.industrial_list, [](db::Database& d) { return std::make_unique<TF_gyqy_p>(d); }, "110010"},
      {builders.service_list, [](db::Database& d) { return std::make_unique<TF_fwqy_p>(d); }, "7512"},
      // 200000 is only in the list of mode 1, 110004 only in that of mode 2
      {builders.large_list, [](db::Database& d) { return std::make_unique<TF_dqy_p>(d); }, "200000"},
      {builders.listed_list, [](db::Database& d) { return std::make_unique<TF_dqy_p>(d); }, "110004"},
  };
  for (const Case& test : cases) {
    test.build();
    const std::unique_ptr<PrintWindow> window = test.make(main().Database1);
    SCOPED_TRACE(window->Table1.TableName());
    window->Table1.Open();
    const print::Document document = window->QuickRep1.Prepare();
    window->Table1.Close();
    ASSERT_FALSE(document.pages.empty());
    bool shown = false;
    for (const QString& text : print::testing::TextsOn(document.pages.front())) {
      shown = shown || text.toStdString() == test.shown;
    }
    EXPECT_TRUE(shown) << test.shown;
  }
}

}  // namespace
}  // namespace veltra::reports
