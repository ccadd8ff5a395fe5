// A large table is read from its file as it is used: cursors and statements
// find what they find in it read whole, and a damaged record is told when
// it is reached, or at opening when the index sorted there needs it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/formats/file_io.h"
#include "platform/sql/engine.h"
#include "tests/platform/db/db_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::db::testing {
namespace {

std::string Key(char prefix, int k) { return prefix + std::to_string(10000 + k).substr(1); }

class ReadInPartsTest : public DbTest {
 protected:
  // Many blocks; the first half in reverse key order, some numbers null.
  void MakeTable() {
    std::vector<Row> records;
    for (int i = 0; i < 1500; ++i) {
      const int k = i < 750 ? 749 - i : i;
      records.push_back({Value::Text(Key('E', k)), Value::Text(Key('Q', k)), Value::Text("名" + std::to_string(k)),
                         k % 7 == 0 ? Value() : Value::Float(k * 1.5)});
    }
    db().CreateTable("kfq_1.db", TableType::Default, MasterFields(), records);
  }
  static void Open(Table& table) {
    table.SetTableName("kfq_1.db");
    table.GetIndexDefs() = MasterIndexes();
    table.SetIndexFieldNames("ID");
    table.Open();
  }
  static std::string Shown(Table& table) {
    std::string shown = std::to_string(table.RecNo()) + ":";
    for (int i = 0; i < table.FieldCount(); ++i) shown += table.Fields(i).AsString() + "|";
    return shown;
  }
  static std::string Sql(const std::string& statement, Database& database) {
    std::string shown;
    for (const sql::Row& row : sql::RunStatement(statement, database).rows) {
      for (const Value& value : row) shown += value.ToDisplayText() + "|";
    }
    return shown;
  }
};

TEST_F(ReadInPartsTest, CursorsAndStatementsSeeTheTableAsReadWhole) {
  using Log = std::vector<std::string>;
  const std::function<void(Table&, Database&, Log&)> scripts[] = {
      [](Table& t, Database&, Log& log) {
        log = {std::to_string(t.RecordCount()), Shown(t)};
        t.SetIndexName("kfq_1");
        t.SetKey();
        t.FieldByName("QA01").SetAsString(Key('Q', 1234));
        log.push_back(std::to_string(t.GotoKey()));
        log.push_back(Shown(t));
      },
      [](Table& t, Database& d, Log& log) {
        t.MoveBy(1000);
        t.Edit();
        t.FieldByName("QA02").SetAsString("改");
        t.Post();
        t.MoveBy(-100);
        t.Delete();
        log = {Shown(t), Sql("select * from kfq_1.db where QA02 = '改' or ID = 'E0899' or ID = 'E0900'", d)};
      },
      [](Table& t, Database&, Log& log) {  // clashes with records not read yet
        for (const auto& [field, value] : {std::pair{"QA02", "名1400"}, std::pair{"ID", "E0003"}}) {
          t.Append();
          t.FieldByName("ID").SetAsString("E9999");
          t.FieldByName(field).SetAsString(value);
          try {
            t.Post();
          } catch (const EngineError& e) {
            log.push_back(e.what());
          }
          t.Cancel();
        }
      },
      [](Table& t, Database& d, Log& log) {
        Sql("update kfq_1.db set QC05 = 1 where QA01 > 'Q1400'", d);
        t.SetFilter("QC05 > 2000 or QC05 = 1");
        t.SetFiltered(true);
        log = {std::to_string(t.RecordCount()), Shown(t), Sql("select count(*), sum(QC05) from kfq_1.db", d)};
        t.Last();
        log.push_back(Shown(t));
      },
  };
  MakeTable();
  for (std::size_t s = 0; s < std::size(scripts); ++s) {
    SCOPED_TRACE(s);
    Log logs[2];
    for (int whole = 0; whole < 2; ++whole) {
      const std::filesystem::path copy = folder() / std::to_string(s * 2 + whole);
      std::filesystem::create_directory(copy);
      std::filesystem::copy_file(folder() / "kfq_1.db", copy / "kfq_1.db");
      Database database(copy);
      Table table(database);
      Open(table);
      if (whole) Sql("select * from kfq_1.db where QC05 is null", database);  // reads every record
      scripts[s](table, database, logs[whole]);
      table.Close();
      logs[whole].push_back(std::to_string(FileRows(copy.filename().string() + "/kfq_1.db").size()));
    }
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_GT(logs[0].size(), 2u);
  }
}

TEST_F(ReadInPartsTest, ADamagedRecordIsToldWhenReachedOrWhenItsKeyIsSorted) {
  // The record at position 1200, E1200 in the order, damaged in its key or in another field.
  const std::tuple<const char*, const char*, bool> cases[] = {{"E1200", "ID", false}, {"名1200", "QA02", true}};
  for (const auto& [damaged, field, opens] : cases) {
    SCOPED_TRACE(damaged);
    MakeTable();
    std::string bytes = formats::ReadWholeFile(folder() / "kfq_1.db");
    bytes[bytes.find(formats::CodePage::Gbk().Encode(damaged))] = '\xFF';
    formats::WriteFileAtomically(folder() / "kfq_1.db", bytes);
    Database database(folder());
    Table table(database);
    std::string before;
    const auto reach = [&] {
      Open(table);
      table.MoveBy(1150);
      before = Shown(table);  // its neighbour's damage is no concern of its own
      table.MoveBy(50);
      Shown(table);
    };
    veltra::testing::ExpectEngineError(reach, EngineError::Kind::FileFormat, {"kfq_1.db", "第1201条记录", field});
    EXPECT_EQ(table.Active(), opens);
    EXPECT_EQ(before, opens ? "1151:E1150|Q1150|名1150|1725|" : "");
  }
}

TEST_F(ReadInPartsTest, AFileRenamedOverTheTableSinceItOpenedIsRefusedNotRead) {
  MakeTable();
  const std::filesystem::path other = folder() / "other";
  std::filesystem::create_directory(other);
  std::filesystem::copy_file(folder() / "kfq_1.db", other / "kfq_1.db");
  {
    Database elsewhere(other);
    Sql("update kfq_1.db set QC05 = 0", elsewhere);
  }
  Database database(folder());
  Table table(database);
  Open(table);
  Shown(table);
  std::filesystem::rename(other / "kfq_1.db", folder() / "kfq_1.db");  // as another program's restore does
  veltra::testing::ExpectEngineError(
      [&] {
        table.MoveBy(1200);
        Shown(table);
      },
      EngineError::Kind::State, {"kfq_1.db", "replaced since it was opened"});
}

}  // namespace
}  // namespace veltra::db::testing
