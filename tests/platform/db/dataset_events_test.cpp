// States, navigation and the order of events that the entry windows rely on.
#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

class DataSetTest : public MasterTableTest {
 protected:
  void SetUp() override {
    MasterTableTest::SetUp();
    table.Open();
  }
};

TEST_F(DataSetTest, NavigationStopsAtBothEndsAndReportsPosition) {
  for (const char* key : {"3", "1", "2"}) AddRecord(table, {std::string("P") + key, key});
  table.First();
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.FieldByName("qa01").AsString(), "1");  // primary index order
  EXPECT_EQ(table.MoveBy(10), 2);
  EXPECT_EQ(table.RecNo(), 3);
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 3);
  EXPECT_EQ(table.MoveBy(-10), -2);
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.RecordCount(), 3);

  int rows = 0;
  for (table.First(); !table.Eof(); table.Next()) ++rows;
  EXPECT_EQ(rows, 3);
}

TEST_F(DataSetTest, EditOnAnEmptyTableStartsANewRecord) {
  ASSERT_TRUE(table.IsEmpty());
  table.Edit();
  EXPECT_EQ(table.State(), DataSetState::Insert);
  table.FieldByName("ID").SetAsString("P9");
  table.Post();
  EXPECT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(FileRows("kfq_1.db").size(), 1u);
}

TEST_F(DataSetTest, EventsFireInTheOrderTheWindowsRelyOn) {
  AddRecord(table, {"P1", "1"});
  std::vector<std::string> log;
  DataSource source(&table);
  source.OnStateChange = [&](DataSource& s) {
    log.push_back(s.State() == DataSetState::Edit     ? "state:edit"
                  : s.State() == DataSetState::Insert ? "state:insert"
                                                      : "state:browse");
  };
  table.BeforePost = [&](DataSet&) { log.push_back("before"); };
  table.AfterPost = [&](DataSet&) { log.push_back("after"); };
  table.AfterScroll = [&](DataSet&) { log.push_back("scroll"); };

  table.Edit();  // unchanged: the post still runs BeforePost
  table.Post();
  table.Append();
  table.FieldByName("ID").SetAsString("P2");
  table.Post();
  EXPECT_EQ(log, (std::vector<std::string>{"state:edit", "before", "state:browse", "after", "state:insert",
                                           "scroll", "before", "state:browse", "after"}));
}

TEST_F(DataSetTest, MovingAwayPostsAChangedRecordAndCancelsAnUnchangedOne) {
  AddRecord(table, {"P1", "1"});
  AddRecord(table, {"P2", "2"});
  int posts = 0;
  table.BeforePost = [&](DataSet&) { ++posts; };
  table.First();
  table.Edit();
  table.Next();
  EXPECT_EQ(posts, 0);
  table.Edit();
  table.FieldByName("QA02").SetAsString("changed");
  table.First();
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(FileRows("kfq_1.db")[1][2], "changed");
}

