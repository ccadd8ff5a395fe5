// The software-base window's three levels: keys, both cascades, delete
// through the levels, the three-stage import, refusals and locate.
#include "entry/rjjd.h"
#include "tests/entry/master_detail_support.h"

namespace veltra::entry::testing {
namespace {

using Rows = std::vector<std::string>;

class RjjdTest : public MasterDetailTest {
 protected:
  void SetUp() override {
    Open(RjjdDescription());
    KeyIn(0, {{"Code", "0001"}, {"KE100", "甲基地"}});
    KeyIn(1, {{"Code2", "0001"}, {"Ke100", "甲一"}});
    KeyIn(2, {{"Code3", "0001"}, {"Ke189", "甲一产品一"}});
    KeyIn(2, {{"Code3", "0002"}, {"Ke189", "甲一产品二"}});
    KeyIn(1, {{"Code2", "0002"}, {"Ke100", "甲二"}});
    KeyIn(2, {{"Code3", "0001"}, {"Ke189", "甲二产品"}});
    KeyIn(0, {{"Code", "0002"}, {"KE100", "乙基地"}});
    KeyIn(1, {{"Code2", "0001"}, {"Ke100", "乙一"}});
    KeyIn(2, {{"Code3", "0001"}, {"Ke189", "乙一产品"}});
  }
  void Change(int kind, const std::string& field, const std::string& to) {
    TableOf(kind).Edit();
    TableOf(kind).FieldByName(field).SetAsString(to);
  }
};

TEST_F(RjjdTest, AnEnterpriseCodeCarriesItsProductsAndABaseCodeCarriesBothLevels) {
  ASSERT_TRUE(GoTo(0, "Code", "0001"));
  ASSERT_TRUE(GoTo(1, "Code2", "0001"));
  Change(1, "Code2", "0003");
  frame().ShowPage(PageOf(2));
  EXPECT_EQ(Column("rjjdqycp.db", "Id"), (Rows{"000100030001", "000100030002", "000100020001", "000200010001"}));
  EXPECT_EQ(frame().Detail(1).RecordCount(), 2);
  EXPECT_EQ(frame().SavedDetailKey(0), "0003");

  frame().ShowPage(0);
  Change(0, "Code", "0005");
  frame().ShowPage(PageOf(1));
  EXPECT_EQ(Column("rjjd.db", "Id"), (Rows{"0005", "0002"}));
  EXPECT_EQ(Column("rjjdqy.db", "Id"), (Rows{"00050003", "00050002", "00020001"}));
  EXPECT_EQ(Column("rjjdqycp.db", "Id"), (Rows{"000500030001", "000500030002", "000500020001", "000200010001"}));
  EXPECT_EQ(frame().SavedReportNo(), "0005");
  // The rules hold again after the cascades.
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"Code2", "0009"}}); }), "数据错误:企业名称不能为空");
  CancelAll();

  // Another enterprise of the base already has products under 0002's code: refused.
  ASSERT_TRUE(GoTo(1, "Code2", "0003"));
  Change(1, "Code2", "0002");
  EXPECT_EQ(Outcome([&] { frame().SaveRecord(); }), "错误窗口:数据错误:企业编号重复");
  CancelAll();
  EXPECT_EQ(Column("rjjdqy.db", "Code2"), (Rows{"0003", "0002", "0001"}));
}

TEST_F(RjjdTest, DeletingGoesThroughTheLevelsAndTouchesNoOtherBase) {
  // The products shown for every enterprise change nothing of what a delete takes.
  frame().ShowPage(PageOf(2));
  frame().SetDetailScope(1, DetailScope::AllEnterprises);
  EXPECT_FALSE(frame().View().insert_enabled);
  EXPECT_EQ(frame().Detail(1).RecordCount(), 4);
  ASSERT_TRUE(GoTo(0, "Code", "0001"));
  prompts.answers = {true};
  frame().DeleteRecord();
  EXPECT_EQ(Column("rjjd.db", "Code"), (Rows{"0002"}));
  EXPECT_EQ(Column("rjjdqy.db", "Id"), (Rows{"00020001"}));
  EXPECT_EQ(Column("rjjdqycp.db", "Id"), (Rows{"000200010001"}));
  // An enterprise takes its products with it.
  ASSERT_TRUE(GoTo(1, "Code2", "0001"));
  prompts.answers = {true};
  frame().DeleteRecord();
  EXPECT_EQ(Column("rjjd.db", "Code"), (Rows{"0002"}));
  EXPECT_TRUE(Column("rjjdqy.db", "Id").empty());
  EXPECT_TRUE(Column("rjjdqycp.db", "Id").empty());
}

