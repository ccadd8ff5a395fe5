// Whole-table operations through the files, name resolution, several
// cursors and statements on one table.
#include <fstream>

#include "platform/db/query.h"
#include "platform/formats/dbase_table.h"
#include "platform/formats/file_io.h"
#include "platform/formats/paradox_table.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

using FilesTest = MasterTableTest;

TEST_F(FilesTest, NamesResolveIgnoringCaseWithBackslashFolders) {
  std::filesystem::create_directory(folder() / "tmp");
  Create("tmp\\Check_DB.dbf", MasterFields());
  EXPECT_EQ(db().ResolveTableName("TMP\\check_db.DBF"), folder() / "tmp" / "Check_DB.dbf");
  EXPECT_EQ(db().ResolveTableName("kfq_9").extension(), ".db");
  EXPECT_EQ(db().ResolveTableName("kfq_9", TableType::DBase).extension(), ".dbf");
  EXPECT_EQ(db().ResolveTableName("\"KFQ_1.db\""), folder() / "kfq_1.db");
  Table other(db());
  other.SetTableName("KFQ_1.DB");
  EXPECT_TRUE(other.Exists());
  other.SetTableName("missing.dbf");
  EXPECT_FALSE(other.Exists());
  EXPECT_THROW(other.Open(), EngineError);
}

TEST_F(FilesTest, CreateEmptyAndPackRoundTripThroughTheFile) {
  table.Open();
  AddRecord(table, {"P1", "1"});
  AddRecord(table, {"P2", "2"});
  table.First();
  table.Delete();
  EXPECT_THROW(table.EmptyTable(), EngineError);  // open
  try {
    db().PackTable("kfq_1.db");
    FAIL() << "packed an open table";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.kind(), EngineError::Kind::TableBusy);
    EXPECT_NE(std::string(error.what()).find("kfq_1.db"), std::string::npos);
  }
  table.Close();
  db().PackTable("kfq_1.db");
  EXPECT_EQ(FileRows("kfq_1.db"), (std::vector<std::vector<std::string>>{{"P2", "2", "", ""}}));
  table.EmptyTable();
  EXPECT_TRUE(FileRows("kfq_1.db").empty());
  table.Open();
  EXPECT_EQ(table.FieldLayout().size(), MasterFields().size());
  EXPECT_TRUE(table.IsEmpty());
  table.Close();

  Table created(db());
  created.SetTableName("new.dbf");
  created.GetFieldDefs() = {{"NAME", FieldType::String, 8}};
  created.CreateTable();
  created.Open();
  AddRecord(created, {"x"});
  created.Close();
  created.CreateTable();  // replaces the file
  EXPECT_TRUE(FileRows("new.dbf").empty());
}

// Packing rewrites a table in its own code page, and refuses one whose
// memo file is missing rather than lose the memos.
TEST_F(FilesTest, PackKeepsTheCodePageAndEveryMemo) {
  const Row western{Value::Text("søn")};
  formats::CreateParadoxTable(folder() / "cp.db", {{"name", FieldType::String, 6}}, {western, western}, 850);
  formats::CreateDBaseTable(folder() / "cp.dbf", {{"NAME", FieldType::String, 6}}, {western},
                            formats::CodePage::ForNumber(1252));
  for (const char* name : {"cp.db", "cp.dbf"}) {
    db().PackTable(name);
    const auto file = formats::OpenTableFile(folder() / name);
    EXPECT_NE(file->code_page().number(), formats::kCodePageGbk) << name;
    EXPECT_EQ(file->ReadAll().front(), western) << name;
  }

  formats::CreateParadoxTable(folder() / "memo.db", {{"note", FieldType::Memo, 1}}, {{Value::Text(std::string(50, 'm'))}});
  std::filesystem::remove(folder() / "memo.mb");
  EXPECT_THROW(db().PackTable("memo.db"), EngineError);
  EXPECT_FALSE(std::filesystem::exists(folder() / "memo.mb"));
}

