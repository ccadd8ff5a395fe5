// A statement reads a table that is not in memory straight from its file,
// decoding only the fields it names; what it finds must be what it finds
// once the table is loaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sql/engine.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

std::vector<std::string> Shown(const sql::Result& result) {
  std::vector<std::string> shown;
  std::string header;
  for (const FieldDef& column : result.columns) header += column.name + "|";
  shown.push_back(header);
  for (const sql::Row& row : result.rows) {
    std::string line;
    for (const Value& value : row) line += (value.is_null() ? "<null>" : value.ToDisplayText()) + "|";
    shown.push_back(line);
  }
  return shown;
}

class FileScanTest : public DbTest {
 protected:
  FileScanTest() {
    // Enough records for many blocks and more than one read of the file;
    // nulls and memo text too long for the record in some of them.
    std::vector<Row> records;
    for (int i = 0; i < 6000; ++i) {
      records.push_back({Value::Text("E" + std::to_string(i)), Value::Text("名称" + std::to_string(i % 37)),
                         i % 11 == 0 ? Value() : Value::Float((i * 7919) % 1000 / 10.0),
                         Value::Text(std::to_string(10 + i % 9) + "00"),
                         i % 5 == 0 ? Value::Text(std::string(60 + i % 40, 'm')) : Value(),
                         Value::Integer(i % 4)});
    }
    db().CreateTable("t.db", TableType::Default,
                     {{"ID", FieldType::String, 10}, {"NAME", FieldType::String, 20}, {"QC05", FieldType::Float, 0},
                      {"QB03", FieldType::String, 4}, {"NOTE", FieldType::Memo, 10}, {"N", FieldType::SmallInt, 0}},
                     records);
    db().CreateTable("u.db", TableType::Default,
                     {{"CODE", FieldType::String, 4}, {"LABEL", FieldType::String, 10}},
                     {{Value::Text("1100"), Value::Text("一")}, {Value::Text("1500"), Value::Text("五")}});
  }
};

TEST_F(FileScanTest, StatementsSeeTheFileAsTheLoadedTable) {
  const char* const statements[] = {
      "select * from t.db where qc05 >= 50 order by qc05 desc",
      "select id, SUBSTRING(qb03 FROM 1 FOR 2) k, note from t.db where note is not null",
      "select qb03, count(*), sum(qc05), max(name), count(note) from t.db group by qb03 having count(*) > 1 order by 1",
      "select sum(n) s, sum(qc05), count(qc05) from t.db where qb03='1200' or qb03 is null",
      "select a.id, b.label from t.db a, u.db b where a.qb03 = b.code order by a.name",
      "select a.id, b.note from t.db a left join t.db b on a.id = b.id where a.n = 3",
      "select distinct qb03 from t.db order by qb03 desc",
      "select id from t.db order by name, n desc",
  };
  Database loaded(folder());
  Table t(loaded), u(loaded);
  t.SetTableName("t.db");
  u.SetTableName("u.db");
  t.Open();
  u.Open();
  for (const char* statement : statements) {
    SCOPED_TRACE(statement);
    Database fresh(folder());
    const std::vector<std::string> from_file = Shown(sql::RunStatement(statement, fresh));
    EXPECT_GT(from_file.size(), 1u) << "no rows to compare";
    EXPECT_EQ(from_file, Shown(sql::RunStatement(statement, loaded)));
  }
}

}  // namespace
}  // namespace veltra::db::testing
