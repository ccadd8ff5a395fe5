// A row of a detail being edited when the user moves its master on: it is
// saved under the master it was edited under, or refused and the master
// stays; a row is never saved before its master is in its table. Driven
// as a user does, on an installed folder, and read back from the files.

#include <tuple>

#include "entry/dxkjy.h"
#include "entry/fhq.h"
#include "entry/kfq_window.h"
#include "entry/rjjd.h"
#include "tests/entry/installed_window_fixture.h"

namespace veltra::entry {
namespace {

using Rows = std::vector<std::string>;
using NamedRows = std::vector<std::map<std::string, std::string>>;
using FileColumn = std::tuple<std::string, std::string, Rows>;  // file, field, values

using testing::Make;
using ui::testing::Retype;

// What the user types into a row: into the edit of `field`, or, with a
// grid, into the cell of `column` in the current row.
struct Typing {
  std::string field;
  std::string text;
  std::string grid;
  int column = -1;
};

class PendingRowsWindowTest : public testing::InstalledWindowTest {
 protected:
  void Seed(const std::vector<std::pair<std::string, NamedRows>>& files) {
    for (const auto& [file, rows] : files) AddRowsTo(file, rows);
  }
  void TypeInto(int detail, const Typing& typing) {
    if (typing.grid.empty()) {
      Retype(*Entry().DetailEditOf(detail, typing.field), typing.text);
    } else {
      ui::testing::TypeIntoCell(*Entry().Grid(typing.grid), 0, typing.column, typing.text);
    }
  }
};

// Two masters (the first shown), one row of `detail` under the first.
struct PendingCase {
  std::string name;
  testing::MakeWindow make;
  std::vector<std::pair<std::string, NamedRows>> seed;
  int detail;
  Typing typing;
  int back_to_page;     // the master page the user goes back to
  const char* button;   // the tool button pressed there
  std::string new_key;  // typed into the master's key afterwards ("插入记录")
  std::vector<FileColumn> files;
};

void PrintTo(const PendingCase& c, std::ostream* os) { *os << c.name; }

class PendingRowMovesTest : public PendingRowsWindowTest, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingRowMovesTest, TheRowIsSavedUnderTheMasterItWasEditedUnder) {
  const PendingCase& c = GetParam();
  Seed(c.seed);
  EntryWindow& w = OpenMade(c.make);
  ShowPage(PageOf(c.detail));
  TypeInto(c.detail, c.typing);
  ShowPage(c.back_to_page);
  Press(c.button);
  // The row is saved: nothing below locks the master's key any more.
  EXPECT_TRUE(w.DBEdit1->isEnabled());
  if (!c.new_key.empty()) ui::testing::Type(*w.DBEdit1, c.new_key);
  for (const auto& [file, field, values] : c.files) EXPECT_EQ(Values(file, field), values) << file << " " << field;
}

const NamedRows kIncubators{{{"ID", "0001"}, {"CODE", "0001"}, {"TDF711", "甲"}},
                            {{"ID", "0002"}, {"CODE", "0002"}, {"TDF711", "乙"}}};
const NamedRows kIncubated{{{"ID", "00010001"}, {"CODE", "0001"}, {"CODE2", "0001"}, {"Tdf730", "甲一"}}};
const NamedRows kBases{{{"Id", "0001"}, {"Code", "0001"}, {"KE100", "甲"}}, {{"Id", "0002"}, {"Code", "0002"}, {"KE100", "乙"}}};
const NamedRows kBaseEnterprises{{{"Id", "00010001"}, {"Code", "0001"}, {"Code2", "0001"}, {"Ke100", "甲一"}}};
const NamedRows kBaseProducts{{{"Id", "000100010001"}, {"Code", "0001"}, {"Code2", "0001"}, {"Code3", "0001"}, {"Ke189", "品"}}};

INSTANTIATE_TEST_SUITE_P(
    Windows, PendingRowMovesTest,
    ::testing::Values(
        PendingCase{"incubator_next", Make<TF_fhq>, {{"fhq.db", kIncubators}, {"fhqzfqy.db", kIncubated}}, 0,
                    {"Tdf750", "张三"}, 0, "ToolButton2", "",
                    {{"fhqzfqy.db", "ID", {"00010001"}}, {"fhqzfqy.db", "CODE", {"0001"}}, {"fhqzfqy.db", "Tdf750", {"张三"}}}},
        PendingCase{"incubator_insert", Make<TF_fhq>, {{"fhq.db", kIncubators}, {"fhqzfqy.db", kIncubated}}, 0,
                    {"Tdf750", "张三"}, 0, "ToolButton5", "0003",
                    {{"fhqzfqy.db", "ID", {"00010001"}}, {"fhqzfqy.db", "Tdf750", {"张三"}}}},
        PendingCase{"park_project_last", Make<TF_dxkjy>,
                    {{"dx.db", {{{"ID", "0001"}, {"CODE", "0001"}, {"TDF811", "甲"}}, {{"ID", "0002"}, {"CODE", "0002"}, {"TDF811", "乙"}}}},
                     {"dxxm.db", {{{"Id", "00010001"}, {"Code", "0001"}, {"Code2", "0001"}, {"Tdf8q110", "abc"}}}}},
                    1, {"", "zzz", "DBGrid1", 1}, 1, "ToolButton4", "",
                    {{"dxxm.db", "Id", {"00010001"}}, {"dxxm.db", "Tdf8q110", {"zzz"}}}},
        // A new enterprise code moves its products along, within its own base.
        PendingCase{"base_enterprise_code", Make<TF_rjjd>,
                    {{"rjjd.db", kBases}, {"rjjdqy.db", kBaseEnterprises}, {"rjjdqycp.db", kBaseProducts}}, 0,
                    {"Code2", "0003"}, 0, "ToolButton2", "",
                    {{"rjjdqy.db", "Id", {"00010003"}}, {"rjjdqycp.db", "Id", {"000100030001"}}}},
        PendingCase{"enterprise_product_next", Make<TF_kfq>,
                    {{"kfq_1.db", {{{"Id", "110001"}, {"QA01", "110001"}}, {{"Id", "110002"}, {"QA01", "110002"}}}},
                     {"kfq_2.db", {{{"ID", "110001_1"}, {"QA01", "110001"}, {"QE01", "1"}, {"QE02", "甲品"}, {"QE14", "5000"}}}}},
                    0, {"", "6000", "DBGrid2", 3}, 0, "ToolButton2", "",
                    {{"kfq_2.db", "ID", {"110001_1"}}, {"kfq_2.db", "QE14", {"6000"}}}},
        PendingCase{"enterprise_project_first", Make<TF_kfq>,
                    {{"kfq_1.db", {{{"Id", "110001"}, {"QA01", "110001"}}, {{"Id", "110002"}, {"QA01", "110002"}}}},
                     {"kfq_5.db", {{{"Id", "110001_1"}, {"Qa01", "110001"}, {"Qh00", "1"}, {"Xmmc", "项目"}}}}},
                    1, {"", "300", "DBGrid6", 3}, 1, "ToolButton3", "",
                    {{"kfq_5.db", "Id", {"110001_1"}}, {"kfq_5.db", "Qh51", {"300"}}}}),
    testing::CaseName());

TEST_F(PendingRowsWindowTest, ARefusedRowKeepsItsMasterWhereItWas) {
  Seed({{"fhq.db", kIncubators}, {"fhqzfqy.db", kIncubated}});
  auto& w = Open<TF_fhq>();
  ShowPage(PageOf(0));
  Retype(*w.DetailEditOf(0, "Tdf730"), "");
  ShowPage(0);
  ui_.ExpectException("企业数据错误:企业名称不能为空");
  Press("ToolButton2");
  EXPECT_EQ(w.DBEdit78->Text(), "0001");
  EXPECT_EQ(w.Frame().Master().FieldByName("CODE").AsString(), "0001");
  EXPECT_EQ(Values("fhqzfqy.db", "Tdf730"), (Rows{"甲一"}));
}

// A new master that the user never saves: its first row saves it first, so
// a later "取消修改" leaves no row without its master.
struct NewMasterCase {
  std::string name;
  testing::MakeWindow make;
  std::vector<std::pair<std::string, NamedRows>> seed;
  int owner_page;       // where the new owner is begun with "插入记录"
  std::vector<std::pair<std::string, std::string>> owner_edits;  // the owner's edits: field, text (the key first)
  int detail;
  std::vector<std::pair<int, std::string>> cells;  // upper grid of the detail's page
  std::vector<FileColumn> files;
};

void PrintTo(const NewMasterCase& c, std::ostream* os) { *os << c.name; }

class NewMasterRowsTest : public PendingRowsWindowTest, public ::testing::WithParamInterface<NewMasterCase> {};

TEST_P(NewMasterRowsTest, ARowIsSavedOnlyWithItsMaster) {
  const NewMasterCase& c = GetParam();
  Seed(c.seed);
  EntryWindow& w = OpenMade(c.make);
  ShowPage(c.owner_page);
  Press("ToolButton5");
  const int owner = w.Frame().Description().pages[c.owner_page].detail;
  for (const auto& [field, text] : c.owner_edits) {
    ui::testing::Type(owner < 0 ? *w.EditOf(field) : *w.DetailEditOf(owner, field), text);
  }
  ShowPage(PageOf(c.detail));
  Press("ToolButton5");
  ui::DBGrid& grid = *w.Grid(w.Frame().Description().pages[PageOf(c.detail)].upper_grid);
  for (const auto& [column, text] : c.cells) ui::testing::TypeIntoCell(grid, 0, column, text);
  Press("ToolButton7");
  ShowPage(c.owner_page);
  ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
  Press("ToolButton8");
  for (const auto& [file, field, values] : c.files) EXPECT_EQ(Values(file, field), values) << file << " " << field;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, NewMasterRowsTest,
    ::testing::Values(
        NewMasterCase{"enterprise", Make<TF_kfq>, {}, 0, {{"QA01", "300001"}, {"QA03", "12345678A"}, {"QA04", "新企业"}}, 0, {{0, "0001"}, {1, "甲品"}},
                      {{"kfq_1.db", "Id", {"300001"}}, {"kfq_2.db", "ID", {"300001_0001"}}}},
        NewMasterCase{"base_enterprise", Make<TF_rjjd>, {{"rjjd.db", kBases}}, 2, {{"Code2", "0007"}, {"Ke100", "新企业"}}, 1,
                      {{0, "0001"}, {1, "品"}},
                      {{"rjjdqy.db", "Id", {"00010007"}}, {"rjjdqycp.db", "Id", {"000100070001"}}}}),
    testing::CaseName());

}  // namespace
}  // namespace veltra::entry
