// A large table is read from its file as it is used. Whatever cursors and
// statements do with it must find what they find in the table read whole,
// and a damaged record is told when it is reached, or at opening when an
// index needs it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/formats/file_io.h"
#include "platform/sql/engine.h"
#include "tests/platform/db/db_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::db::testing {
namespace {

constexpr int kRecords = 1500;

std::string Key(const char* prefix, int k) {
  std::string digits = std::to_string(k);
  return prefix + std::string(4 - digits.size(), '0') + digits;
}

class ReadInPartsTest : public DbTest {
 protected:
  ReadInPartsTest() { MakeTable(); }

  // Many blocks; the first half in reverse key order, some numbers null.
  void MakeTable() {
    std::vector<Row> records;
    for (int i = 0; i < kRecords; ++i) {
      const int k = i < kRecords / 2 ? kRecords / 2 - 1 - i : i;
      records.push_back({Value::Text(Key("E", k)), Value::Text(Key("Q", k)), Value::Text("名" + std::to_string(k)),
                         k % 7 == 0 ? Value() : Value::Float(k * 1.5)});
    }
    db().CreateTable("kfq_1.db", TableType::Default, MasterFields(), records);
  }

  static std::string Shown(Table& table) {
    std::string shown = std::to_string(table.RecNo()) + ":";
    for (int i = 0; i < table.FieldCount(); ++i) shown += table.Fields(i).AsString() + "|";
    return shown;
  }

  // The first bytes of `text` in the table's file made undecodable.
  void Damage(const std::string& text) {
    const std::filesystem::path path = folder() / "kfq_1.db";
    std::string bytes = formats::ReadWholeFile(path);
    const std::size_t at = bytes.find(formats::CodePage::Gbk().Encode(text));
    ASSERT_NE(at, std::string::npos) << text;
    bytes[at] = '\xFF';
    formats::WriteFileAtomically(path, bytes);
  }
};

using Script = std::function<void(Table&, Database&, std::vector<std::string>&)>;

TEST_F(ReadInPartsTest, CursorsAndStatementsSeeTheTableAsReadWhole) {
  const auto sql = [](const std::string& statement, Database& database) {
    std::vector<std::string> shown;
    for (const sql::Row& row : sql::RunStatement(statement, database).rows) {
      std::string line;
      for (const Value& value : row) line += value.ToDisplayText() + "|";
      shown.push_back(line);
    }
    return shown;
  };
  struct Case {
    const char* name;
    Script script;
  };
  const Case cases[] = {
      {"moves and counts", [&](Table& t, Database&, std::vector<std::string>& log) {
         log.push_back(std::to_string(t.RecordCount()) + " " + Shown(t));
         t.MoveBy(1100);
         log.push_back(Shown(t));
         t.Last();
         t.Prior();
         log.push_back(Shown(t));
       }},
      {"key search far in", [&](Table& t, Database&, std::vector<std::string>& log) {
         t.SetIndexName("kfq_1");
         t.SetKey();
         t.FieldByName("QA01").SetAsString(Key("Q", 1234));
         const bool found = t.GotoKey();
         log.push_back(std::to_string(found) + " " + Shown(t));
       }},
      {"edit far in", [&](Table& t, Database& d, std::vector<std::string>& log) {
         t.MoveBy(1000);
         t.Edit();
         t.FieldByName("QA02").SetAsString("改");
         t.Post();
         log.push_back(Shown(t));
         for (const std::string& line : sql("select * from kfq_1.db where QA02 = '改' or ID = 'E0999'", d)) {
           log.push_back(line);
         }
       }},
      {"clashes with records not read yet", [&](Table& t, Database&, std::vector<std::string>& log) {
         for (const auto& [field, value] : {std::pair{"QA02", "名1400"}, std::pair{"ID", "E0003"}}) {
           t.Append();
           t.FieldByName("ID").SetAsString("E9999");
           t.FieldByName(field).SetAsString(value);
           try {
             t.Post();
             log.push_back("posted");
           } catch (const EngineError& e) {
             log.push_back(e.what());
           }
           t.Cancel();
         }
         log.push_back(std::to_string(t.RecordCount()));
       }},
      {"delete far in", [&](Table& t, Database& d, std::vector<std::string>& log) {
         t.MoveBy(900);
         t.Delete();
         log.push_back(std::to_string(t.RecordCount()) + " " + Shown(t));
         log.push_back(sql("select count(*), sum(QC05) from kfq_1.db", d).front());
       }},
      {"filter on a field no index holds", [&](Table& t, Database&, std::vector<std::string>& log) {
         t.SetFilter("QC05 > 2000");
         t.SetFiltered(true);
         log.push_back(std::to_string(t.RecordCount()) + " " + Shown(t));
       }},
      {"statement, then the cursor", [&](Table& t, Database& d, std::vector<std::string>& log) {
         sql("update kfq_1.db set QC05 = 1 where QA01 > 'Q1400'", d);
         t.Last();
         log.push_back(Shown(t));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> logs[2];
    for (int whole = 0; whole < 2; ++whole) {
      const std::filesystem::path copy = folder() / (std::string(c.name) + std::to_string(whole));
      std::filesystem::create_directory(copy);
      std::filesystem::copy_file(folder() / "kfq_1.db", copy / "kfq_1.db");
      Database database(copy);
      Table table(database);
      table.SetTableName("kfq_1.db");
      table.GetIndexDefs() = MasterIndexes();
      table.SetIndexFieldNames("ID");
      table.Open();
      if (whole) sql("select * from kfq_1.db where QC05 is null", database);  // reads every record
      c.script(table, database, logs[whole]);
      table.Close();
      logs[whole].push_back(std::to_string(FileRows(copy.filename().string() + "/kfq_1.db").size()));
    }
    EXPECT_EQ(logs[0], logs[1]);
  }
}

TEST_F(ReadInPartsTest, ADamagedRecordIsToldWhenReachedOrWhenItsKeyIsSorted) {
  struct Case {
    const char* damaged;  // text of the record at position 1200, E1200 in the order
    const char* field;
    bool opens;
  };
  const Case cases[] = {{"E1200", "ID", false}, {"名1200", "QA02", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damaged);
    MakeTable();
    Damage(c.damaged);
    Database database(folder());
    Table table(database);
    table.SetTableName("kfq_1.db");
    table.GetIndexDefs() = MasterIndexes();
    table.SetIndexFieldNames("ID");
    std::string before;
    const auto reach = [&] {
      table.Open();
      table.MoveBy(1150);
      before = Shown(table);  // its neighbour's damage is no concern of its own
      table.MoveBy(50);
      Shown(table);
    };
    veltra::testing::ExpectEngineError(reach, EngineError::Kind::FileFormat, {"kfq_1.db", "第1201条记录", c.field});
    EXPECT_EQ(table.Active(), c.opens);
    EXPECT_EQ(before, c.opens ? "1151:E1150|Q1150|名1150|1725|" : "");
  }
}

}  // namespace
}  // namespace veltra::db::testing
