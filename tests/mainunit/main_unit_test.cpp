// The main unit's routines, on real tables.
#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "mainunit/sql_text.h"
#include "platform/db/query.h"
#include "tests/support/working_folder.h"

namespace veltra::mainunit {
namespace {

using veltra::testing::WorkingFolderTest;

class MainUnitTest : public WorkingFolderTest {};

// A failing restore must reach the caller, not end the program; during an
// error already under way that first error is the one told.
TEST(OnExitTest, AFailingRestoreIsReportedUnlessAnotherErrorIsUnderWay) {
  const auto refuse = [] { throw std::runtime_error("restore refused"); };
  for (const bool earlier_error : {false, true}) {
    SCOPED_TRACE(earlier_error ? "earlier error" : "no earlier error");
    std::string told;
    try {
      OnExit restore(refuse);
      if (earlier_error) throw std::runtime_error("work failed");
    } catch (const std::runtime_error& error) {
      told = error.what();
    }
    EXPECT_EQ(told, earlier_error ? "work failed" : "restore refused");
  }
}

TEST_F(MainUnitTest, NullNumbersBecomeZeroAndOtherTypesStayNull) {
  main().Database1.CreateTable("mixed.db", db::TableType::Default,
                               {{"S", FieldType::String, 6},
                                {"F", FieldType::Float},
                                {"I", FieldType::SmallInt},
                                {"L", FieldType::Integer},
                                {"D", FieldType::Date},
                                {"M", FieldType::Money},
                                {"B", FieldType::Boolean}});
  db::Table table(main().Database1);
  table.SetTableName("mixed.db");
  table.Open();
  table.Append();
  table.FieldByName("L").SetAsInteger(7);
  SetNullNumericFieldsToZero(table);
  EXPECT_EQ(table.FieldByName("F").AsFloat(), 0.0);
  EXPECT_FALSE(table.FieldByName("F").IsNull());
  EXPECT_FALSE(table.FieldByName("I").IsNull());
  EXPECT_EQ(table.FieldByName("L").AsInteger(), 7);
  for (const char* untouched : {"S", "D", "M", "B"}) EXPECT_TRUE(table.FieldByName(untouched).IsNull()) << untouched;
}

TEST_F(MainUnitTest, PackDropsDeletedRecordsButNotAnOpenTable) {
  AddRows("sendname.db", {{{"name", "a.db"}}, {{"name", "b.db"}}, {{"name", "c.db"}}});
  db::Table table(main().Database1);
  table.SetTableName("sendname.db");
  table.Open();
  table.Next();
  table.Delete();
  EXPECT_FALSE(PackTable(main().Database1, "sendname.db"));  // still open
  table.Close();
  EXPECT_TRUE(PackTable(main().Database1, "sendname.db"));
  EXPECT_EQ(Column("sendname.db", "name"), (std::vector<std::string>{"a.db", "c.db"}));
  EXPECT_FALSE(PackTable(main().Database1, "missing.db"));
}

TEST_F(MainUnitTest, SharedStateStartsAsTheMainWindowLeavesIt) {
  EXPECT_EQ(main().ReportKind, 0);
  EXPECT_EQ(main().MailSubjectMarker, "***Veltra计划统计软件***");
  EXPECT_EQ(main().OpenDialog1.filter, "*.db *.dbf|*.db;*.dbf");
  EXPECT_EQ(main().SaveDialog1.default_extension, "*.db");
  EXPECT_EQ(main().LocateTable, nullptr);
  EXPECT_TRUE(main().IdPrefix.empty());
}

TEST_F(MainUnitTest, QuotedValuesCannotBreakOutOfTheirLiteral) {
  AddRows("sendname.db", {{{"name", "o'k.db"}}, {{"name", "x.db"}}});
  EXPECT_EQ(SqlString("o'k"), "'o''k'");
  db::Query query(main().Database1);
  query.SQL.Add("delete from sendname.db where name=" + SqlString("o'k.db"));
  query.ExecSQL();
  EXPECT_EQ(Column("sendname.db", "name"), (std::vector<std::string>{"x.db"}));
  query.SQL.Clear();
  query.SQL.Add("delete from sendname.db where name=" + SqlString("' or ''='"));
  query.ExecSQL();
  EXPECT_EQ(Column("sendname.db", "name"), (std::vector<std::string>{"x.db"}));
}

}  // namespace
}  // namespace veltra::mainunit
