#include "dbtool/save_data_set_as_table.h"

#include <gtest/gtest.h>

#include "platform/db/query.h"
#include "tests/platform/db/db_test_support.h"
#include "tests/support/dbfread_reader.h"
#include "tests/support/engine_error.h"
#include "tests/support/pxlib_reader.h"

namespace veltra::dbtool {
namespace {

using db::testing::DbTest;
using Rows = std::vector<std::vector<std::string>>;

class SaveDataSetAsTableTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 10}, {"QA02", FieldType::String, 60}, {"QC05", FieldType::Float, 0}});
    Create("bt_p.db", {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}});
    source.SetTableName("kfq_1.db");
    source.Open();
    AddRecord(source, {"110001", "北京软件园有限公司", "12.5"});
    AddRecord(source, {"110002", "", "3"});
  }

  FieldDefs DefsOf(const std::string& name) {
    return formats::OpenTableFile(db().ResolveTableName(name))->fields();
  }
  formats::TableKind KindOf(const std::string& name) {
    return formats::OpenTableFile(folder() / name)->kind();
  }

  db::Table source{db()};
  const Rows source_rows{{"110001", "北京软件园有限公司", "12.5"}, {"110002", "", "3"}};
};

TEST_F(SaveDataSetAsTableTest, FormatFollowsExtensionInAnyCase) {
  for (const auto& [name, kind] : std::vector<std::pair<std::string, formats::TableKind>>{
           {"report.dbf", formats::TableKind::DBase},
           {"REPORT2.DbF", formats::TableKind::DBase},
           {"report.db", formats::TableKind::Paradox},
           {"report.txt", formats::TableKind::Text}}) {
    SaveDataSetAsTable(db(), source, nullptr, name);
    EXPECT_EQ(KindOf(name), kind) << name;
    EXPECT_EQ(FileRows(name), source_rows) << name;
  }
}

TEST_F(SaveDataSetAsTableTest, NameWithoutExtensionIsParadox) {
  SaveDataSetAsTable(db(), source, nullptr, "report");
  EXPECT_EQ(KindOf("report.db"), formats::TableKind::Paradox);
}

TEST_F(SaveDataSetAsTableTest, WithoutGridKeepsFieldsAsTheyAre) {
  SaveDataSetAsTable(db(), source, nullptr, "copy.db");
  EXPECT_EQ(DefsOf("copy.db"), source.FieldLayout());
}

TEST_F(SaveDataSetAsTableTest, GridGivesNamesAndStringSizesFromColumns) {
  const GridColumns grid{{{"编号", 30}, {"企业名称", 8}, {"收入", 76}}};
  SaveDataSetAsTable(db(), source, &grid, "report.db");
  const FieldDefs expected{{"编号", FieldType::String, 30}, {"企业名称", FieldType::String, 8},
                           {"收入", FieldType::Float, 0}};
  EXPECT_EQ(DefsOf("report.db"), expected);
  // A narrower column cuts the text on a character boundary.
  EXPECT_EQ(FileRows("report.db")[0][1], "北京软件");
}

TEST_F(SaveDataSetAsTableTest, StringSizesStayWithinOneAndTheFormatLimit) {
  const GridColumns grid{{{"A", 0}, {"B", 769}, {"C", 12}}};
  SaveDataSetAsTable(db(), source, &grid, "wide.db");
  SaveDataSetAsTable(db(), source, &grid, "wide.dbf");
  SaveDataSetAsTable(db(), source, &grid, "wide.txt");
  EXPECT_EQ(DefsOf("wide.db")[0].size, 1);
  EXPECT_EQ(DefsOf("wide.db")[1].size, 255);
  EXPECT_EQ(DefsOf("wide.dbf")[1].size, 254);
  EXPECT_EQ(FileRows("wide.txt")[0][1], "北京软件园有限公司");
}

// The query window's titles are Chinese and often longer than a field
// name: dBase keeps 10 bytes, Paradox 25; only longer titles are cut.
TEST_F(SaveDataSetAsTableTest, NamesTheFormatCannotHoldAreCutToUniqueOnesTheSameEachTime) {
  struct Case {
    std::string file;
    GridColumns grid;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"report.dbf",
       {{{"企业法人代码编号", 30}, {"企业法人代码名称", 30}, {"Income_of_year", 76}}},
       {"企业法人代", "企业法人_1", "Income_of_"}},
      {"report.db",
       {{{"以嵌入式系统软件开发与销售为主要业务的企业数", 30},
         {"以嵌入式系统软件开发与销售为主要业务的企业数合计", 30},
         {"收入", 76}}},
       {"以嵌入式系统软件开发与销", "以嵌入式系统软件开发与_2", "收入"}},
  };
  for (const Case& c : cases) {
    for (int time = 0; time < 2; ++time) {
      SaveDataSetAsTable(db(), source, &c.grid, c.file);
      std::vector<std::string> names;
      for (const FieldDef& def : DefsOf(c.file)) names.push_back(def.name);
      EXPECT_EQ(names, c.names) << c.file;
      EXPECT_EQ(FileRows(c.file), source_rows) << c.file;
    }
  }
}

