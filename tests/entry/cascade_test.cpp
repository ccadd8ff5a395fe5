// Changing, deleting and scoping enterprises keeps their detail rows with them.
#include "platform/types/error.h"
#include "tests/entry/entry_test_support.h"

namespace veltra::entry::testing {
namespace {

class CascadeTest : public KfqTest {
 protected:
  void SetUp() override {
    kfq.Activate();
    AddEnterprise("110001", "L1", "甲");
    AddDetailRow(0, {{"QE01", "1"}});
    AddDetailRow(0, {{"QE01", "2"}});
    AddDetailRow(1, {{"Qh00", "1"}});
    AddEnterprise("110002", "L2", "乙");
    AddDetailRow(0, {{"QE01", "1"}});
    AddDetailRow(1, {{"Qh00", "1"}});
  }
  void Renumber(const std::string& from, const std::string& to) {
    ASSERT_TRUE(GoToEnterprise(from));
    kfq.Master().Edit();
    kfq.Master().FieldByName("QA01").SetAsString(to);
    kfq.SaveRecord();
  }
};

TEST_F(CascadeTest, NewReportNumberMovesEveryDetailRowAndRebuildsItsId) {
  AddRows("kfq2_chk.db", {{{"field_name", "QE14"}, {"field_value", "QE14>=0"}, {"field_text", "产值为负"},
                           {"status", "错误"}}});
  kfq.Close();
  kfq.Activate();
  Renumber("110001", "120001");
  EXPECT_EQ(Column("kfq_1.db", "Id"), (std::vector<std::string>{"120001", "110002"}));
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"120001_1", "120001_2", "110002_1"}));
  EXPECT_EQ(Column("kfq_5.db", "Qa01"), (std::vector<std::string>{"120001", "110002"}));
  EXPECT_EQ(kfq.SavedReportNo(), "120001");
  EXPECT_TRUE(kfq.DetailPostOn());
  // The detail rules are in force again after the cascade.
  kfq.ShowPage(PageOf(0));
  kfq.Detail(0).Edit();
  kfq.Detail(0).FieldByName("QE14").SetAsFloat(-5);
  EXPECT_THROW(kfq.SaveRecord(), EngineError);
  kfq.Detail(0).Cancel();
}

TEST_F(CascadeTest, EnteringADetailPagePostsAnEditedReportNumberFirst) {
  ASSERT_TRUE(GoToEnterprise("110002"));
  kfq.Master().Edit();
  kfq.Master().FieldByName("QA01").SetAsString("130002");
  kfq.ShowPage(PageOf(1));
  EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110001_1", "130002_1"}));
  EXPECT_EQ(kfq.Detail(1).RecordCount(), 1);
}

TEST_F(CascadeTest, ANumberUnderWhichARowExistsIsRefusedBeforeAnythingMoves) {
  struct Case {
    const char* orphan_id;
    const char* orphan_key;
    const char* new_key;
  };
  // Orphans of a deleted enterprise: one still carries the new number, one
  // already has the Id the second product would get.
  for (const Case& c : {Case{"110009_1", "110009", "110009"}, Case{"120001_2", "", "120001"}}) {
    SCOPED_TRACE(c.orphan_id);
    db::Table orphans(main().Database1);
    orphans.SetTableName("kfq_2.db");
    orphans.Open();
    orphans.Append();
    orphans.FieldByName("ID").SetAsString(c.orphan_id);
    orphans.FieldByName("QA01").SetAsString(c.orphan_key);
    orphans.FieldByName("QE01").SetAsString("1");
    orphans.Post();
    orphans.Close();
    const std::vector<std::string> ids = Column("kfq_2.db", "ID");
    ASSERT_TRUE(GoToEnterprise("110001"));
    kfq.Master().Edit();
    kfq.Master().FieldByName("QA01").SetAsString(c.new_key);
    EXPECT_THROW(kfq.SaveRecord(), SilentAbort);
    ASSERT_FALSE(prompts.notices.empty());
    EXPECT_EQ(prompts.notices.back().title, "错误窗口");
    EXPECT_EQ(prompts.notices.back().text, "企业数据错误:企业报表编号重复");
    kfq.Master().Cancel();
    EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001", "110002"}));
    EXPECT_EQ(Column("kfq_2.db", "ID"), ids);
    EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110001_1", "110002_1"}));
  }
}

TEST_F(CascadeTest, ANewEnterpriseNeverCascadesButItsNextNumberChangeDoes) {
  AddEnterprise("110003", "L3", "丙");
  EXPECT_EQ(Column("kfq_2.db", "QA01").size(), 3u);
  AddDetailRow(0, {{"QE01", "1"}});
  // Renumbered before the cursor ever left it: its product follows.
  kfq.ShowPage(0);
  kfq.Master().Edit();
  kfq.Master().FieldByName("QA01").SetAsString("110004");
  kfq.SaveRecord();
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1", "110001_2", "110002_1", "110004_1"}));
}

TEST_F(CascadeTest, DeletingAnEnterpriseDeletesExactlyItsRowsAndClosingPacks) {
  ASSERT_TRUE(GoToEnterprise("110001"));
  // Even with its products shown for every enterprise, only its own go.
  kfq.ShowPage(PageOf(0));
  kfq.SetDetailScope(0, DetailScope::AllEnterprises);
  kfq.ShowPage(0);
  kfq.Detail(0).SetMasterFields("");
  prompts.answers = {false, true};
  kfq.DeleteRecord();  // No: nothing happens
  EXPECT_EQ(Column("kfq_1.db", "QA01").size(), 2u);
  kfq.DeleteRecord();
  EXPECT_EQ(prompts.questions.back().text, "是否删除当前记录");
  EXPECT_EQ(prompts.questions.back().title, "提示");
  EXPECT_TRUE(main().RecordsDeleted);
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110002"}));
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110002_1"}));
  EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110002_1"}));
  const auto size_before = std::filesystem::file_size(folder() / "kfq_2.db");
  kfq.Close();
  EXPECT_FALSE(kfq.Master().Active());
  EXPECT_LE(std::filesystem::file_size(folder() / "kfq_2.db"), size_before);
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110002_1"}));
}

TEST_F(CascadeTest, TheAllEnterprisesScopeIsAViewThatMovesNoRow) {
  ASSERT_TRUE(GoToEnterprise("110001"));
  kfq.ShowPage(PageOf(0));
  kfq.SetDetailScope(0, DetailScope::AllEnterprises);
  EXPECT_FALSE(kfq.View().insert_enabled);
  EXPECT_EQ(kfq.Detail(0).RecordCount(), 3);
  kfq.Detail(0).Last();  // a product of 110002 while the master shows 110001
  kfq.SaveRecord();
  EXPECT_EQ(Column("kfq_2.db", "QA01"), (std::vector<std::string>{"110001", "110001", "110002"}));
  kfq.SetDetailScope(0, DetailScope::CurrentEnterprise);
  EXPECT_TRUE(kfq.View().insert_enabled);
  EXPECT_EQ(kfq.Detail(0).RecordCount(), 2);
  // Entering the page again always returns it to the current enterprise.
  kfq.SetDetailScope(0, DetailScope::AllEnterprises);
  kfq.ShowPage(0);
  kfq.ShowPage(PageOf(0));
  EXPECT_EQ(kfq.View().scopes[0], DetailScope::CurrentEnterprise);
}

}  // namespace
}  // namespace veltra::entry::testing
