// The query window on an installed working folder: the shipped dictionaries,
// the lists and conditions the user composes, and the statements run on a
// handful of records.
#include "query/query.h"

#include <gtest/gtest.h>

#include "platform/db/table.h"
#include "dbtool/change_c.h"
#include "query/query_p.h"
#include "tests/install/install_test_support.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"
#include "tests/support/render_path.h"

namespace veltra::query {
namespace {

using ui::testing::Click;
using ui::testing::DoubleClickItem;
using ui::testing::TickItem;

struct Application {
  Application() { ui::testing::EnsureApplication(); }
};

class QueryWindowTest : public ::testing::Test {
 protected:
  explicit QueryWindowTest(bool demo = false) : installed(demo), main(installed.folder()) {}

  // As from the main window's "查询统计": the main window was active before.
  void Open(int kind) {
    main_form.Show();
    main.ReportKind = kind;
    F_query.Show();
  }
  void AddRows(const std::string& name, const veltra::testing::NamedRows& rows) {
    veltra::testing::AppendRows(main.Database1, name, rows);
  }
  // Place of a field in one of the dictionary's lists, by its name in statements.
  static int Place(const std::vector<DictionaryField>& fields, const std::string& field_name) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].field_name == field_name) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no field " << field_name;
    return 0;
  }
  int QueryField(const std::string& name) { return Place(F_query.Dictionary().query_fields, name); }
  // The user turns to the button's page and clicks it.
  bool Press(QWidget& control) {
    F_query.PageControl1.SetActivePage(F_query.TabSheet1->isAncestorOf(&control) ? F_query.TabSheet1
                                                                                   : F_query.TabSheet2);
    return Click(control);
  }
  static void ClickItem(ui::ListBox& list, int index) {
    list.setCurrentRow(index);
    emit list.itemClicked(list.item(index));
  }
  // The result grid, row by row, as shown.
  std::vector<std::vector<std::string>> Grid() {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < F_query.DBGrid1.RowCount(); ++r) {
      std::vector<std::string> row;
      for (int c = 0; c < F_query.DBGrid1.ColumnCount(); ++c) row.push_back(F_query.DBGrid1.CellText(r, c));
      rows.push_back(row);
    }
    return rows;
  }

  install::InstalledFolder installed;
  mainunit::MainUnit main;
  Application application;
  ui::testing::UiScript ui_;
  ui::Form main_form{"F_main"};
  TF_query F_query{main};
};

// Three enterprises, two of them with products; 丙 has a quote in its name.
class EnterpriseQueryTest : public QueryWindowTest {
 protected:
  void SetUp() override {
    AddRows("kfq_1.db", {{{"Id", "100001"}, {"QA01", "100001"}, {"QA04", "甲公司"}, {"QA02", "1"}, {"QC05", "10"}},
                         {{"Id", "100002"}, {"QA01", "100002"}, {"QA04", "乙公司"}, {"QA02", "1"}, {"QC05", "20"}},
                         {{"Id", "100003"}, {"QA01", "100003"}, {"QA04", "丙\"厂"}, {"QA02", "2"}, {"QC05", "5"}}});
    AddRows("kfq_2.db", {{{"ID", "100001_1"}, {"QA01", "100001"}, {"QE02", "甲一"}, {"QE14", "1"}},
                         {{"ID", "100001_2"}, {"QA01", "100001"}, {"QE02", "甲二"}, {"QE14", "2"}},
                         {{"ID", "100002_1"}, {"QA01", "100002"}, {"QE02", "乙一"}, {"QE14", "4"}}});
    Open(1);
  }
};

