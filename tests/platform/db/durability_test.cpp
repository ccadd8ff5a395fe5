// Which writes are forced to the disk itself: a flushed post, and each
// statement or batch move once at its end; a plain post only reaches the
// operating system.
#include <functional>

#include "platform/db/batch_move.h"
#include "platform/db/query.h"
#include "tests/support/file_io_probe.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

using SyncCounter = veltra::testing::FileIoProbe;

TEST_F(MasterTableTest, FlushedPostsAndEachBulkWriteSyncTheTable) {
  Create("src.db", MasterFields());
  {
    Table source(db());
    source.SetTableName("src.db");
    source.Open();
    AddRecord(source, {"E", "5", "戊", "5"});
  }
  table.Open();
  AddRecord(table, {"A", "1", "甲", "1"});
  Query query(db());
  auto run = [&](const std::string& sql) {
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(sql);
    query.ExecSQL();
  };
  const struct {
    const char* what;
    std::function<void()> action;
    int syncs;
  } cases[] = {
      {"post", [&] { AddRecord(table, {"B", "2", "乙", "2"}); }, 0},
      {"post and flush", [&] { AddRecord(table, {"C", "3", "丙", "3"}); table.FlushBuffers(); }, 1},
      {"update", [&] { run("update \"kfq_1.db\" set QC05 = 9"); }, 1},
      {"delete", [&] { run("delete from \"kfq_1.db\" where ID = 'C'"); }, 1},
      {"insert select", [&] { run("insert into \"kfq_1.db\" select * from \"src.db\""); }, 1},
      {"batch move",
       [&] {
         query.Close();
         query.SQL.Clear();
         query.SQL.Add("select 'D' ID, QA01, '丁' QA02, QC05 from \"kfq_1.db\" where ID = 'A'");
         BatchMove move;
         move.Source = &query;
         move.Destination = &table;
         move.Execute();
       },
       1},
  };
  for (const auto& c : cases) {
    SyncCounter counter("kfq_1.db");
    c.action();
    EXPECT_EQ(counter.syncs, c.syncs) << c.what;
  }
  EXPECT_EQ(FileRows("kfq_1.db").size(), 4u);
}

// Grouped posts whose write fails leave the records as they were, in the
// open table as in the file; grouped posts that succeed land together.
TEST_F(MasterTableTest, GroupedPostsLandTogetherOrNotAtAll) {
  table.Open();
  for (const char* id : {"A", "B", "C"}) AddRecord(table, {id, id, id, "1"});
  auto number_all = [&](double value) {
    table.PostAllOrNothing([&] {
      for (table.First(); !table.Eof(); table.Next()) {
        table.Edit();
        table.FieldByName("QC05").SetAsFloat(value);
        table.Post();
      }
    });
  };
  auto column = [&] {
    std::vector<std::string> shown;
    for (table.First(); !table.Eof(); table.Next()) shown.push_back(table.FieldByName("QC05").AsString());
    return shown;
  };
  {
    SyncCounter failing("kfq_1.db");
    failing.fail_writes = true;
    EXPECT_THROW(number_all(7), EngineError);
  }
  EXPECT_EQ(column(), (std::vector<std::string>{"1", "1", "1"}));
  for (const auto& row : FileRows("kfq_1.db")) EXPECT_EQ(row[3], "1");
  SyncCounter counter("kfq_1.db");
  number_all(9);
  EXPECT_EQ(counter.syncs, 1);
  EXPECT_EQ(column(), (std::vector<std::string>{"9", "9", "9"}));
  for (const auto& row : FileRows("kfq_1.db")) EXPECT_EQ(row[3], "9");
}

}  // namespace
}  // namespace veltra::db::testing
