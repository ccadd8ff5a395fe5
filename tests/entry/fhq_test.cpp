// The incubator window's data logic: keys, cascade, delete, import, locate.
#include "entry/fhq.h"
#include "entry/locate.h"
#include "tests/entry/master_detail_support.h"

namespace veltra::entry::testing {
namespace {

using Rows = std::vector<std::string>;

class FhqTest : public MasterDetailTest {
 protected:
  void SetUp() override {
    Open(FhqDescription());
    KeyIn(0, {{"CODE", "0001"}, {"TDF711", "甲孵化器"}});
    KeyIn(1, {{"CODE2", "0001"}, {"Tdf730", "甲一"}});
    KeyIn(1, {{"CODE2", "0002"}, {"Tdf730", "甲二"}});
    KeyIn(0, {{"CODE", "0002"}, {"TDF711", "乙孵化器"}});
    KeyIn(1, {{"CODE2", "0001"}, {"Tdf730", "乙一"}});
  }
  void Recode(const std::string& from, const std::string& to) {
    ASSERT_TRUE(GoTo(0, "CODE", from));
    frame().Master().Edit();
    frame().Master().FieldByName("CODE").SetAsString(to);
  }
};

TEST_F(FhqTest, PostsCountAndZeroNumbersAndEveryPageKeepsItsActions) {
  EXPECT_EQ(Column("fhq.db", "FHQ_ONE"), (Rows{"1", "1"}));
  EXPECT_EQ(Column("fhqzfqy.db", "TDF7G210"), (Rows{"0", "0", "0"}));
  EXPECT_EQ(frame().View().status, "报表编号: 0002  当前记录: 1  总记录: 1  未修改");
  for (int page = 0; page < 3; ++page) {
    frame().ShowPage(page);
    EXPECT_TRUE(frame().View().insert_enabled && frame().View().append_enabled) << page;
  }
  frame().Close();
  Open(FhqDescription());
  EXPECT_TRUE(frame().View().master_pages_shown);
}

TEST_F(FhqTest, RefusalsAndPostErrorsCarryTheWindowsWords) {
  AddRows("sendname.db", {{{"id", "2"}, {"name", "fhq.db"}}});
  frame().Close();
  Open(FhqDescription());
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"Tdf730", "无编号"}}); }), "错误窗口:在孵企业编号不能为空");
  CancelAll();
  EXPECT_TRUE(Column("sendname.db", "name").empty());  // cleared even by the refused post
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"CODE2", "0001"}, {"Tdf730", "重复"}}); }), "企业数据错误:企业编号重复");
  CancelAll();
  EXPECT_EQ(Outcome([&] { KeyIn(0, {{"CODE", "0001"}, {"TDF711", "重复"}}); }), "数据错误:编号重复");
  CancelAll();
  // A new incubator without its code: its enterprises wait for it.
  frame().ShowPage(0);
  frame().InsertRecord();
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"CODE2", "0009"}}); }), "提示窗口:请先填入大学科技企业孵化器编号");
  EXPECT_EQ(frame().View().page, 0);
  CancelAll();
  EXPECT_EQ(Column("fhqzfqy.db", "ID").size(), 3u);
}

TEST_F(FhqTest, ANewCodeCarriesEveryEnterpriseAndACollisionChangesNothing) {
  Recode("0001", "0003");
  frame().ShowPage(PageOf(1));  // entering the enterprises' page posts the code first
  EXPECT_EQ(Column("fhq.db", "ID"), (Rows{"0003", "0002"}));
  EXPECT_EQ(Column("fhqzfqy.db", "ID"), (Rows{"00030001", "00030002", "00020001"}));
  EXPECT_EQ(frame().Detail(0).RecordCount(), 2);
  EXPECT_EQ(frame().SavedReportNo(), "0003");
  // The enterprise rules are in force again.
  EXPECT_EQ(Outcome([&] { KeyIn(1, {{"CODE2", "0007"}}); }), "企业数据错误:企业名称不能为空");
  CancelAll();

  // An orphan row under 0009, and one whose ID 00080002 a move to 0008 would repeat.
  AddRows("fhqzfqy.db", {{{"ID", "00090001"}, {"CODE", "0009"}, {"CODE2", "0001"}},
                         {{"ID", "00080002"}, {"CODE", "7777"}, {"CODE2", "0002"}}});
  for (const char* taken : {"0009", "0008"}) {
    Recode("0003", taken);
    EXPECT_EQ(Outcome([&] { frame().SaveRecord(); }), "错误窗口:数据错误:编号重复") << taken;
    CancelAll();
  }
  EXPECT_EQ(Column("fhq.db", "CODE"), (Rows{"0003", "0002"}));
  EXPECT_EQ(Column("fhqzfqy.db", "CODE"), (Rows{"0003", "0003", "0002", "0009", "7777"}));
}

