// Details follow their master; the key cascade moves a master's detail rows
// to a new report number through a filter on the old one.
#include "platform/db/data_source.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

class MasterDetailTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", MasterFields());
    Create("kfq_2.db", DetailFields());
    master.SetTableName("kfq_1.db");
    master.GetIndexDefs() = MasterIndexes();
    master.SetIndexFieldNames("Id");
    detail.SetTableName("kfq_2.db");
    detail.GetIndexDefs() = DetailIndexes();
    detail.SetIndexName("kfq_2");
    master.Open();
    detail.Open();
    AddRecord(master, {"P100", "100"});
    AddRecord(master, {"P200", "200"});
    for (const char* seq : {"2", "1"}) AddRecord(detail, {std::string("P100_") + seq, "100", seq});
    AddRecord(detail, {"P200_1", "200", "1"});
    detail.SetMasterSource(&source);
    detail.SetMasterFields("QA01");
  }

  std::vector<std::string> DetailColumn(const char* field) {
    std::vector<std::string> values;
    for (detail.First(); !detail.Eof(); detail.Next()) values.push_back(detail.FieldByName(field).AsString());
    return values;
  }

  Table master{db()};
  Table detail{db()};
  DataSource source{&master};
};

TEST_F(MasterDetailTest, DetailShowsTheCurrentMastersRowsInIndexOrder) {
  master.First();
  EXPECT_EQ(DetailColumn("QE01"), (std::vector<std::string>{"1", "2"}));
  master.Next();
  EXPECT_EQ(DetailColumn("ID"), (std::vector<std::string>{"P200_1"}));
  detail.SetMasterFields("");
  EXPECT_EQ(detail.RecordCount(), 3);
  detail.SetMasterFields("qa01");
  EXPECT_EQ(detail.RecordCount(), 1);
}

// With the master's controls disabled its details stay where they were
// (a detail edit is still posted before the master leaves); the last
// EnableControls brings them to the master's record at once.
TEST_F(MasterDetailTest, DetailsFollowAMasterWithControlsDisabledOnlyAtTheLastEnable) {
  master.First();
  detail.First();
  detail.Edit();
  detail.FieldByName("QE02").SetAsString("7");
  master.DisableControls();
  master.DisableControls();
  master.Next();
  EXPECT_EQ(detail.State(), DataSetState::Browse);
  EXPECT_EQ(detail.FieldByName("QA01").AsString(), "100");
  master.EnableControls();
  EXPECT_EQ(detail.FieldByName("QA01").AsString(), "100");
  master.EnableControls();
  EXPECT_EQ(DetailColumn("ID"), (std::vector<std::string>{"P200_1"}));
  master.First();
  EXPECT_EQ(detail.FieldByName("QE02").AsString(), "7");
}

// Whatever takes the master off its record, a detail row being edited is
// posted first, while its BeforePost still sees the master it belongs to;
// a refused post stops the act and the master stays as it was.
TEST_F(MasterDetailTest, APendingDetailEditIsPostedUnderItsMasterBeforeTheMasterLeaves) {
  const std::vector<std::pair<const char*, std::function<void()>>> acts = {
      {"next", [&] { master.Next(); }},
      {"last", [&] { master.Last(); }},
      {"append", [&] { master.Append(); }},
      {"key search", [&] { master.SetKey(); }},
      {"cancel", [&] { master.Cancel(); }},
      {"new order", [&] { master.SetIndexFieldNames("QA01"); }},
  };
  const auto edit_both = [&](const char* value) {
    master.Cancel();
    master.SetIndexFieldNames("Id");
    master.First();
    master.Edit();  // so that a cancel has something to cancel
    detail.First();
    detail.Edit();
    detail.FieldByName("QE02").SetAsString(value);
  };
  for (const auto& [name, act] : acts) {
    SCOPED_TRACE(name);
    std::string master_seen;
    detail.BeforePost = [&](DataSet&) { master_seen = master.FieldByName("QA01").AsString(); };
    edit_both("7");
    act();
    EXPECT_EQ(master_seen, "100");
    EXPECT_EQ(detail.State(), DataSetState::Browse);

    detail.BeforePost = [](DataSet&) { throw SilentAbort(); };
    edit_both("8");
    EXPECT_THROW(act(), SilentAbort);
    EXPECT_EQ(master.State(), DataSetState::Edit);
    EXPECT_EQ(master.FieldByName("QA01").AsString(), "100");
    detail.BeforePost = nullptr;
    detail.Cancel();
  }
  master.Cancel();
  detail.SetMasterFields("");
  EXPECT_EQ(DetailColumn("QA01"), (std::vector<std::string>{"100", "100", "200"}));
  EXPECT_EQ(DetailColumn("QE02").front(), "7");  // saved, and never moved off 100
}

TEST_F(MasterDetailTest, DetailScrollsToItsFirstRowWhenTheMasterMoves) {
  int scrolls = 0;
  detail.AfterScroll = [&](DataSet&) { ++scrolls; };
  master.First();
  master.Next();
  EXPECT_GE(scrolls, 1);
  EXPECT_EQ(detail.FieldByName("ID").AsString(), "P200_1");
}

TEST_F(MasterDetailTest, KeyCascadeMovesEveryDetailRowToTheNewKey) {
  master.First();
  master.Edit();
  master.FieldByName("QA01").SetAsString("150");
  master.FieldByName("ID").SetAsString("P150");
  master.Post();

  detail.SetMasterFields("");
  detail.SetFilter("qa01='100'");
  detail.SetFiltered(true);
  detail.DisableConstraints();
  int edits = 0;
  while (!detail.IsEmpty()) {
    ASSERT_LT(++edits, 10) << "the filtered view never emptied";
    detail.Edit();
    detail.FieldByName("QA01").SetAsString("150");
    detail.FieldByName("ID").SetAsString("P150_" + detail.FieldByName("QE01").AsString());
    detail.Post();
  }
  detail.EnableConstraints();
  detail.SetFiltered(false);
  detail.SetMasterFields("qa01");

  EXPECT_EQ(edits, 2);
  master.SetIndexFieldNames("Id");
  master.First();
  EXPECT_EQ(master.FieldByName("QA01").AsString(), "150");
  EXPECT_EQ(DetailColumn("ID"), (std::vector<std::string>{"P150_1", "P150_2"}));
  int other = 0;
  for (const auto& row : FileRows("kfq_2.db")) other += row[1] == "200";
  EXPECT_EQ(other, 1);
}

TEST_F(MasterDetailTest, TurningTheFilterOnPostsThePendingEdit) {
  detail.SetMasterFields("");
  detail.First();
  detail.Edit();
  detail.FieldByName("QE02").SetAsFloat(3);
  detail.SetFilter("QE02 > 1");
  detail.SetFiltered(true);
  EXPECT_EQ(detail.State(), DataSetState::Browse);
  EXPECT_EQ(detail.RecordCount(), 1);
  EXPECT_EQ(detail.FieldByName("QE02").AsFloat(), 3);
}

TEST_F(MasterDetailTest, DeletingAMastersDetailRowsLeavesOtherMastersAlone) {
  master.First();
  detail.First();
  while (!detail.IsEmpty()) detail.Delete();
  master.Delete();
  EXPECT_EQ(FileRows("kfq_2.db").size(), 1u);
  EXPECT_EQ(FileRows("kfq_1.db").size(), 1u);
  EXPECT_EQ(master.FieldByName("QA01").AsString(), "200");
  EXPECT_EQ(detail.RecordCount(), 1);
}

}  // namespace
}  // namespace veltra::db::testing