// A counter number once handed out is never handed out again: not after
// its record is deleted and the table packed or emptied, and not when the
// file says a higher one went out before (a table from elsewhere).
TEST_F(FilesTest, CounterNumbersAreNeverHandedOutTwice) {
  const FieldDefs fields{{"no", FieldType::AutoInc, 0}, {"name", FieldType::String, 6}};
  const auto counter_in_file = [&] {
    return static_cast<unsigned char>(formats::OpenTableFile(folder() / "c.db")->last_counter_value());
  };
  const auto append = [&](const std::string& name) {
    Table t(db());
    t.SetTableName("c.db");
    t.Open();
    AddRecord(t, {"", name});
    const std::string number = t.FieldByName("no").AsString();
    t.Close();
    return number;
  };
  // Twenty records numbered 1-20 by a program that had handed out 44.
  std::vector<Row> foreign;
  for (int i = 1; i <= 20; ++i) foreign.push_back({Value::Integer(i), Value::Text("old")});
  formats::CreateParadoxTable(folder() / "c.db", fields, foreign);
  std::string bytes = formats::ReadWholeFile(folder() / "c.db");
  bytes[0x49] = 44;
  formats::WriteFileAtomically(folder() / "c.db", bytes);
  EXPECT_EQ(append("a"), "45");
  db().PackTable("c.db");
  EXPECT_EQ(counter_in_file(), 45);

  db().EmptyTable("c.db");
  EXPECT_EQ(append("b"), "46");
  EXPECT_EQ(append("c"), "47");
  Query remove(db());
  remove.SQL.Add("delete from c.db where name = 'c'");
  remove.ExecSQL();
  db().PackTable("c.db");
  EXPECT_EQ(append("d"), "48");
  EXPECT_EQ(counter_in_file(), 48);
}

// A bytes field is fixed-width: a shorter value comes back padded, as
// stored; a longer one is refused by name, never cut.
TEST_F(FilesTest, BytesFieldsKeepTheirWidth) {
  Create("raw.db", {{"raw", FieldType::Bytes, 4}});
  Table raw(db());
  raw.SetTableName("raw.db");
  raw.Open();
  raw.Append();
  raw.FieldByName("raw").SetValue(Value::FromBytes("ab"));
  raw.Post();
  raw.Append();
  raw.FieldByName("raw").SetValue(Value::FromBytes("abcdef"));
  EXPECT_THROW(raw.Post(), EngineError);
  raw.Cancel();
  raw.Close();
  EXPECT_EQ(formats::OpenTableFile(folder() / "raw.db")->ReadAll(),
            std::vector<Row>{{Value::FromBytes(std::string("ab\0\0", 4))}});
}

TEST_F(FilesTest, CreateChoosesTheFormatByExtensionUnlessTheTypeIsGiven) {
  const FieldDefs fields = {{"CODE", FieldType::String, 6}, {"N", FieldType::Float}};
  for (const char* name : {"report.db", "REPORT2.DBF", "report3.txt", "report4"}) {
    Table created(db());
    created.SetTableName(name);
    created.GetFieldDefs() = fields;
    created.CreateTable();
    created.Open();
    AddRecord(created, {"甲乙", "2"});
    created.Close();
  }
  Table typed(db());
  typed.SetTableType(TableType::DBase);
  typed.SetTableName("report5");
  typed.GetFieldDefs() = fields;
  typed.CreateTable();

  EXPECT_EQ(formats::OpenTableFile(folder() / "report.db")->kind(), formats::TableKind::Paradox);
  EXPECT_EQ(formats::OpenTableFile(folder() / "REPORT2.DBF")->kind(), formats::TableKind::DBase);
  EXPECT_EQ(formats::OpenTableFile(folder() / "report3.txt")->kind(), formats::TableKind::Text);
  EXPECT_EQ(formats::OpenTableFile(folder() / "report4.db")->kind(), formats::TableKind::Paradox);
  EXPECT_EQ(formats::OpenTableFile(folder() / "report5.dbf")->kind(), formats::TableKind::DBase);
  EXPECT_EQ(FileRows("report3.txt"), (std::vector<std::vector<std::string>>{{"甲乙", "2"}}));
}

TEST_F(FilesTest, TwoCursorsOnOneFileSeeEachOthersPosts) {
  Table second(db());
  second.SetTableName("KFQ_1.db");
  table.Open();
  second.Open();
  AddRecord(table, {"P1", "1"});
  EXPECT_EQ(second.RecordCount(), 1);
  second.First();
  second.Edit();
  second.FieldByName("QA02").SetAsString("改");
  second.Post();
  EXPECT_EQ(table.FieldByName("QA02").AsString(), "改");
  AddRecord(second, {"P0", "0"});
  table.First();
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P0");
  // The second cursor shares the first one's indexes.
  EXPECT_THROW(AddRecord(second, {"P1", "9"}), EngineError);
  second.Cancel();
  second.Delete();  // P0, the record it posted last
  EXPECT_EQ(table.RecordCount(), 1);
  table.First();
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P1");
}