TEST_F(DataSetTest, PostErrorMayRewriteTheMessageCancelOrAbort) {
  AddRecord(table, {"P1", "1"});
  table.OnPostError = [](DataSet&, PostError& error, PostErrorAction&) {
    if (error.kind == EngineError::Kind::KeyViolation) error.message = "企业数据错误:企业报表编号重复";
  };
  table.Append();
  table.FieldByName("ID").SetAsString("P1");
  try {
    table.Post();
    FAIL() << "duplicate key accepted";
  } catch (const EngineError& error) {
    EXPECT_EQ(std::string(error.what()), "企业数据错误:企业报表编号重复");
  }
  EXPECT_EQ(table.State(), DataSetState::Insert);  // the user's values stay

  table.OnPostError = [](DataSet& data, PostError&, PostErrorAction& action) {
    data.Cancel();
    action = PostErrorAction::Abort;
  };
  EXPECT_THROW(table.Post(), SilentAbort);
  EXPECT_EQ(table.State(), DataSetState::Browse);
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(DataSetTest, RetryPostsAgainAfterTheHandlerRepairedTheRecord) {
  AddRecord(table, {"P1", "1"});
  int calls = 0;
  table.OnPostError = [&](DataSet& data, PostError&, PostErrorAction& action) {
    ++calls;
    data.FieldByName("ID").SetAsString("P2");
    action = PostErrorAction::Retry;
  };
  table.Append();
  table.FieldByName("ID").SetAsString("P1");
  table.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(FileRows("kfq_1.db")[1][0], "P2");
}

TEST_F(DataSetTest, StateChangeHandlerMayCancelAndAbortTheEdit) {
  AddRecord(table, {"P1", "1"});
  DataSource source(&table);
  source.OnStateChange = [](DataSource& s) {
    if (s.State() == DataSetState::Edit || s.State() == DataSetState::Insert) {
      s.GetDataSet()->Cancel();
      throw SilentAbort();
    }
  };
  EXPECT_THROW(table.Edit(), SilentAbort);
  EXPECT_EQ(table.State(), DataSetState::Browse);
  EXPECT_THROW(table.Append(), SilentAbort);
  EXPECT_EQ(table.State(), DataSetState::Browse);
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(DataSetTest, BeforePostAbortLeavesTheRecordInEditState) {
  table.BeforePost = [](DataSet&) { throw SilentAbort(); };
  table.Append();
  table.FieldByName("ID").SetAsString("P1");
  EXPECT_THROW(table.Post(), SilentAbort);
  EXPECT_EQ(table.State(), DataSetState::Insert);
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P1");
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
}

TEST_F(DataSetTest, WideTextIsCutOnACharacterBoundary) {
  table.Append();
  table.FieldByName("QA01").SetAsString("甲乙丙丁戊己");  // 12 bytes into 10
  EXPECT_EQ(table.FieldByName("QA01").AsString(), "甲乙丙丁戊");
  table.FieldByName("QA01").SetAsString("a甲乙丙丁戊");  // 11 bytes: the last character goes whole
  EXPECT_EQ(table.FieldByName("QA01").AsString(), "a甲乙丙丁");
}

TEST_F(DataSetTest, TextTheCodePageCannotHoldIsRefusedNamingTheField) {
  table.Append();
  table.FieldByName("ID").SetAsString("P1");
  table.FieldByName("QA02").SetAsString("😀");
  try {
    table.Post();
    FAIL() << "unencodable text accepted";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.kind(), EngineError::Kind::InvalidValue);
    EXPECT_NE(std::string(error.what()).find("QA02"), std::string::npos);
  }
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
}

TEST_F(DataSetTest, FieldValuesConvertAndNullReadsAsZero) {
  table.Append();
  Field& number = table.FieldByName("qc05");
  EXPECT_TRUE(number.IsNull());
  EXPECT_EQ(number.AsFloat(), 0);
  number.SetAsString("12.5");
  EXPECT_EQ(number.AsFloat(), 12.5);
  EXPECT_EQ(number.AsString(), "12.5");
  EXPECT_THROW(number.SetAsString("abc"), EngineError);
  EXPECT_EQ(table.FindField("nothing"), nullptr);
  EXPECT_THROW(table.FieldByName("nothing"), EngineError);
  EXPECT_EQ(table.FieldByName("QA01").DataSize(), 11);
  table.FieldByName("QA01").SetEditMask("999999;0;_");
  EXPECT_EQ(table.FieldByName("qa01").EditMask(), "999999;0;_");
  table.Cancel();
  EXPECT_THROW(number.SetAsFloat(1), EngineError);  // browse state
}

TEST_F(DataSetTest, DeleteMovesToTheNextRecordUntilNoneIsLeft) {
  for (const char* key : {"1", "2", "3"}) AddRecord(table, {std::string("P") + key, key});
  table.First();
  table.Next();
  table.Delete();
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P3");
  while (!table.IsEmpty()) table.Delete();
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
  EXPECT_THROW(table.Delete(), EngineError);
}

}  // namespace
}  // namespace veltra::db::testing

namespace veltra::db::testing {
namespace {

class RecordingObserver : public DataSourceObserver {
 public:
  void ActiveChanged(DataSource&) override { log.push_back("active"); }
  void DataSetChanged(DataSource&) override { log.push_back("data"); }
  void RecordChanged(DataSource&, const Field* field) override {
    log.push_back("field:" + (field ? field->FieldName() : std::string("*")));
  }
  std::vector<std::string> log;
};

TEST_F(DataSetTest, ADisabledSourceShowsNothingAndTellsItsObserversNothing) {
  DataSource source(&table);
  RecordingObserver observer;
  source.AddObserver(&observer);
  std::vector<DataSetState> states;
  source.OnStateChange = [&](DataSource& s) { states.push_back(s.State()); };

  table.Append();
  table.FieldByName("ID").SetAsString("P1");
  EXPECT_EQ(observer.log.back(), "field:ID");
  source.SetEnabled(false);
  EXPECT_EQ(source.State(), DataSetState::Inactive);
  observer.log.clear();
  table.Post();
  table.First();
  EXPECT_TRUE(observer.log.empty());
  source.SetEnabled(true);
  EXPECT_EQ(observer.log, (std::vector<std::string>{"active"}));
  EXPECT_EQ(states, (std::vector<DataSetState>{DataSetState::Insert, DataSetState::Inactive, DataSetState::Browse}));
  source.RemoveObserver(&observer);
}

}  // namespace
}  // namespace veltra::db::testing
