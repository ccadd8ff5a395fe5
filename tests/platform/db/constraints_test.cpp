// Record constraints: exact messages, unknown passes, counted suspension.
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

class ConstraintsTest : public MasterTableTest {
 protected:
  void SetUp() override {
    MasterTableTest::SetUp();
    ConstraintList& list = table.Constraints();
    list.BeginUpdate();
    list.Clear();
    list.Add("QC05>=0 and QC05<=1e9", "营业收入超出范围");
    list.Add("QA01<>'000'", "报表编号不能为000");
    list.EndUpdate();
    table.Open();
  }

  std::string Refusal(const std::vector<std::string>& values) {
    try {
      AddRecord(table, values);
      return "";
    } catch (const EngineError& error) {
      table.Cancel();
      return error.what();
    }
  }

};

TEST_F(ConstraintsTest, AFailedConditionRefusesThePostWithItsMessage) {
  EXPECT_EQ(Refusal({"P1", "1", "", "-5"}), "营业收入超出范围");
  EXPECT_EQ(Refusal({"P1", "000", "", "5"}), "报表编号不能为000");
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
}

TEST_F(ConstraintsTest, AnUnknownConditionPasses) {
  EXPECT_EQ(Refusal({"P1", "1"}), "");  // QC05 null
}

TEST_F(ConstraintsTest, SuspensionIsCountedAndEveryRestoreIsNeeded) {
  table.DisableConstraints();
  table.DisableConstraints();
  EXPECT_EQ(Refusal({"P1", "1", "", "-5"}), "");
  table.EnableConstraints();
  EXPECT_EQ(Refusal({"P2", "2", "", "-5"}), "");
  table.EnableConstraints();
  EXPECT_EQ(Refusal({"P3", "3", "", "-5"}), "营业收入超出范围");
  table.EnableConstraints();  // an unpaired restore does not arm them twice
  table.DisableConstraints();
  EXPECT_EQ(Refusal({"P4", "4", "", "-5"}), "");
}

TEST_F(ConstraintsTest, AConditionNamingAMissingFieldFailsTheOpen) {
  table.Close();
  table.Constraints().Add("QX99>0", "x");
  EXPECT_THROW(table.Open(), EngineError);
  EXPECT_FALSE(table.Active());
  Table other(db());
  other.SetTableName("kfq_1.db");
  other.Open();  // the failed open left no cursor behind
  other.Close();
  EXPECT_NO_THROW(db().PackTable("kfq_1.db"));
}

}  // namespace
}  // namespace veltra::db::testing