TEST_F(EnterpriseQueryTest, DictionaryFillsTheListsByFieldKind) {
  TF_query& w = F_query;
  EXPECT_EQ(w.Caption(), "高新区企业查询统计");
  EXPECT_EQ(w.QueryLoadedKind(), 1);
  EXPECT_EQ(w.ListBox1.Items(), w.CheckListBox1.Items());
  EXPECT_EQ(w.CheckListBox4.Items(), (std::vector<std::string>{"\"kfq_1.db\" a", "\"kfq_2.db\" b", "\"kfq_5.db\" c"}));
  // A counter is offered for totals only; a number everywhere but grouping; text everywhere but totals.
  const auto listed = [](const ui::ListBox& list, const std::string& caption) {
    const std::vector<std::string> items = list.Items();
    return std::count(items.begin(), items.end(), caption);
  };
  for (const auto& [caption, query, sums, groups] : std::vector<std::tuple<std::string, int, int, int>>{
           {"企业数", 0, 1, 0}, {"总收入", 1, 1, 0}, {"企业详细名称", 1, 0, 1}}) {
    EXPECT_EQ(listed(w.CheckListBox1, caption), query) << caption;
    EXPECT_EQ(listed(w.CheckListBox2, caption), sums) << caption;
    EXPECT_EQ(listed(w.CheckListBox3, caption), groups) << caption;
  }
  EXPECT_TRUE(w.Button9.isEnabled());
  EXPECT_EQ(w.PageControl1.ActivePage(), w.TabSheet1);

  // A double click on a tick box toggles that entry once, whichever was current.
  for (ui::CheckListBox* list : {&w.CheckListBox1, &w.CheckListBox2, &w.CheckListBox3}) {
    TickItem(*list, 0);
    ui::testing::DoubleClickTickBox(*list, 1);
    EXPECT_TRUE(list->Checked(0) && list->Checked(1)) << list->objectName().toStdString();
    for (int i : {0, 1}) list->SetChecked(i, false);
  }

  // Coming back with the same kind changes nothing; another kind reloads.
  TickItem(w.CheckListBox1, 2);
  w.PageControl1.SetActivePage(w.TabSheet2);
  Open(1);
  EXPECT_TRUE(w.CheckListBox1.Checked(2));
  EXPECT_EQ(w.PageControl1.ActivePage(), w.TabSheet2);
  ui_.SetScreenWidth(640);  // a narrow screen: the window moves to its corner on a load
  Open(4);
  EXPECT_EQ(w.pos(), QPoint(0, 0));
  EXPECT_EQ(w.Caption(), "国家级项目查询统计");
  EXPECT_FALSE(w.CheckListBox1.Checked(2));
  EXPECT_EQ(w.ReportTypeFilter(), " (is_chge=\"1\" or is_chge=\"2\")");
  EXPECT_EQ(w.CheckListBox4.Items(), (std::vector<std::string>{"\"gjxm.db\""}));
  Open(5);  // text fields only: nothing to total
  EXPECT_EQ(w.CheckListBox2.Count(), 0);
  EXPECT_FALSE(w.Button9.isEnabled());
}

TEST_F(EnterpriseQueryTest, FailedLoadKeepsTheListsAndIsTriedAgain) {
  TF_query& w = F_query;
  const std::vector<std::string> captions = w.ListBox1.Items();
  const auto dictionary = installed.folder() / "tzjg_dic.db";
  std::filesystem::rename(dictionary, installed.folder() / "moved.db");
  ui_.ExpectException("不能打开查询字典：表tzjg_dic.db不存在");
  Open(6);
  EXPECT_EQ(w.QueryLoadedKind(), 1);
  EXPECT_EQ(w.ListBox1.Items(), captions);
  EXPECT_EQ(w.Caption(), "高新区企业查询统计");

  std::filesystem::rename(installed.folder() / "moved.db", dictionary);
  Open(6);
  EXPECT_EQ(w.QueryLoadedKind(), 6);
  EXPECT_EQ(w.Caption(), "创业投资机构查询统计");

  ui_.ExpectException("query_db.db 中没有报表类型 7 的查询字典");
  db::Table index(main.Database1);
  index.SetTableName("query_db.db");
  index.Open();
  for (index.First(); !index.Eof();) index.FieldByName("id").AsInteger() == 7 ? index.Delete() : index.Next();
  index.Close();
  Open(7);
  EXPECT_EQ(w.QueryLoadedKind(), 6);
}

