// Posting in the enterprise window: keys, counters, send marks, refusals.
#include "platform/types/error.h"
#include "tests/entry/entry_test_support.h"
#include "tests/support/file_io_probe.h"

namespace veltra::entry::testing {
namespace {

TEST_F(KfqTest, FirstActivationOpensOnTheCoverWithOnlyTheCoverShownForAnEmptyTable) {
  ASSERT_TRUE(kfq.Activate());
  EXPECT_EQ(kfq.View().page, 0);
  EXPECT_FALSE(kfq.View().master_pages_shown);
  EXPECT_EQ(kfq.View().status, "报表编号:   当前记录: 0  总记录: 0  未修改");
  EXPECT_FALSE(kfq.Activate());  // later activations only refresh the status line
  kfq.InsertRecord();
  EXPECT_TRUE(kfq.View().master_pages_shown);
  EXPECT_TRUE(kfq.View().status.ends_with("  已修改")) << kfq.View().status;
}

TEST_F(KfqTest, PostsBuildKeysAndCountersAndZeroNullNumbers) {
  kfq.Activate();
  {
    veltra::testing::FileIoProbe probe("kfq_1.db");
    AddEnterprise("110001", "L1", "甲公司");
    EXPECT_GE(probe.syncs, 1) << "a saved enterprise is on the disk itself";
  }
  AddDetailRow(0, {{"QE01", "1"}, {"QE02", "产品甲"}});
  AddDetailRow(1, {{"Qh00", "3"}, {"Xmmc", "项目"}});
  EXPECT_EQ(Column("kfq_1.db", "Id"), (std::vector<std::string>{"110001"}));
  EXPECT_EQ(Column("kfq_1.db", "Qa_one"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Column("kfq_1.db", "QC05"), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Column("kfq_1.db", "QB01"), (std::vector<std::string>{""}));  // text stays null
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1"}));
  EXPECT_EQ(Column("kfq_2.db", "QA01"), (std::vector<std::string>{"110001"}));
  EXPECT_EQ(Column("kfq_2.db", "QE14"), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110001_3"}));
  EXPECT_EQ(Column("kfq_5.db", "Qh_one"), (std::vector<std::string>{"1"}));
}

TEST_F(KfqTest, SendMarksAreClearedOnceOnEachOpening) {
  const std::vector<std::map<std::string, std::string>> marks = {
      {{"id", "2"}, {"name", "kfq_1.db"}}, {{"id", "1"}, {"name", "kfq_r.db"}}, {{"id", "2"}, {"name", "fhq.db"}}};
  AddRows("sendname.db", marks);
  kfq.Activate();
  AddEnterprise("110001", "L1", "甲");
  EXPECT_EQ(Column("sendname.db", "name"), (std::vector<std::string>{"fhq.db"}));
  AddRows("sendname.db", {marks[0]});
  AddEnterprise("110002", "L2", "乙");  // same opening: the statement does not run again
  EXPECT_EQ(Column("sendname.db", "name").size(), 2u);
  kfq.Close();
  kfq.Activate();
  kfq.SaveRecord();
  EXPECT_EQ(Column("sendname.db", "name"), (std::vector<std::string>{"fhq.db"}));
}

TEST_F(KfqTest, RefusedPostsCarryTheWindowsWords) {
  kfq.Activate();
  AddEnterprise("110001", "L1", "甲");
  const auto refusal = [&](const std::string& qa01, const std::string& qa03, const std::string& qa04) {
    try {
      AddEnterprise(qa01, qa03, qa04);
    } catch (const EngineError& error) {
      kfq.Master().Cancel();
      return std::string(error.what());
    }
    return std::string("posted");
  };
  EXPECT_EQ(refusal("110001", "L2", "乙"), "企业数据错误:企业报表编号重复");
  EXPECT_EQ(refusal("110002", "L2", "甲"), "企业数据错误:企业名称重复");
  EXPECT_EQ(refusal("110002", "L1", "乙"), "企业数据错误:企业法人代码重复");
  // An engine refusal is told in the user's words too.
  EXPECT_EQ(refusal("110002", "L2", "乙\U0001F600"),
            "企业数据错误:表kfq_1.db的字段“企业详细名称”不能取值“乙\U0001F600”：字符“\U0001F600”（U+1F600，第2个字符）无法用代码页936存储");
  EXPECT_EQ(Column("kfq_1.db", "QA01").size(), 1u);

  GoToEnterprise("110001");
  AddDetailRow(0, {{"QE01", "1"}});
  try {
    AddDetailRow(0, {{"QE01", "1"}});
    ADD_FAILURE() << "a second product 1 was posted";
  } catch (const EngineError& error) {
    EXPECT_STREQ(error.what(), "产品数据错误:产品序号重复");
    EXPECT_EQ(kfq.Detail(0).State(), db::DataSetState::Insert);  // the user's values stay
  }
}

TEST_F(KfqTest, RuleTablesBecomeConstraintsAndMasks) {
  AddRows("kfq1_chk.db", {{{"field_name", "QC05"}, {"field_value", "QC05>=0"}, {"field_text", "总收入不能为负"},
                           {"status", "错误"}, {"field_mask", "999999;0;_"}},
                          {{"field_name", "QC02"}, {"field_value", "QC02>=0"}, {"field_text", "只是警告"},
                           {"status", "警告"}}});
  kfq.Activate();
  EXPECT_EQ(kfq.Master().FieldByName("QC05").EditMask(), "999999;0;_");
  kfq.InsertRecord();
  kfq.Master().FieldByName("QA01").SetAsString("110001");
  kfq.Master().FieldByName("QC05").SetAsFloat(-1);
  kfq.Master().FieldByName("QC02").SetAsFloat(-1);
  try {
    kfq.SaveRecord();
    ADD_FAILURE() << "the rule did not hold";
  } catch (const EngineError& error) {
    EXPECT_STREQ(error.what(), "企业数据错误:总收入不能为负");
  }
  kfq.SetValidation(false);
  kfq.SetValidation(false);  // twice off changes nothing the second time
  kfq.SaveRecord();
  kfq.SetValidation(true);
  EXPECT_TRUE(kfq.ValidationOn());
  EXPECT_FALSE(kfq.Master().ConstraintsDisabled());
  EXPECT_THROW(kfq.SaveRecord(), EngineError);
}

TEST_F(KfqTest, DetailChecksRefuseWithANoticeAndASilentAbort) {
  kfq.Activate();
  AddEnterprise("110001", "L1", "甲");
  kfq.ShowPage(PageOf(0));
  kfq.InsertRecord();
  EXPECT_THROW(kfq.SaveRecord(), SilentAbort);
  ASSERT_EQ(prompts.notices.size(), 1u);
  EXPECT_EQ(prompts.notices[0].text, "产品编号不能为空");
  EXPECT_EQ(prompts.notices[0].title, "错误窗口");
  EXPECT_TRUE(prompts.notices[0].error) << "with the error's sign, not the information one";
  kfq.Detail(0).Cancel();

  // A new enterprise without its report number: its rows cannot be keyed in yet.
  kfq.ShowPage(0);
  kfq.InsertRecord();
  kfq.ShowPage(PageOf(1));
  EXPECT_THROW(kfq.InsertRecord(), SilentAbort);
  EXPECT_EQ(prompts.notices.back().text, "请先填入企业报表编号");
  EXPECT_EQ(prompts.notices.back().title, "提示窗口");
  EXPECT_EQ(kfq.View().page, 0);
  EXPECT_EQ(kfq.Detail(1).State(), db::DataSetState::Browse);
}

}  // namespace
}  // namespace veltra::entry::testing
