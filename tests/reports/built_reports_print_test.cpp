// The printouts read the tables the builders write: every column a print
// window names is there (a missing one fails the layout), and the sheets
// show the hand-checked totals.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "reports/enterprise_lists.h"
#include "reports/enterprise_summaries.h"
#include "reports/list_p.h"
#include "reports/project_summaries.h"
#include "reports/summary_sheet_p.h"
#include "tests/platform/print/print_test_support.h"
#include "tests/reports/report_folder.h"

namespace veltra::reports {
namespace {

class BuiltReportsPrintTest : public ReportFolderTest {};

TEST_F(BuiltReportsPrintTest, EachPrintoutLaysOutItsBuiltTable) {
  FillSurvey();
  struct Case {
    std::function<void(BuilderContext&)> build;
    std::function<std::unique_ptr<PrintWindow>(db::Database&)> make;
    std::string shown;  // a value of the built table on the first page
  };
  const std::vector<Case> cases = {
      {BuildEnterpriseSummary, [](db::Database& d) { return std::make_unique<TF_qyhz_p>(d); }, "6600"},
      {BuildEnterpriseRdSummary, [](db::Database& d) { return std::make_unique<TF_qyrdhz_p>(d); }, "4"},
      {BuildSoftwareEnterpriseSummary, [](db::Database& d) { return std::make_unique<TF_rjqyhz_p>(d); }, "600"},
      {BuildLocalProjectSummary, [](db::Database& d) { return std::make_unique<TF_dfhz_p>(d); }, "120"},
      {BuildNationalProjectSummary, [](db::Database& d) { return std::make_unique<TF_gjhz_p>(d); }, "30"},
      {BuildIndustrialEnterpriseList, [](db::Database& d) { return std::make_unique<TF_gyqy_p>(d); }, "110010"},
      {BuildServiceEnterpriseList, [](db::Database& d) { return std::make_unique<TF_fwqy_p>(d); }, "7512"},
      {[](BuilderContext& c) { BuildLargeEnterpriseList(c, 2); },
       [](db::Database& d) { return std::make_unique<TF_dqy_p>(d); }, "企业110004"},
  };
  for (const Case& test : cases) {
    test.build(context());
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