TEST_F(EnterpriseQueryTest, ValueModeListsQuotedValuesAndComesBack) {
  TF_query& w = F_query;
  const int name = QueryField("a.QA04");
  w.ListBox1.SetItemIndex(name);
  ASSERT_TRUE(Press(w.RadioButton2));
  EXPECT_EQ(w.GroupBox3->title().toStdString(), "字段值");
  EXPECT_EQ(w.ListBox1.Items(), (std::vector<std::string>{"\"甲公司\"", "\"乙公司\"", "\"丙\"\"厂\""}));
  ASSERT_TRUE(Press(w.RadioButton2));  // a second time changes nothing
  EXPECT_EQ(w.ListBox1.Count(), 3);
  ASSERT_TRUE(Press(w.RadioButton1));
  EXPECT_EQ(w.GroupBox3->title().toStdString(), "字段名");
  EXPECT_EQ(w.ListBox1.Items(), w.CheckListBox1.Items());
  EXPECT_EQ(w.ListBox1.ItemIndex(), name);

  w.ListBox1.SetItemIndex(QueryField("a.QC05"));
  ASSERT_TRUE(Press(w.RadioButton2));
  EXPECT_EQ(w.ListBox1.Items(), (std::vector<std::string>{"10", "20", "5"}));

  // Values that cannot be read leave the captions and the mode as they were.
  ASSERT_TRUE(Press(w.RadioButton1));
  const auto products = installed.folder() / "kfq_2.db";
  std::filesystem::rename(products, installed.folder() / "moved.db");
  w.ListBox1.SetItemIndex(QueryField("b.QE02"));
  ui_.ExpectException("不能打开数据库：表kfq_2.db不存在");
  ASSERT_TRUE(Press(w.RadioButton2));
  EXPECT_EQ(w.GroupBox3->title().toStdString(), "字段名");
  EXPECT_TRUE(w.RadioButton1.isChecked());
  EXPECT_EQ(w.ListBox1.Items(), w.CheckListBox1.Items());

  // A kind change while values are shown brings back the new kind's captions.
  Open(4);
  EXPECT_EQ(w.GroupBox3->title().toStdString(), "字段名");
  EXPECT_TRUE(w.RadioButton1.isChecked());
  EXPECT_EQ(w.ListBox1.Items(), w.CheckListBox1.Items());
}