TEST_F(SaveDataSetAsTableTest, GridMustShowEveryField) {
  const GridColumns grid{{{"A", 15}}};
  EXPECT_THROW(SaveDataSetAsTable(db(), source, &grid, "report.db"), EngineError);
  EXPECT_FALSE(std::filesystem::exists(folder() / "report.db"));
}

TEST_F(SaveDataSetAsTableTest, ReplacesAnExistingTable) {
  Create("report.db", {{"OLD", FieldType::SmallInt, 0}});
  SaveDataSetAsTable(db(), source, nullptr, "report.db");
  EXPECT_EQ(DefsOf("report.db"), source.FieldLayout());
  EXPECT_EQ(FileRows("report.db"), source_rows);
}

// Every type, saved as dBase and back as Paradox, read by the independent
// readers: each value as the system shows it, whatever its digits.
TEST_F(SaveDataSetAsTableTest, EveryValueCrossesBetweenParadoxAndDBase) {
  const Value day = Value::FromDate(*MakeDate(2011, 12, 6));
  const Time morning{(8 * 3600 + 30 * 60 + 5) * 1000};
  struct Column {
    FieldDef def;
    std::vector<Value> values;         // two records
    std::vector<std::string> dbfread;  // as its dump shows them
  };
  const Column columns[] = {
      {{"NAME", FieldType::String, 20}, {Value::Text("北京软件园"), {}}, {"\"北京软件园\"", "null"}},
      {{"SHARE", FieldType::Float}, {Value::Float(0.12345678901), Value::Float(-1e-9)}, {"0.12345678901", "-0.000000001"}},
      {{"INCOME", FieldType::Float}, {Value::Float(123456789012345), Value::Float(-0.5)}, {"123456789012345", "-0.5"}},
      {{"RATE", FieldType::Bcd, 32}, {Value::Float(-0.123), Value::Float(0.3)}, {"-0.123", "0.3"}},
      {{"FUNDS", FieldType::Money}, {Value::Float(1234.005), Value::Float(-2)}, {"1234.005", "-2"}},
      {{"STAFF", FieldType::SmallInt}, {Value::Integer(-32767), {}}, {"-32767", "null"}},
      {{"PATENTS", FieldType::Integer}, {Value::Integer(2147483647), Value::Integer(-2147483647)}, {"2147483647", "-2147483647"}},
      {{"FOUNDED", FieldType::Date}, {day, {}}, {"2011-12-06", "null"}},
      {{"OPENED", FieldType::Time}, {Value::FromTime(morning), {}}, {"\"08:30:05\"", "null"}},
      {{"CHANGED", FieldType::DateTime}, {Value::FromDateTime({day.date(), morning}), {}}, {"\"2011-12-06 08:30:05\"", "null"}},
      {{"LISTED", FieldType::Boolean}, {Value::Boolean(true), Value::Boolean(false)}, {"true", "false"}},
      {{"NOTE", FieldType::Memo, 1}, {Value::Text("第一行\r\n第二行"), {}}, {"\"第一行\\r\\n第二行\"", "null"}},
  };
  FieldDefs defs;
  for (const Column& c : columns) defs.push_back(c.def);
  Create("every.db", defs);
  const auto every = Opened("every.db");
  std::string dump;
  for (std::size_t r = 0; r < 2; ++r) {
    every->Append();
    for (std::size_t i = 0; i < defs.size(); ++i) {
      every->Fields(static_cast<int>(i)).SetValue(columns[i].values[r]);
      dump += defs[i].name + "=" + columns[i].dbfread[r] + "\n";
    }
    every->Post();
  }
  SaveDataSetAsTable(db(), *every, nullptr, "every.dbf");
  EXPECT_EQ(testing::ReadWithDbfread(folder() / "every.dbf"), dump);

  SaveDataSetAsTable(db(), *Opened("every.dbf"), nullptr, "back.db");
  const Rows rows = FileRows("every.dbf");
  EXPECT_EQ(FileRows("back.db"), rows);
#ifdef VELTRA_HAVE_PXLIB
  // pxlib shows the text and numbers (NAME to PATENTS) of the record without nulls.
  const testing::PxlibTable back = testing::ReadWithPxlib(folder() / "back.db");
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(back.rows.at(0)[i], rows[0][i]) << back.fields[i];
#endif
}

