// The science-park window: two details on one master code, the fault's
// row looked up in its own detail, the import's region code.
#include "entry/dxkjy.h"
#include "tests/entry/master_detail_support.h"

namespace veltra::entry::testing {
namespace {

using Rows = std::vector<std::string>;

class DxkjyTest : public MasterDetailTest {
 protected:
  void SetUp() override {
    Open(DxkjyDescription());
    KeyIn(0, {{"CODE", "0001"}, {"TDF811", "甲大学科技园"}});
    KeyIn(1, {{"CODE2", "001"}, {"Tdf8114", "甲企业一"}});
    KeyIn(1, {{"CODE2", "002"}, {"Tdf8114", "甲企业二"}});
    KeyIn(2, {{"Code2", "0001"}, {"Tdf8q110", "甲项目一"}});
    KeyIn(2, {{"Code2", "0002"}, {"Tdf8q110", "甲项目二"}});
    KeyIn(0, {{"CODE", "0002"}, {"TDF811", "乙大学科技园"}});
  }
};

TEST_F(DxkjyTest, ANewCodeCarriesBothDetailsAndEitherDetailWaitsForTheCode) {
  ASSERT_TRUE(GoTo(0, "CODE", "0001"));
  frame().Master().Edit();
  frame().Master().FieldByName("CODE").SetAsString("0003");
  frame().ShowPage(PageOf(2));
  EXPECT_EQ(Column("dxzfqy.db", "ID"), (Rows{"0003001", "0003002"}));
  EXPECT_EQ(Column("dxxm.db", "Id"), (Rows{"00030001", "00030002"}));
  EXPECT_EQ(Outcome([&] { KeyIn(2, {{"Code2", "0001"}, {"Tdf8q110", "重复"}}); }), "项目数据错误:项目编号重复");
  CancelAll();
  frame().ShowPage(0);
  frame().InsertRecord();
  for (int kind : {1, 2}) {
    EXPECT_EQ(Outcome([&] { KeyIn(kind, {}); }), "提示窗口:请先填入大学园编号") << kind;
  }
  CancelAll();
}

TEST_F(DxkjyTest, AFaultIsLookedUpInTheDetailThatHasItsField) {
  // The same second-level code in both details: the faulty field decides.
  ASSERT_TRUE(GoTo(0, "CODE", "0001"));
  KeyIn(2, {{"Code2", "002"}, {"Tdf8q110", "甲项目三"}});
  for (const auto& [field, page, shown] : {std::tuple{"Tdf8q110", PageOf(2), "甲项目三"},
                                           std::tuple{"Tdf8114", PageOf(1), "甲企业二"}}) {
    frame().Close();
    unit().OpenedFromCheck = true;
    unit().LocateKeyField = "code";
    unit().LocateKeyValue = "0001";
    unit().LocateKeyValue2 = "002";
    unit().LocateFaultField = field;
    Open(DxkjyDescription());
    EXPECT_EQ(frame().View().page, page) << field;
    EXPECT_EQ(frame().CurrentTable()->FieldByName(field).AsString(), shown);
  }
}

TEST_F(DxkjyTest, ImportedRowsLoseTheirRegionCode) {
  Submit("dxxm.db", {{{"Code", "0002"}, {"Code2", "0001"}, {"Tdf8q110", "乙项目"}, {"Pxh", "110"}}});
  prompts.files = {"", "", In("dxxm.db")};
  frame().AppendFromFiles();
  EXPECT_EQ(prompts.dialog_titles.back(), "请选择大学科技园项目数据库（大学园填）  文件名:dxxm.db");
  EXPECT_EQ(prompts.questions.back().text, "是否清空大学科技园项目数据库数据库");
  EXPECT_EQ(Column("dxxm.db", "Id"), (Rows{"00010001", "00010002", "00020001"}));
  EXPECT_EQ(frame().CurrentTable(), &frame().Master());
  EXPECT_EQ(Column("dxxm.db", "Pxh"), (Rows{"", "", ""}));
  EXPECT_EQ(Column("dxxm.db", "Dxxm_one"), (Rows{"1", "1", "1"}));
}

}  // namespace
}  // namespace veltra::entry::testing