TEST_F(EnterpriseQueryTest, ComposedConditionsSortFieldsAndDeletion) {
  TF_query& w = F_query;
  DoubleClickItem(w.ListBox1, QueryField("b.QE14"));
  DoubleClickItem(w.ListBox4, 6);  // "<="
  w.Edit1.SetText(w.Edit1.Text() + "2");
  ASSERT_TRUE(Press(w.Button2));
  EXPECT_EQ(w.ListBox2.Items(), (std::vector<std::string>{"b.QE14 <= 2"}));
  w.Edit1.clear();
  ClickItem(w.ListBox1, QueryField("a.QA04"));
  ASSERT_TRUE(Press(w.RadioButton2));
  DoubleClickItem(w.ListBox1, 0);
  EXPECT_EQ(w.Edit1.Text(), "\"甲公司\" ");
  w.Edit1.SetText("a.QA02 = \"1\"");
  ASSERT_TRUE(Press(w.Button2));
  w.Edit1.SetText("a.QC05 > 1");
  ASSERT_TRUE(Press(w.Button2));
  w.Edit1.clear();
  ASSERT_TRUE(Press(w.Button2));  // nothing composed: nothing added
  EXPECT_EQ(w.AndConditionTables(), (std::vector<std::string>{"\"kfq_2.db\" b", "\"kfq_1.db\" a", "\"kfq_1.db\" a"}));

  w.ListBox2.SetItemIndex(0);
  ASSERT_TRUE(Press(w.Button10));
  EXPECT_EQ(w.ListBox2.Items(), (std::vector<std::string>{"a.QA02 = \"1\"", "a.QC05 > 1"}));
  EXPECT_EQ(w.AndConditionTables(), (std::vector<std::string>{"\"kfq_1.db\" a", "\"kfq_1.db\" a"}));
  EXPECT_EQ(w.ListBox2.ItemIndex(), 0);
  w.ListBox2.SetItemIndex(1);
  ASSERT_TRUE(Press(w.Button10));
  EXPECT_EQ(w.ListBox2.ItemIndex(), 0);  // the new last one
  w.ListBox3.SetItemIndex(-1);
  ASSERT_TRUE(Press(w.Button12));  // empty list: nothing happens

  w.CheckListBox1.SetItemIndex(QueryField("a.QA04"));
  ASSERT_TRUE(Press(w.Button23));
  ASSERT_TRUE(Press(w.Button23));
  EXPECT_EQ(w.CheckListBox5.Items(), (std::vector<std::string>{"企业详细名称", "企业详细名称"}));
  EXPECT_TRUE(w.CheckListBox1.Checked(QueryField("a.QA04")));
  w.CheckListBox5.SetItemIndex(1);
  ASSERT_TRUE(Press(w.Button22));
  TickItem(w.CheckListBox5, 0);

  ASSERT_TRUE(Press(w.Button5));
  EXPECT_EQ(w.Memo1.Lines(), (std::vector<std::string>{"select a.QA04 企业详细名称", " from \"kfq_1.db\" a",
                                                        " where (a.QA02 = \"1\")", " order by 企业详细名称", " desc"}));
  EXPECT_EQ(Grid(), (std::vector<std::vector<std::string>>{{"乙公司"}, {"甲公司"}}));  // GBK order
  EXPECT_EQ(w.PageControl1.ActivePage(), w.TabSheet2);
  EXPECT_TRUE(w.Button3.isEnabled());
  EXPECT_TRUE(w.Button20.isEnabled());
}

TEST_F(EnterpriseQueryTest, QueriesAndTotalsRunOverJoinedTables) {
  TF_query& w = F_query;
  TickItem(w.CheckListBox1, QueryField("a.QA04"));
  TickItem(w.CheckListBox1, QueryField("b.QE02"));
  ASSERT_TRUE(Press(w.Button5));
  EXPECT_EQ(Grid().size(), 3u);  // one row per product
  EXPECT_EQ(w.DBGrid1.Column(1).Title(), "产品名称");

  const QueryDictionary& d = w.Dictionary();
  TickItem(w.CheckListBox3, Place(d.group_fields, "a.QA02"));
  TickItem(w.CheckListBox2, Place(d.sum_fields, "a.QC05"));
  TickItem(w.CheckListBox2, Place(d.sum_fields, "a.Qa_one"));
  ASSERT_TRUE(Press(w.Button9));
  EXPECT_EQ(w.DBGrid1.Column(1).Title(), "总收入合计");
  EXPECT_EQ(Grid(), (std::vector<std::vector<std::string>>{{"1", "30", ""}, {"2", "5", ""}}));

  // Joined with the products, each enterprise counts once per product.
  TickItem(w.CheckListBox2, Place(d.sum_fields, "b.QE14"));
  ASSERT_TRUE(Press(w.Button9));
  EXPECT_EQ(Grid(), (std::vector<std::vector<std::string>>{{"1", "40", "", "7"}}));

  // Without a sum field the result closes and nothing is run.
  TickItem(w.CheckListBox2, Place(d.sum_fields, "a.QC05"));
  TickItem(w.CheckListBox2, Place(d.sum_fields, "a.Qa_one"));
  TickItem(w.CheckListBox2, Place(d.sum_fields, "b.QE14"));
  const std::vector<std::string> shown = w.Memo1.Lines();
  ASSERT_TRUE(Press(w.Button9));
  EXPECT_FALSE(w.Query1.Active());
  EXPECT_EQ(w.Memo1.Lines(), shown);
  ui_.ExpectMessage(ui::MessageKind::Information, "提示窗口", "没有查询统计结果：请先进行查询或统计");
  ASSERT_TRUE(Press(w.Button3));

  // A condition typed without choosing its field is refused by name.
  w.PageControl1.SetActivePage(w.TabSheet1);
  w.Edit2.clear();
  w.Edit1.SetText("qc05 > 1");
  ASSERT_TRUE(Press(w.Button11));
  ui_.ExpectMessage(ui::MessageKind::Error, "错误窗口",
                    "条件“qc05 > 1”没有记下所属的数据库：请先单击条件中的字段，再重新增加这个条件");
  ASSERT_TRUE(Press(w.Button5));
  EXPECT_EQ(w.PageControl1.ActivePage(), w.TabSheet1);
}