TEST_F(FhqTest, DeletingAnIncubatorDeletesExactlyItsEnterprisesAndClosingPacks) {
  ASSERT_TRUE(GoTo(0, "CODE", "0001"));
  prompts.answers = {true};
  frame().DeleteRecord();
  EXPECT_TRUE(unit().RecordsDeleted);
  EXPECT_EQ(Column("fhq.db", "CODE"), (Rows{"0002"}));
  EXPECT_EQ(Column("fhqzfqy.db", "ID"), (Rows{"00020001"}));
  ASSERT_TRUE(GoTo(1, "CODE2", "0001"));
  prompts.answers = {true};
  frame().DeleteRecord();  // on the enterprises' page only the row goes
  EXPECT_EQ(Column("fhq.db", "CODE"), (Rows{"0002"}));
  EXPECT_TRUE(Column("fhqzfqy.db", "ID").empty());
  frame().Close();
  EXPECT_FALSE(frame().Master().Active());
}

TEST_F(FhqTest, ImportMergesByKeyKeepsTheSourcesRegionCodeAndAsksBeforeEmptying) {
  Submit("fhq.db", {{{"CODE", "0001"}, {"TDF711", "甲(新名)"}, {"Pxh", "110"}},
                    {{"CODE", "0005"}, {"TDF711", "戊孵化器"}}});
  Submit("fhqzfqy.db", {{{"CODE", "0001"}, {"CODE2", "0002"}, {"Tdf730", "甲二(新)"}},
                        {{"CODE", "0005"}, {"CODE2", "0001"}, {"Tdf730", "戊一"}}});
  prompts.files = {In("fhq.db"), In("fhqzfqy.db")};
  prompts.answers = {false, true};
  frame().AppendFromFiles();
  EXPECT_EQ(prompts.dialog_titles, (Rows{"请选择科技企业孵化器数据库  文件名:fhq.db",
                                         "请选择科技企业孵化器在孵(毕业)企业数据库  文件名:fhqzfqy.db"}));
  EXPECT_EQ(prompts.questions[0].text, "是否清空科技企业孵化器数据库");
  EXPECT_EQ(prompts.questions[1].text, "是否清空科技企业孵化器在孵(毕业)企业数据库数据库");
  EXPECT_EQ(prompts.questions[1].title, "");
  EXPECT_EQ(Column("fhq.db", "TDF711"), (Rows{"甲(新名)", "乙孵化器", "戊孵化器"}));
  EXPECT_EQ(Column("fhq.db", "Pxh"), (Rows{"110", "", ""}));
  EXPECT_EQ(Column("fhq.db", "ID"), (Rows{"0001", "0002", "0005"}));
  // Yes emptied the enterprises first: only the imported ones are left.
  EXPECT_EQ(Column("fhqzfqy.db", "ID"), (Rows{"00010002", "00050001"}));
  EXPECT_EQ(frame().View().page, 0);
  EXPECT_FALSE(frame().Master().ConstraintsDisabled());
  EXPECT_TRUE(frame().DetailPostOn());
}

TEST_F(FhqTest, AValidationFaultOpensOnItsEnterprise) {
  frame().Close();
  unit().OpenedFromCheck = true;
  unit().LocateKeyField = "code";
  unit().LocateKeyValue = "0001";
  unit().LocateKeyValue2 = "0002";
  unit().LocateFaultField = "Tdf730";
  Open(FhqDescription());
  EXPECT_EQ(frame().Master().FieldByName("CODE").AsString(), "0001");
  EXPECT_EQ(frame().View().page, PageOf(1));
  EXPECT_EQ(frame().CurrentTable(), &frame().Detail(0));
  EXPECT_EQ(frame().Detail(0).FieldByName("Tdf730").AsString(), "甲二");
  EXPECT_TRUE(unit().LocateKeyValue2.empty());
  EXPECT_EQ(frame().View().status, "报表编号: 0001  当前记录: 2  总记录: 2  未修改");

  // The status-line dialog searches the incubator's code, on the master pages only.
  LocateChoice by_code;
  frame().LocateDialog([&] { by_code = {LocateChoice::By::Key, unit().LocateKeyField, unit().LocateIndexName}; });
  EXPECT_TRUE(by_code.key_field.empty());
  frame().ShowPage(1);
  frame().LocateDialog([&] {
    by_code = {LocateChoice::By::Key, unit().LocateKeyField, unit().LocateIndexName};
    by_code.Locate(*unit().LocateTable, "0002");
  });
  EXPECT_EQ(by_code.key_index, "fhq");
  EXPECT_EQ(frame().Master().FieldByName("CODE").AsString(), "0002");
  EXPECT_EQ(frame().SavedReportNo(), "0002");
}

}  // namespace
}  // namespace veltra::entry::testing