// A value no dBase number field holds, alone or beside the others of its
// field, is refused naming the record and the value; the old file stays.
TEST_F(SaveDataSetAsTableTest, RowsTheFormatCannotHoldLeaveTheOldFileWhole) {
  SaveDataSetAsTable(db(), source, nullptr, "report.dbf");
  const struct {
    std::vector<std::string> values;
    std::string refused;
    std::string reason;
  } cases[] = {
      {{"1", "1.5e300"}, "15" + std::string(299, '0'), "第2条记录的这个数任何dBase数值字段都存不下"},
      {{"1e-18", "-1e-18"}, "-0.000000000000000001", "第2条记录的这个数任何dBase数值字段都存不下"},
      {{"0.12345678901", "123456789012345"}, "0.12345678901",
       "第1条记录的这个数有11位小数，而同一字段中第2条记录的“123456789012345”的整数部分占15位"},
  };
  for (const auto& c : cases) {
    Create("numbers.db", {{"QC05", FieldType::Float}});
    const auto numbers = Opened("numbers.db");
    for (const std::string& value : c.values) AddRecord(*numbers, {value});
    try {
      SaveDataSetAsTable(db(), *numbers, nullptr, "report.dbf");
      ADD_FAILURE() << "saved " << c.refused;
    } catch (const EngineError& error) {
      const ErrorSubject& s = error.subject();
      EXPECT_EQ(s.table + " " + s.field + " " + s.value + " " + s.reason.substr(0, c.reason.size()),
                "report.dbf QC05 " + c.refused + " " + c.reason);
    }
  }
  EXPECT_EQ(FileRows("report.dbf"), source_rows);
}

TEST_F(SaveDataSetAsTableTest, RefusesTheDataSetsOwnFile) {
  std::filesystem::create_symlink(folder(), folder() / "link");
  for (const std::string name : {"kfq_1.db", "KFQ_1.DB", "kfq_1", "link\\kfq_1.db"}) {
    EXPECT_TRUE(testing::ThrowsEngineError([&] { SaveDataSetAsTable(db(), source, nullptr, name); },
                                           EngineError::Kind::TableBusy, {"kfq_1.db"}))
        << "saved onto " << name;
  }
  source.Close();
  EXPECT_EQ(FileRows("kfq_1.db"), source_rows);
}

TEST_F(SaveDataSetAsTableTest, ClosedDataSetIsRefused) {
  source.Close();
  EXPECT_THROW(SaveDataSetAsTable(db(), source, nullptr, "report.db"), EngineError);
  EXPECT_FALSE(std::filesystem::exists(folder() / "report.db"));
}

TEST_F(SaveDataSetAsTableTest, SavesAQueryResult) {
  db::Query query(db());
  query.SQL.Add("select qa01, qc05 from kfq_1 where qc05 > 5");
  query.Open();
  SaveDataSetAsTable(db(), query, nullptr, "result.dbf");
  EXPECT_EQ(FileRows("result.dbf"), (Rows{{"110001", "12.5"}}));
}

TEST_F(SaveDataSetAsTableTest, PrintoutInputRewritesColumnCaptions) {
  Create("bt_p.db", {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}});
  AddRecord(*Opened("bt_p.db"), {"旧表头", "5"});
  SaveDataSetAsTable(db(), source, nullptr, "query_p.db");
  EXPECT_EQ(FileRows("bt_p.db"), (Rows{{"QA01", "10"}, {"QA02", "40"}, {"QC05", "10"}}));

  const GridColumns grid{{{"编号", 30}, {"名称", 2}, {"收入", 7}}};
  SaveDataSetAsTable(db(), source, &grid, "query_p.db");
  EXPECT_EQ(FileRows("bt_p.db"), (Rows{{"编号", "30"}, {"名称", "2"}, {"收入", "10"}}));

  // Titles too long for a field name print whole, though the saved names
  // are cut and told apart; a memo is as wide as its column.
  Create("notes.db", {{"QA01", FieldType::String, 10}, {"BZ", FieldType::Memo, 20}, {"QC05", FieldType::Float, 0}});
  const std::string spent = "企业内部用于科技活动的经费支出合计";
  const GridColumns long_titles{{{spent, 9}, {spent + "其中", 30}, {spent + "之二", 7}}};
  SaveDataSetAsTable(db(), *Opened("notes.db"), &long_titles, "query_p.db");
  EXPECT_EQ(FileRows("bt_p.db"), (Rows{{spent, "9"}, {spent + "其中", "30"}, {spent + "之二", "10"}}));
  EXPECT_EQ(DefsOf("query_p.db")[1].name, "企业内部用于科技活动的_2");
}

TEST_F(SaveDataSetAsTableTest, OtherCaseOfPrintoutNameLeavesCaptionsAlone) {
  SaveDataSetAsTable(db(), source, nullptr, "Query_p.db");
  EXPECT_EQ(FileRows("Query_p.db"), source_rows);
  EXPECT_TRUE(FileRows("bt_p.db").empty());
}

}  // namespace
}  // namespace veltra::dbtool