TEST_F(EnterpriseQueryTest, EditedStatementsPrintSaveAndTranspose) {
  TF_query& w = F_query;
  w.Memo1.SetLines({"select qa01 编号, qc05 总收入", "from kfq_1 order by qa01"});
  ASSERT_TRUE(Press(w.Button13));
  EXPECT_EQ(Grid().size(), 3u);
  EXPECT_TRUE(w.Button20.isEnabled());

  ASSERT_TRUE(Press(w.Button14));
  ASSERT_NE(w.F_query_p(), nullptr);
  EXPECT_TRUE(w.F_query_p()->isVisible());
  EXPECT_EQ(installed.Rows("query_p.db").size(), 3u);
  EXPECT_EQ(installed.Rows("bt_p.db")[1][0].ToDisplayText(), "总收入");
  // A second print while the printout is open rewrites it under a closed printout.
  w.Memo1.SetLines({"select qa01 编号 from kfq_1 where qc05 > 6"});
  ASSERT_TRUE(Press(w.Button13));
  ASSERT_TRUE(Press(w.Button14));
  EXPECT_EQ(installed.Rows("query_p.db").size(), 2u);
  EXPECT_EQ(w.F_query_p()->Printout().PageCount(), 1);

  const std::string saved = (installed.folder() / "result.db").string();
  ui_.ExpectFileDialog("请选择存盘文件名", saved);
  ASSERT_TRUE(Press(w.Button20));
  EXPECT_EQ(formats::OpenTableFile(saved)->ReadAll().size(), 2u);

  ASSERT_TRUE(Press(w.Button3));
  EXPECT_EQ(w.Query1.SQL.Text(), "Select * from hljh.db");
  EXPECT_EQ(Grid(), (std::vector<std::vector<std::string>>{{"编号", "100001", "100002"}}));
  EXPECT_EQ(w.Memo1.Lines(), (std::vector<std::string>{"select qa01 编号 from kfq_1 where qc05 > 6"}));

  ui_.ExpectMessage(ui::MessageKind::Information, "提示信息", "语句已执行，共修改了 2 条记录");
  w.Memo1.SetLines({"update kfq_1 set qc05 = 0 where qa02 = \"1\""});
  ASSERT_TRUE(Press(w.Button13));
  w.F_query_p()->Close();
}

