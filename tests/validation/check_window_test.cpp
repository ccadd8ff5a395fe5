// The validation window as a user drives it: open, run, read the grid,
// double-click a fault, close and open again on another kind.
#include "validation/check.h"

#include <QTest>
#include <gtest/gtest.h>

#include "check_frame_fixture.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"

namespace veltra::validation {
namespace {

using ui::testing::Click;
using ui::testing::Find;

class CheckWindowTest : public testing::KindOneFolder {
 protected:
  // A user's double click on row `row` of the grid.
  static void DoubleClickRow(ui::DBGrid& grid, int row) {
    const QRect cell = grid.visualRect(grid.model()->index(row, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  }

  // The application must exist before the window does.
  const bool application_ = (ui::testing::EnsureApplication(), true);
  ui::testing::UiScript ui_;
  TF_check window{main(), windows};
};

TEST_F(CheckWindowTest, RunShowsTheFaultsAndADoubleClickOpensTheSecond) {
  ui_.OnModal("F_check", [&](ui::Form& form) {
    EXPECT_EQ(form.Caption(), "高新区企业数据校验");
    auto& grid = Find<ui::DBGrid>(form, "DBGrid1");
    ASSERT_TRUE(Click(Find(form, "Button3")));
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Column(0).Title(), "状态");
    EXPECT_EQ(grid.Column(5).Width(), 271);
    EXPECT_EQ(grid.CellText(0, 0), "错误");
    EXPECT_EQ(grid.CellText(0, 1), "1");
    EXPECT_EQ(grid.CellText(1, 2), "110002");
    EXPECT_EQ(grid.CellText(1, 5), "总收入不能为负");
    EXPECT_EQ(Find<ui::ProgressBar>(form, "ProgressBar1").Position(), 0);
    EXPECT_FALSE(Find<ui::ProgressBar>(form, "ProgressBar1").isTextVisible());
    DoubleClickRow(grid, 1);
    ASSERT_TRUE(Click(Find(form, "Button2")));
  }, ui::kModalCancel);
  window.ShowModal();

  ASSERT_EQ(windows.shown.size(), 1u);
  EXPECT_EQ(windows.shown[0].window, "TF_kfq");
  EXPECT_EQ(windows.shown[0].key_value, "110002");
  EXPECT_FALSE(window.Frame().Table2.Active());
}

TEST_F(CheckWindowTest, ErrorsAreShownAndTheNextOpeningReadsTheNewKind) {
  AddRules("kfq1_chk.db", {{"qc02", "qc02 >>= 0", "坏规则"}});
  CreateResultTable("qw_r.db");
  AddCatalogueRow({3, "kfq1_chk.db", "qa01", "", "kfq_1.db\"", "qw_r.db", "区外企业数据校验", "", ""});
  for (const char* number : {"1", "2", "3"}) AddRow("kfq_r.db", {{"序号", number}});

  ui_.ExpectException("SQL语句第1行第58列“>=”附近有语法错误");
  ui_.OnModal("F_check", [&](ui::Form& form) {
    ASSERT_TRUE(Click(Find(form, "Button3")));
    // The grid is back on the previous result, which the run left whole.
    EXPECT_EQ(Find<ui::DBGrid>(form, "DBGrid1").RowCount(), 3);
  }, ui::kModalCancel);
  window.ShowModal();

  main().ReportKind = 3;
  ui_.OnModal("F_check", [&](ui::Form& form) { EXPECT_EQ(form.Caption(), "区外企业数据校验"); }, ui::kModalCancel);
  window.ShowModal();
}

}  // namespace
}  // namespace veltra::validation
