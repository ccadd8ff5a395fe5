// A new owner stored because its rows' page is wanted is an ordinary post:
// a "错误" rule refuses it with the window's prefix, the page stays, and
// the record keeps what was typed until it is put right. Driven as a user
// does, on an installed folder with its rules, and read back from the files.
#include <QApplication>
#include <QTest>

#include "entry/dxkjy.h"
#include "entry/fhq.h"
#include "entry/kfq_window.h"
#include "entry/rjjd.h"
#include "tests/entry/installed_window_fixture.h"

namespace veltra::entry {
namespace {

using Rows = std::vector<std::string>;
using testing::Make;
using ui::testing::ClickTab;

// Text typed into the edit of `field` on page `page`; `detail` -1 is the master.
struct Typed {
  int page;
  int detail;
  std::string field;
  std::string text;
};

class OwnerRulesTest;

struct OwnerCase {
  std::string name;
  testing::MakeWindow make;
  std::vector<std::pair<std::string, std::vector<std::map<std::string, std::string>>>> seed;
  std::vector<Typed> typing;  // after "插入记录" on the page of the first
  std::function<void(OwnerRulesTest&)> act;  // the user's way to the rows' page
  int stays_on;                              // the page shown after the refusal
  std::string refusal;
  std::vector<Typed> fix;  // what the user adds before clicking the rows' tab
  int rows_page;  // the page of the owner's rows
  std::string file;  // the owner's, with its key field
  std::string key;
};

void PrintTo(const OwnerCase& c, std::ostream* os) { *os << c.name; }

class OwnerRulesTest : public testing::InstalledWindowTest, public ::testing::WithParamInterface<OwnerCase> {
 public:
  using InstalledWindowTest::Entry;
  void CtrlTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier); }
  // "数据追加", the file of the first dialog picked.
  void AppendFrom(const std::string& title, const std::string& file) {
    ui_.ExpectFileDialog(title, (work / file).string());
    Press("ToolButton9");
  }
  void ShowTab(int page) {
    if (Entry().PageControl1->ActivePage() != Entry().TabSheets[page]) ClickTab(*Entry().PageControl1, page);
  }
  void TypeIn(const Typed& typed) {
    ShowTab(typed.page);
    ui::DBEdit* edit = typed.detail < 0 ? Entry().EditOf(typed.field) : Entry().DetailEditOf(typed.detail, typed.field);
    ASSERT_NE(edit, nullptr) << typed.field;
    ui::testing::Retype(*edit, typed.text);
  }
};

TEST_P(OwnerRulesTest, ARefusedNewOwnerStaysInEditOnItsPage) {
  const OwnerCase& c = GetParam();
  for (const auto& [file, rows] : c.seed) AddRowsTo(file, rows);
  EntryWindow& w = OpenMade(c.make);
  ClickTab(*w.PageControl1, c.typing.front().page);
  Press("ToolButton5");
  for (const Typed& typed : c.typing) TypeIn(typed);
  const Typed& key = c.typing.front();
  db::Table& owner = key.detail < 0 ? w.Frame().Master() : w.Frame().Detail(key.detail);

  ui_.ExpectException(c.refusal);
  c.act(*this);
  EXPECT_EQ(ui_.exceptions_shown(), Rows{c.refusal});
  EXPECT_EQ(w.PageControl1->ActivePage(), w.TabSheets[c.stays_on]);
  EXPECT_EQ(owner.State(), db::DataSetState::Insert);
  EXPECT_EQ(owner.FieldByName(key.field).AsString(), key.text);
  EXPECT_EQ(Values(c.file, c.key), Rows{}) << "nothing stored";

  for (const Typed& typed : c.fix) TypeIn(typed);
  ClickTab(*w.PageControl1, c.rows_page);
  EXPECT_EQ(w.PageControl1->ActivePage(), w.TabSheets[c.rows_page]);
  EXPECT_EQ(Values(c.file, c.key), Rows{key.text});
}

const std::vector<std::map<std::string, std::string>> kBases{{{"Id", "0001"}, {"Code", "0001"}, {"KE100", "甲"}}};
const std::vector<Typed> kEnterpriseNames{{0, -1, "QA03", "12345678A"}, {0, -1, "QA04", "新企业"}};
// Past the owner's second page, then to its rows.
const auto kCtrlTabTwice = [](OwnerRulesTest& t) {
  t.CtrlTab();
  t.CtrlTab();
};
const auto kClickProducts = [](OwnerRulesTest& t) { ClickTab(*t.Entry().PageControl1, 4); };

INSTANTIATE_TEST_SUITE_P(
    Windows, OwnerRulesTest,
    ::testing::Values(
        OwnerCase{"enterprise_tab", Make<TF_kfq>, {},
                  {{0, -1, "QA01", "500001"}}, kClickProducts, 0, "企业数据错误:企业法人代码不能为空", kEnterpriseNames, 4,
                  "kfq_1.db", "QA01"},
        // The wheel over the tabs turns from the page after the products back to them.
        OwnerCase{"enterprise_income_wheel", Make<TF_kfq>, {},
                  {{0, -1, "QA01", "500001"}, {0, -1, "QA03", "12345678A"}, {0, -1, "QA04", "新企业"}, {2, -1, "QC05", "-5"}},
                  [](OwnerRulesTest& t) {
                    t.ShowTab(5);
                    ui::testing::TurnWheel(*t.Entry().PageControl1->tabBar());
                  },
                  5,
                  "企业数据错误:总收入不能为负数", {{2, -1, "QC05", "5"}}, 4, "kfq_1.db", "QA01"},
        OwnerCase{"enterprise_append", Make<TF_kfq>, {},
                  {{0, -1, "QA01", "500001"}},
                  [](OwnerRulesTest& t) { t.AppendFrom("请选择企业数据库  文件名:kfq_1.db", "kfq_1.db"); }, 0,
                  "企业数据错误:企业法人代码不能为空", kEnterpriseNames, 4, "kfq_1.db", "QA01"},
        OwnerCase{"incubator_ctrl_tab", Make<TF_fhq>, {},
                  {{0, -1, "CODE", "0007"}},
                  kCtrlTabTwice, 1,
                  "数据错误:孵化器名称不能为空", {{0, -1, "TDF711", "新孵化器"}}, 2, "fhq.db", "CODE"},
        OwnerCase{"park_tab", Make<TF_dxkjy>, {},
                  {{0, -1, "CODE", "0007"}}, [](OwnerRulesTest& t) { ClickTab(*t.Entry().PageControl1, 2); }, 0,
                  "数据错误:大学科技园全称不能为空", {{0, -1, "TDF811", "新园"}}, 2, "dx.db", "CODE"},
        OwnerCase{"software_base_ctrl_tab", Make<TF_rjjd>, {},
                  {{0, -1, "Code", "0007"}},
                  kCtrlTabTwice, 1,
                  "数据错误:软件基地名称不能为空", {{0, -1, "KE100", "新基地"}}, 2, "rjjd.db", "Code"},
        // A new enterprise of a stored base, its products' tab clicked.
        OwnerCase{"software_enterprise_tab", Make<TF_rjjd>,
                  {{"rjjd.db", kBases}}, {{2, 0, "Code2", "0007"}}, kClickProducts, 2, "数据错误:企业名称不能为空",
                  {{2, 0, "Ke100", "新企业"}}, 4, "rjjdqy.db", "Code2"}),
    testing::CaseName());

}  // namespace
}  // namespace veltra::entry
