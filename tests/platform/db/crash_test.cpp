// A writer killed at random moments: every record it was told had been
// posted is in the file, and the file opens.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "platform/db/batch_move.h"
#include "platform/db/query.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

class CrashTest : public DbTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string TableName() const { return std::string("crash") + GetParam(); }

  // In the child: post numbered records until killed, writing each number
  // to `report` once its post has returned.
  [[noreturn]] void Writer(int report, int first) {
    Database database(folder());
    Table table(database);
    table.SetTableName(TableName());
    table.GetIndexDefs() = {{"", "ID", true}};
    table.Open();
    for (int n = first;; ++n) {
      table.Append();
      table.FieldByName("ID").SetAsString("R" + std::to_string(n));
      table.FieldByName("QA02").SetAsString("记录" + std::to_string(n));
      table.FieldByName("QC05").SetAsFloat(n);
      table.Post();
      if (n % 7 == 0) {  // rewrite an older record in place as well
        table.First();
        table.Edit();
        table.FieldByName("QC05").SetAsFloat(-n);
        table.Post();
      }
      const std::string line = std::to_string(n) + "\n";
      if (write(report, line.data(), line.size()) < 0) _exit(2);
    }
  }
};

TEST_P(CrashTest, EveryAcknowledgedPostSurvivesAKill) {
  Create(TableName(), MasterFields());
  std::mt19937 random(20110101);
  std::set<int> acknowledged;
  int next = 0;
  for (int round = 0; round < 8; ++round) {
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipe_ends[0]);
      Writer(pipe_ends[1], next);
    }
    close(pipe_ends[1]);
    // The kill comes once the writer is under way, however loaded the machine.
    std::string reported;
    char buffer[4096];
    for (ssize_t got; reported.find('\n') == std::string::npos && (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
      reported.append(buffer, got);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own";

    for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) reported.append(buffer, got);
    close(pipe_ends[0]);
    for (std::size_t start = 0, end; (end = reported.find('\n', start)) != std::string::npos; start = end + 1) {
      const int n = std::stoi(reported.substr(start, end - start));
      acknowledged.insert(n);
      next = std::max(next, n + 1);
    }
    next += 1000;  // a post that was not acknowledged may still have landed

    std::set<int> in_file;
    ASSERT_NO_THROW({
      for (const auto& row : FileRows(TableName())) in_file.insert(std::stoi(row[0].substr(1)));
    });
    for (int n : acknowledged) ASSERT_TRUE(in_file.count(n)) << "record R" << n << " was lost in round " << round;
  }
  EXPECT_GT(acknowledged.size(), 8u) << "the writer never got going";
}

// Kills a writer that repeats an UPDATE of every record, a batch move of
// kBatch records and a numbering of every record through grouped posts:
// the table opens with all records stamped by one update or numbering and
// whole batches only.
TEST_P(CrashTest, BulkWritesCutByAKillLeaveTheTableBeforeOrAfter) {
  constexpr int kBatch = 300;
  const std::string target = TableName();
  const std::string source = std::string("source") + GetParam();
  Create(target, MasterFields());
  Create(source, MasterFields());
  {
    Table rows(db());
    rows.SetTableName(source);
    rows.Open();
    for (int n = 0; n < kBatch; ++n) AddRecord(rows, {"S" + std::to_string(n), "", "备注", "-1"});
  }
  std::mt19937 random(19491001);
  for (int round = 0; round < 12; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Database database(folder());
      Query query(database);
      Table table(database);
      table.SetTableName(target);
      BatchMove move;
      move.Source = &query;
      move.Destination = &table;
      for (int n = round * 100000;; ++n) {
        query.Close();
        query.SQL.Clear();
        query.SQL.Add("update \"" + target + "\" set QC05 = " + std::to_string(n));
        query.ExecSQL();
        query.SQL.Clear();
        query.SQL.Add("select * from \"" + source + "\"");
        move.Execute();
        table.Open();
        table.PostAllOrNothing([&] {
          for (table.First(); !table.Eof(); table.Next()) {
            table.Edit();
            table.FieldByName("QC05").SetAsFloat(-n);
            table.Post();
          }
        });
        table.Close();
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 80));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own";

    std::vector<std::vector<std::string>> rows;
    ASSERT_NO_THROW(rows = FileRows(target)) << "round " << round;
    ASSERT_EQ(rows.size() % kBatch, 0u) << "a batch move was cut in round " << round;
    // Every record holds the last update's stamp, but the last batch when
    // it was moved after that update.
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const bool last_batch = r + kBatch >= rows.size();
      if (last_batch && rows[r][3] == "-1" && rows.back()[3] == "-1") continue;
      ASSERT_EQ(rows[r][3], rows.front()[3]) << "an update was cut in round " << round << ", record " << r;
    }
  }
  EXPECT_GT(FileRows(target).size(), 0u) << "the writer never got going";
}

INSTANTIATE_TEST_SUITE_P(Formats, CrashTest, ::testing::Values(".db", ".dbf"));

}  // namespace
}  // namespace veltra::db::testing
