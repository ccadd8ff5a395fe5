// Locate on open and the locate dialogs' searches.
#include "entry/locate.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "tests/entry/entry_test_support.h"

namespace veltra::entry::testing {
namespace {

class LocateTest : public KfqTest {
 protected:
  void SetUp() override {
    AddRows("kfq_1.db", {{{"Id", "A3"}, {"QA01", "300003"}, {"QA03", "L3"}, {"QA04", "丙"}},
                         {{"Id", "A1"}, {"QA01", "100001"}, {"QA03", "L1"}, {"QA04", "甲"}},
                         {{"Id", "A2"}, {"QA01", "200002"}, {"QA03", "L2"}, {"QA04", "乙"}}});
  }
  std::string Current() { return kfq.Master().FieldByName("QA01").AsString(); }
};

TEST_F(LocateTest, ValidationRequestOpensOnTheFaultyRecord) {
  main().OpenedFromCheck = true;
  main().LocateKeyField = "qa01";
  main().LocateKeyValue = "300003";
  kfq.Activate();
  EXPECT_EQ(Current(), "300003");
  EXPECT_EQ(kfq.SavedReportNo(), "300003");
  EXPECT_TRUE(text::EqualsIgnoreAsciiCase(kfq.Master().IndexFieldNames(), "id"));
  EXPECT_TRUE(kfq.View().master_pages_shown);
}

TEST_F(LocateTest, StatusLineDialogFindsByNumberAndByEitherKey) {
  kfq.Activate();
  LocateChoice choice;
  const auto locate = [&](const std::string& value) {
    kfq.LocateDialog([&] { choice.Locate(*main().LocateTable, value); });
  };
  EXPECT_EQ(Current(), "100001");  // ordered by Id
  locate("3");
  EXPECT_EQ(Current(), "300003");
  locate("99");
  EXPECT_EQ(Current(), "300003");  // beyond the last stays on the last
  locate("-4");
  EXPECT_EQ(Current(), "100001");
  EXPECT_THROW(locate("x2"), EngineError);
  ChooseLegalPersonCode(choice);
  locate("L2");
  EXPECT_EQ(Current(), "200002");
  EXPECT_EQ(kfq.SavedReportNo(), "200002");
  EXPECT_EQ(kfq.Master().IndexFieldNames(), "id");
  ChooseReportNumber(choice);
  locate("300003");
  EXPECT_EQ(Current(), "300003");
  locate("999999");  // not found: stays
  EXPECT_EQ(Current(), "300003");
  EXPECT_FALSE(choice.Locate(kfq.Master(), ""));
  EXPECT_TRUE(HasIndex(kfq.Master(), "KFQ_12"));
  EXPECT_FALSE(HasIndex(kfq.Detail(0), "kfq_12"));
}

TEST_F(LocateTest, KeySearchWithoutAnIndexNameUsesTheCurrentOrder) {
  kfq.Activate();
  kfq.Master().SetIndexFieldNames("QA01");
  LocateChoice choice;
  choice.by = LocateChoice::By::Key;
  choice.key_field = "qa01";
  choice.Locate(kfq.Master(), "200002");
  EXPECT_EQ(Current(), "200002");
  EXPECT_EQ(kfq.Master().IndexFieldNames(), "QA01");
}

TEST_F(LocateTest, TheDialogIsOfferedOnlyForTablesWithoutAMasterLink) {
  kfq.Activate();
  kfq.ShowPage(PageOf(0));
  bool shown = false;
  kfq.LocateDialog([&] { shown = true; });
  EXPECT_FALSE(shown);
  kfq.SetDetailScope(0, DetailScope::AllEnterprises);
  kfq.LocateDialog([&] { shown = true; });
  EXPECT_TRUE(shown);
  EXPECT_EQ(main().LocateTable, &kfq.Detail(0));
  EXPECT_EQ(main().LocateIndexName, "kfq_1");
}

}  // namespace
}  // namespace veltra::entry::testing