// A width typed into the column dialog comes back as typed, whatever
// pixels the grid's blank makes of it and however wide the title keeps the
// column, and a saved result takes it as the field's size.
TEST_F(EnterpriseQueryTest, ColumnDialogGivesBackTheWidthTyped) {
  TF_query& w = F_query;
  w.Memo1.SetLines({"select qa01 报表编号, qa04 企业名称 from kfq_1"});
  ASSERT_TRUE(Press(w.Button13));
  const std::string saved = (installed.folder() / "result.db").string();
  struct Case {
    int column;
    std::string typed;
  };
  for (const Case& c : {Case{1, "30"}, Case{1, "7"}, Case{0, "6"}, Case{1, "1"}, Case{1, "255"}}) {
    const auto in_dialog = [&](const std::function<void(dbtool::TF_change_c&)>& steps) {
      ui_.OnModal("F_change_c", [&](ui::Form& form) { steps(static_cast<dbtool::TF_change_c&>(form)); },
                  ui::kModalCancel);
      ui::testing::DoubleClickCell(w.DBGrid1, 0, c.column);
    };
    in_dialog([&](dbtool::TF_change_c& dialog) {
      dialog.Edit2.clear();
      ui::testing::Type(dialog.Edit2, c.typed);
      EXPECT_TRUE(Click(dialog.Button1));
    });
    in_dialog([&](dbtool::TF_change_c& dialog) {
      EXPECT_EQ(dialog.Edit2.Text(), c.typed) << "char width " << w.GridCharWidth();
      EXPECT_TRUE(Click(dialog.Button2));
    });
    ui_.ExpectFileDialog("请选择存盘文件名", saved);
    ASSERT_TRUE(Press(w.Button20));
    EXPECT_EQ(formats::OpenTableFile(saved)->fields()[c.column].size, std::stoi(c.typed)) << c.typed;
  }
}

TEST_F(EnterpriseQueryTest, KindFourKeepsChangedProjectsOnly) {
  AddRows("gjxm.db", {{{"Id", "1"}, {"JB00", "1"}, {"JB01", "项目一"}, {"IS_CHGE", "1"}},
                      {{"Id", "2"}, {"JB00", "2"}, {"JB01", "项目二"}},
                      {{"Id", "3"}, {"JB00", "3"}, {"JB01", "项目三"}, {"IS_CHGE", "2"}}});
  Open(4);
  ASSERT_TRUE(Press(F_query.Button5));
  EXPECT_EQ(F_query.Memo1.Lines(),
            (std::vector<std::string>{"select *", " from \"gjxm.db\"", " where  (is_chge=\"1\" or is_chge=\"2\")"}));
  EXPECT_EQ(Grid().size(), 2u);
}

// Every kind the main window offers the query for: its shipped dictionary
// loads, and the query of every field and the total of every sum grouped
// by every group field run on the demo folder.
class ShippedDictionaryTest : public QueryWindowTest {
 protected:
  ShippedDictionaryTest() : QueryWindowTest(true) {}
};

TEST_F(ShippedDictionaryTest, EveryOfferedKindQueriesAndTotals) {
  TF_query& w = F_query;
  for (const int kind : {1, 3, 4, 6, 8, 9, 10, 11}) {
    Open(kind);
    ASSERT_EQ(w.QueryLoadedKind(), kind);
    ASSERT_GT(w.CheckListBox1.Count(), 0) << kind;
    for (const std::string& caption : w.CheckListBox1.Items()) EXPECT_FALSE(caption.empty()) << kind;
    ASSERT_TRUE(Press(w.Button17));
    ASSERT_TRUE(Press(w.Button5));
    EXPECT_TRUE(w.Query1.Active()) << kind;
    EXPECT_EQ(w.DBGrid1.ColumnCount(), w.CheckListBox1.Count()) << kind;
    ASSERT_TRUE(Press(w.Button15));
    for (int g = 0; g < w.CheckListBox3.Count(); ++g) w.CheckListBox3.SetChecked(g, true);
    ASSERT_TRUE(Press(w.Button9));
    EXPECT_TRUE(w.Query1.Active()) << kind;
    ASSERT_TRUE(Press(w.Button14)) << kind;
    EXPECT_EQ(installed.Rows("bt_p.db").size(), static_cast<std::size_t>(w.DBGrid1.ColumnCount())) << kind;
  }
  EXPECT_TRUE(ui_.exceptions_shown().empty());
  w.F_query_p()->Close();
  // Both pages as the user sees them, for a look.
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("query_results.png")));
  w.PageControl1.SetActivePage(w.TabSheet1);
  EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("query_conditions.png")));
}

}  // namespace
}  // namespace veltra::query