TEST_F(FilesTest, StatementsSeeAndChangeWhatCursorsHold) {
  table.Open();
  AddRecord(table, {"P1", "1", "", "5"});
  AddRecord(table, {"P2", "2", "", "50"});
  Query query(db());
  query.SQL.Add("select ID, QC05 from kfq_1.db");
  query.SQL.Add("where QC05 > 10");
  query.Open();
  ASSERT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.FieldByName("id").AsString(), "P2");
  EXPECT_THROW(query.Edit(), EngineError);

  query.SQL.Clear();
  EXPECT_FALSE(query.Active());
  query.SQL.Add("update kfq_1.db set QA02='x' where QC05 < 10");
  query.ExecSQL();
  EXPECT_EQ(query.RowsAffected(), 1u);
  table.First();
  EXPECT_EQ(table.FieldByName("QA02").AsString(), "x");
  EXPECT_EQ(FileRows("kfq_1.db")[0][2], "x");
  // Text the code page cannot store is refused naming the field, the character and where it is.
  query.SQL.Clear();
  query.SQL.Add("update kfq_1.db set QA02='ab\xF0\x9F\x98\x80'");
  try {
    query.ExecSQL();
    ADD_FAILURE() << "stored a character GBK lacks";
  } catch (const EngineError& error) {
    EXPECT_EQ(error.kind(), EngineError::Kind::InvalidValue);
    const std::string message = error.what();
    EXPECT_NE(message.find("QA02"), std::string::npos) << message;
    EXPECT_NE(message.find("字符“\xF0\x9F\x98\x80”（U+1F600，第3个字符）"), std::string::npos) << message;
  }
  EXPECT_EQ(FileRows("kfq_1.db")[0][2], "x");

  query.SQL.Clear();
  query.SQL.Add("delete from kfq_1.db where ID='P2'");
  EXPECT_THROW(query.Open(), EngineError);  // carried out, but no result set
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(FilesTest, StatementsNameTablesAsTheWindowsWriteThem) {
  std::filesystem::create_directory(folder() / "tmp");
  Create("tmp\\kfq_1.db", MasterFields());
  Table copy(db());
  copy.SetTableName("TMP\\KFQ_1");
  copy.Open();
  AddRecord(copy, {"P1", "1"});
  Query query(db());
  query.SQL.Add("select b.ID from \"tmp\\kfq_1.db\" b where b.QA01='1'");
  query.Open();
  ASSERT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.Fields(0).AsString(), "P1");
  query.SQL.Clear();
  query.SQL.Add("select * from nowhere.db");
  try {
    query.Open();
    FAIL() << "a missing table was opened";
  } catch (const EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("nowhere.db"), std::string::npos);
  }
}

TEST_F(FilesTest, AFileReplacedBehindTheEnginesBackIsReadAgain) {
  table.Open();
  AddRecord(table, {"P1", "1"});
  table.Close();
  formats::CreateTableFile(folder() / "kfq_1.db", formats::TableKind::Paradox, MasterFields(),
                           {{Value::Text("Q1"), Value::Text("7"), Value(), Value()},
                            {Value::Text("Q2"), Value::Text("8"), Value(), Value()}});
  table.Open();
  EXPECT_EQ(table.RecordCount(), 2);
}

// Held aside, a table reads empty and takes posts and statements in
// memory only, its file keeping the old records until PutInPlace replaces
// them or DropAside forgets the copy. A search for nulls skips the rows it
// knows to be filled, yet finds a null put back among them.
TEST_F(FilesTest, ATableHeldAsideReachesItsFileWholeOrNotAtAll) {
  table.Open();
  AddRecord(table, {"P0", "0"});
  table.Close();
  db().HoldAside("kfq_1.db");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 0);
  for (const char* id : {"P1", "P2", "P3"}) AddRecord(table, {id});
  Query query(db());
  const auto updated = [&](const std::string& sql) {
    query.SQL.Clear();
    query.SQL.Add(sql);
    query.ExecSQL();
    return query.RowsAffected();
  };
  EXPECT_EQ(updated("update kfq_1.db set QA01='a' where QA01 is null"), 3u);
  AddRecord(table, {"P4"});
  EXPECT_EQ(updated("update kfq_1.db set QA01='b' where QA01 is null"), 1u);
  EXPECT_EQ(updated("update kfq_1.db set QA01=null where ID='P2'"), 1u);
  EXPECT_EQ(updated("delete from kfq_1.db where ID='P1'"), 1u);
  EXPECT_EQ(updated("update kfq_1.db set QA01='c' where ID<>'P9' and QA01 is null"), 1u);
  const std::vector<std::vector<std::string>> old_file = {{"P0", "0", "", ""}};
  EXPECT_EQ(FileRows("kfq_1.db"), old_file);

  table.Close();
  db().PutInPlace("kfq_1.db");
  const std::vector<std::vector<std::string>> put = {{"P2", "c", "", ""}, {"P3", "a", "", ""}, {"P4", "b", "", ""}};
  EXPECT_EQ(FileRows("kfq_1.db"), put);
  table.Open();
  AddRecord(table, {"P5"});  // written through again
  EXPECT_EQ(FileRows("kfq_1.db").size(), 4u);

  table.Close();
  db().HoldAside("kfq_1.db");
  table.Open();
  AddRecord(table, {"P6"});
  table.Close();
  db().DropAside("kfq_1.db");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_THROW(db().PutInPlace("kfq_1.db"), EngineError);
}

}  // namespace
}  // namespace veltra::db::testing