TEST_F(RjjdTest, RefusalsNameTheMissingLevel) {
  EXPECT_EQ(Outcome([&] { KeyIn(2, {{"Ke189", "无序号"}}); }), "错误窗口:产品序号不能为空");
  CancelAll();
  EXPECT_EQ(Outcome([&] { KeyIn(2, {{"Code3", "0001"}, {"Ke189", "重复"}}); }), "数据错误:产品序号重复");
  CancelAll();
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"Code2", "0001"}, {"Ke100", "重复"}}); }), "数据错误:企业编号重复");
  CancelAll();
  EXPECT_EQ(Outcome([&] { KeyIn(0, {{"Code", "0001"}, {"KE100", "重复"}}); }), "数据错误:报表编号重复");
  CancelAll();
  // A new enterprise without its code: its products wait for it.
  frame().ShowPage(PageOf(1));
  frame().InsertRecord();
  frame().ShowPage(PageOf(2));
  EXPECT_EQ(Outcome([&] { frame().InsertRecord(); }), "提示窗口:请先填入软件基地编号或者企业编号");
  EXPECT_EQ(frame().View().page, 0);
  CancelAll();
  EXPECT_EQ(Column("rjjdqycp.db", "Id").size(), 4u);
  // While a product is being edited its enterprise's code cannot change.
  ASSERT_TRUE(GoTo(2, "Code3", "0001"));
  frame().Detail(1).Edit();
  frame().ShowPage(PageOf(1));
  EXPECT_FALSE(frame().View().detail_key_editable[0]);
  EXPECT_FALSE(frame().View().key_editable);
}

TEST_F(RjjdTest, TheThreeStageImportAsksPerStageAndBlanksTheRegionCode) {
  Submit("rjjd.db", {{{"Code", "0001"}, {"KE100", "甲基地(新)"}, {"Pxh", "110"}}, {{"Code", "0003"}, {"KE100", "丙基地"}}});
  Submit("rjjdqy.db", {{{"Code", "0003"}, {"Code2", "0001"}, {"Ke100", "丙一"}},
                       {{"Code", "0003"}, {"Code2", "0002"}, {"Ke100", "丙二"}}});
  Submit("rjjdqycp.db", {{{"Code", "0003"}, {"Code2", "0002"}, {"Code3", "0001"}, {"Ke189", "丙二产品"}}});
  prompts.files = {In("rjjd.db"), In("rjjdqy.db"), In("rjjdqycp.db")};
  prompts.answers = {false, false, true};
  frame().AppendFromFiles();
  EXPECT_EQ(prompts.dialog_titles, (Rows{"请选择软件基地数据库  文件名:rjjd.db", "请选择软件基地企业数据库  文件名:rjjdqy.db",
                                         "请选择软件基地企业产品数据库  文件名:rjjdqycp.db"}));
  EXPECT_EQ(prompts.questions[1].text, "是否清空软件基地企业数据库数据库");
  EXPECT_EQ(prompts.questions[2].text, "是否清空软件基地企业产品数据库数据库");
  EXPECT_EQ(Column("rjjd.db", "KE100"), (Rows{"甲基地(新)", "乙基地", "丙基地"}));
  EXPECT_EQ(Column("rjjd.db", "Pxh"), (Rows{"", "", ""}));
  EXPECT_EQ(Column("rjjdqy.db", "Id"), (Rows{"00010001", "00010002", "00020001", "00030001", "00030002"}));
  EXPECT_EQ(Column("rjjdqycp.db", "Id"), (Rows{"000300020001"}));  // Yes emptied the products first
  EXPECT_EQ(frame().Detail(1).MasterFields(), "Code;Code2");
  EXPECT_TRUE(frame().DetailPostOn());

  // A stage whose dialog is cancelled is skipped; the next one is asked for.
  prompts = {};
  prompts.files = {"", "", In("rjjdqycp.db")};
  frame().AppendFromFiles();
  EXPECT_EQ(prompts.dialog_titles.size(), 3u);
  EXPECT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(Column("rjjdqycp.db", "Id"), (Rows{"000300020001"}));
}

TEST_F(RjjdTest, AFaultOpensOnItsEnterpriseAndTheLocateDialogAlwaysMovesTheBase) {
  frame().Close();
  unit().OpenedFromCheck = true;
  unit().LocateKeyField = "code";
  unit().LocateKeyValue = "0001";
  unit().LocateKeyValue2 = "0002";
  unit().LocateFaultField = "Ke189";  // a product's fault names its enterprise
  Open(RjjdDescription());
  EXPECT_EQ(frame().View().page, PageOf(1));
  EXPECT_EQ(frame().Detail(0).FieldByName("Ke100").AsString(), "甲二");
  EXPECT_TRUE(unit().LocateKeyValue2.empty());

  frame().ShowPage(PageOf(2));
  db::Table* located = nullptr;
  frame().LocateDialog([&] { located = unit().LocateTable; });
  EXPECT_EQ(located, &frame().Master());
  EXPECT_EQ(unit().LocateIndexName, "rjjd");
}

}  // namespace
}  // namespace veltra::entry::testing
