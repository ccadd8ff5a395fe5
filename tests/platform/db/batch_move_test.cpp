// Batch move in append mode: by position, with conversion, from a data set
// or from a statement's rows given over to it.
#include "platform/db/batch_move.h"
#include "platform/db/query.h"
#include "tests/platform/db/db_test_support.h"
#include "tests/support/file_io_probe.h"

namespace veltra::db::testing {
namespace {

class BatchMoveTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", MasterFields());
    Create("result.db", {{"CODE", FieldType::String, 4}, {"VALUE", FieldType::String, 10},
                          {"NAME", FieldType::String, 10}, {"STATUS", FieldType::String, 4}});
    Table source(db());
    source.SetTableName("kfq_1.db");
    source.Open();
    AddRecord(source, {"P1", "甲乙丙丁戊", "", "12.5"});
    AddRecord(source, {"P2", "2", "", "-3"});
  }

};

// Each case runs twice: the query as the move's source, and its rows taken over.
class BatchMoveSourceTest : public BatchMoveTest, public ::testing::WithParamInterface<bool> {
 protected:
  std::size_t Execute(BatchMove& move, Query& query) {
    if (GetParam()) return move.Execute(query.TakeRows());
    move.Source = &query;
    return move.Execute();
  }

  // Moves what `statement` selects into the table `target`.
  std::size_t MoveSelection(const std::string& statement, const std::string& target) {
    Query query(db());
    query.SQL.Add(statement);
    Table destination(db());
    destination.SetTableName(target);
    BatchMove move;
    move.Destination = &destination;
    return Execute(move, query);
  }
};

INSTANTIATE_TEST_SUITE_P(QueryOrItsRows, BatchMoveSourceTest, ::testing::Bool());

TEST_P(BatchMoveSourceTest, ColumnsMatchByPositionWithConversionAndCutting) {
  EXPECT_EQ(MoveSelection("select QA01, QC05 from kfq_1.db", "result.db"), 2u);
  const auto rows = FileRows("result.db");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"甲乙", "12.5", "", ""}));  // cut to 4 bytes; number as text
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "-3", "", ""}));
}

TEST_P(BatchMoveSourceTest, ANumberFieldNumbersTheRowsInTheOrderMovedAndAMissingOneWritesNothing) {
  Query query(db());
  query.SQL.Add("select QA01 from kfq_1.db order by QA01 desc");
  Table target(db());
  target.SetTableName("result.db");
  BatchMove move;
  move.Destination = &target;
  move.NumberField = "NAME";
  Execute(move, query);
  Execute(move, query);
  EXPECT_EQ(FileRows("result.db"), (std::vector<std::vector<std::string>>{
                                       {"甲乙", "", "1", ""}, {"2", "", "2", ""}, {"甲乙", "", "1", ""}, {"2", "", "2", ""}}));
  move.NumberField = "NUMBER";
  EXPECT_THROW(Execute(move, query), EngineError);
  EXPECT_EQ(FileRows("result.db").size(), 4u);
}

// A move of no rows writes nothing, so it syncs nothing either.
TEST_P(BatchMoveSourceTest, NoRowsToMoveTouchNoFile) {
  const veltra::testing::FileIoProbe probe("result.db");
  EXPECT_EQ(MoveSelection("select QA01 from kfq_1.db where QA01 = 'none'", "result.db"), 0u);
  EXPECT_EQ(probe.syncs, 0);
  EXPECT_TRUE(FileRows("result.db").empty());
}

// A sum that a double cannot hold exactly goes into a string field
// rounded, whether a batch move or a statement puts it there.
TEST_P(BatchMoveSourceTest, NumbersGoIntoTextFieldsRoundedToTheirWidth) {
  MoveSelection("select QA01, sum(QC05) + 63.8 + 865.8 + 136.6 from kfq_1.db group by QA01", "result.db");
  Query update(db());
  update.SQL.Add("update result.db set NAME = 1.0 / 3, STATUS = 2.0 / 3");
  update.ExecSQL();
  const auto rows = FileRows("result.db");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"2", "1063.2", "0.33333333", "0.67"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"甲乙", "1078.7", "0.33333333", "0.67"}));
}

TEST_F(BatchMoveTest, TheMoveClosesWhatItOpenedAndAnOpenTargetShowsTheRows) {
  Query query(db());
  query.SQL.Add("select QA01 from kfq_1.db");
  Table target(db());
  target.SetTableName("result.db");
  BatchMove move;
  move.Source = &query;
  move.Destination = &target;
  move.Execute();
  EXPECT_FALSE(target.Active());
  EXPECT_FALSE(query.Active());
  target.EmptyTable();  // refused while a cursor holds the file

  target.Open();
  move.Execute();
  ASSERT_TRUE(target.Active());
  EXPECT_EQ(target.RecordCount(), 2);
}

TEST_P(BatchMoveSourceTest, MoreSourceColumnsThanTheTableHoldsIsAnErrorAndWritesNothing) {
  Create("narrow.dbf", {{"A", FieldType::String, 4}});
  EXPECT_THROW(MoveSelection("select QA01, QC05 from kfq_1.db", "narrow.dbf"), EngineError);
  EXPECT_TRUE(FileRows("narrow.dbf").empty());
}

TEST_P(BatchMoveSourceTest, AValueTheTargetCannotHoldStopsTheMoveBeforeAnyRow) {
  Create("numbers.dbf", {{"A", FieldType::String, 4}, {"N", FieldType::Float}});
  try {
    MoveSelection("select ID, QA01 from kfq_1.db", "numbers.dbf");
    FAIL() << "text moved into a number column";
  } catch (const EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("N"), std::string::npos);
  }
  EXPECT_TRUE(FileRows("numbers.dbf").empty());
}

}  // namespace
}  // namespace veltra::db::testing
