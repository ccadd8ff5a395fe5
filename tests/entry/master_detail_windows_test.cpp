// The incubator, science-park and software-base windows as a user drives
// them on an installed folder: key in a record and its rows, save, close,
// and find them in the files (read by pxlib) and on the next opening.
#include <QApplication>

#include <tuple>

#include "entry/dxkjy.h"
#include "entry/fhq.h"
#include "entry/rjjd.h"
#include "tests/entry/installed_window_fixture.h"
#include "tests/support/pxlib_reader.h"
#include "tests/support/render_path.h"

namespace veltra::entry {
namespace {

using testing::Make;
using Rows = std::vector<std::string>;

// A row keyed in on a detail page: into its edits, or into its upper grid's cells by column.
struct DetailRow {
  int detail;
  std::vector<std::pair<std::string, std::string>> edits;
  std::vector<std::pair<int, std::string>> cells;
};

struct WindowCase {
  std::string name;
  testing::MakeWindow make;
  std::string caption;
  std::string name_field;  // a text field of the master's cover
  std::vector<DetailRow> rows;
  // What the files hold afterwards, read back: file, key field, values.
  std::vector<std::tuple<std::string, std::string, Rows>> ids;
};

class MasterDetailWindowTest : public testing::InstalledWindowTest,
                               public ::testing::WithParamInterface<WindowCase> {};

TEST_P(MasterDetailWindowTest, KeyedInRowsAreInTheFilesAndBackOnTheNextOpening) {
  const WindowCase& c = GetParam();
  EntryWindow& w = OpenMade(c.make);
  EXPECT_EQ(w.Caption(), c.caption);
  EXPECT_TRUE(w.TabSheets.back()->TabVisible());  // no page is hidden, even with no record
  Press("ToolButton5");
  ui::testing::Type(*w.DBEdit1, "0001");
  ui::testing::Type(*w.EditOf(c.name_field), "示例一");
  Press("ToolButton7");
  for (const DetailRow& row : c.rows) {
    ShowPage(PageOf(row.detail));
    ASSERT_EQ(w.Frame().CurrentTable(), &w.Frame().Detail(row.detail));
    Press("ToolButton5");
    for (const auto& [field, text] : row.edits) ui::testing::Type(*w.DetailEditOf(row.detail, field), text);
    ui::DBGrid* grid = w.Grid(w.Frame().Description().pages[PageOf(row.detail)].upper_grid);
    for (const auto& [column, text] : row.cells) ui::testing::TypeIntoCell(*grid, 0, column, text);
    Press("ToolButton7");
  }
  // The cover as the user sees it, for a look by eye.
  ShowPage(0);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath(c.name + "_cover.png")));
  ShowPage(PageOf(c.rows.back().detail));
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath(c.name + "_detail.png")));
  Press("ToolButton10");
  EXPECT_FALSE(w.Frame().Master().Active());

#ifdef VELTRA_HAVE_PXLIB
  for (const auto& [file, field, values] : c.ids) {
    EXPECT_EQ(veltra::testing::ReadWithPxlib(work / file).Column(field), values) << file;
  }
#endif
  Open<EntryWindow>();
  EXPECT_EQ(w.EditOf(c.name_field)->Text(), "示例一");
  EXPECT_EQ(w.DBEdit1->Text(), "0001");
}

using DxkjyWindowTest = MasterDetailWindowTest;

TEST_F(DxkjyWindowTest, EnterInTheProjectGridMovesOneColumnRightAndStaysOnTheLast) {
  auto& w = Open<TF_dxkjy>();
  ShowPage(PageOf(1));
  ui::testing::Focus(*w.DBGrid1);
  w.DBGrid1->SetSelectedColumn(w.DBGrid1->ColumnCount() - 2);
  ui::testing::PressEnter();
  EXPECT_EQ(w.DBGrid1->SelectedColumn(), w.DBGrid1->ColumnCount() - 1);
  ui::testing::PressEnter();
  EXPECT_EQ(w.DBGrid1->SelectedColumn(), w.DBGrid1->ColumnCount() - 1);
  EXPECT_EQ(ui::testing::FocusedName(), "DBGrid1");
  EXPECT_EQ(w.DBGrid1->Column(5).Title(), "资助金额");
  EXPECT_EQ(w.DBGrid1->Column(1).Width(), 208);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, MasterDetailWindowTest,
    ::testing::Values(
        WindowCase{"fhq", Make<TF_fhq>, "科技企业孵化器情况", "TDF711",
                   {{0, {{"CODE2", "0001"}, {"Tdf730", "在孵一"}}, {}}},
                   {{"fhq.db", "ID", {"0001"}}, {"fhqzfqy.db", "ID", {"00010001"}}, {"fhqzfqy.db", "Tdf730", {"在孵一"}}}},
        WindowCase{"dxkjy", Make<TF_dxkjy>, "大学科技园情况", "TDF811",
                   {{0, {{"CODE2", "001"}, {"Tdf8114", "在孵一"}}, {}}, {1, {}, {{0, "0001"}, {1, "项目一"}}}},
                   {{"dx.db", "ID", {"0001"}}, {"dxzfqy.db", "ID", {"0001001"}}, {"dxxm.db", "Id", {"00010001"}},
                    {"dxxm.db", "Tdf8q110", {"项目一"}}}},
        WindowCase{"rjjd", Make<TF_rjjd>, "国家Veltra软件产业基地情况", "KE100",
                   {{0, {{"Code2", "0001"}, {"Ke100", "企业一"}}, {}}, {1, {}, {{0, "0001"}, {1, "产品一"}}}},
                   {{"rjjd.db", "Id", {"0001"}}, {"rjjdqy.db", "Id", {"00010001"}}, {"rjjdqycp.db", "Id", {"000100010001"}},
                    {"rjjdqycp.db", "Ke189", {"产品一"}}}}),
    testing::CaseName());

}  // namespace
}  // namespace veltra::entry
