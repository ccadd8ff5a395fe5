// dBase tables through the TableFile contract: round trips, record-level
// writes, and files that are damaged or come from other writers.
#include <gtest/gtest.h>

#include "platform/formats/dbase_table.h"
#include "platform/formats/file_io.h"
#include "tests/platform/formats/dbase_test_support.h"

namespace veltra::formats {
namespace {

using K = EngineError::Kind;

const FieldDefs kAllTypes = {
    {"NAME", FieldType::String, 12}, {"AMOUNT", FieldType::Float, 12, 2}, {"RATIO", FieldType::Float},
    {"STAFF", FieldType::SmallInt},  {"TOTAL", FieldType::Integer},        {"PAID", FieldType::Money},
    {"FOUNDED", FieldType::Date},    {"ACTIVE", FieldType::Boolean},       {"NOTE", FieldType::Memo, 240},
};

Record FullRecord() {
  return {Value::Text("高新技术企业"), Value::Float(-1234.56), Value::Float(0.125), Value::Integer(-32768),
          Value::Integer(2147483647), Value::Float(99.99), DateValue(2011, 12, 6), Value::Boolean(false),
          Value::Text("备注\r\n第二行")};
}

// What reading back gives for a record written from kAllTypes.
Record AsRead(const Record& r) {
  Record out = r;
  for (Value& v : out) {
    if (v.kind() == Value::Kind::Integer) v = Value::Float(static_cast<double>(v.integer()));
  }
  return out;
}

class DBaseTableTest : public TempFolderTest {
 protected:
  std::filesystem::path Write(const std::string& name, const FieldDefs& fields, const std::vector<Record>& records) {
    const auto path = dir_ / name;
    CreateDBaseTable(path, fields, records);
    return path;
  }
};

TEST_F(DBaseTableTest, EveryTypeAndNullRoundTrips) {
  const Record nulls(kAllTypes.size());
  const auto path = Write("all.dbf", kAllTypes, {FullRecord(), nulls});
  const auto table = OpenDBaseTable(path);
  EXPECT_EQ(table->kind(), TableKind::DBase);
  const FieldDefs expected = {
      {"NAME", FieldType::String, 12},      {"AMOUNT", FieldType::Float, 12, 2}, {"RATIO", FieldType::Float, 20, 6},
      {"STAFF", FieldType::Float, 6, 0},    {"TOTAL", FieldType::Float, 11, 0},  {"PAID", FieldType::Float, 20, 2},
      {"FOUNDED", FieldType::Date},         {"ACTIVE", FieldType::Boolean},      {"NOTE", FieldType::Memo},
  };
  EXPECT_EQ(table->fields(), expected);
  ASSERT_EQ(table->record_count(), 2u);
  const auto records = table->ReadAll();
  EXPECT_EQ(records[0], AsRead(FullRecord()));
  EXPECT_EQ(records[1], nulls);

  // Written again from what was read, the file reads back the same.
  CreateDBaseTable(dir_ / "again.dbf", table->fields(), records);
  EXPECT_EQ(OpenDBaseTable(dir_ / "again.dbf")->ReadAll(), records);
  EXPECT_EQ(OpenDBaseTable(dir_ / "again.dbf")->fields(), expected);
}

TEST_F(DBaseTableTest, ChineseTextAtFullWidthAndCutOnCharacterBoundary) {
  const FieldDefs fields = {{"FULL", FieldType::String, 6}, {"ODD", FieldType::String, 5}};
  const auto path = Write("cn.dbf", fields, {{Value::Text("开发区"), Value::Text("开发区")}});
  EXPECT_EQ(OpenDBaseTable(path)->ReadAll()[0], (Record{Value::Text("开发区"), Value::Text("开发")}));
  ExpectEngineError([&] { Write("bad.dbf", fields, {{Value::Text("😀"), Value()}}); }, K::InvalidValue,
                    {"FULL", "bad.dbf"});
  EXPECT_FALSE(std::filesystem::exists(dir_ / "bad.dbf"));
}

TEST_F(DBaseTableTest, MemosOfEverySizeRoundTripInDBase4Style) {
  const FieldDefs fields = {{"ID", FieldType::Integer}, {"TEXT", FieldType::Memo}};
  std::vector<Record> records;
  for (std::size_t size : {0, 1, 240, 5000, 511, 512}) {
    std::string text(size % 2, 'a');  // then "汉", two bytes in GBK, up to `size` bytes
    for (std::size_t i = 0; i < size / 2; ++i) text += "汉";
    records.push_back({Value::Integer(static_cast<int>(size)), Value::Text(text)});
  }
  const auto path = Write("memo.dbf", fields, records);
  EXPECT_EQ(static_cast<unsigned char>(ReadWholeFile(path)[0]), 0x8B);
  EXPECT_EQ(OpenDBaseTable(path)->ReadAll(), [&] {
    std::vector<Record> expected;
    for (const Record& r : records) expected.push_back(AsRead(r));
    return expected;
  }());
}

TEST_F(DBaseTableTest, NoRecordsAndAHundredThousandRecords) {
  const FieldDefs fields = {{"CODE", FieldType::String, 8}, {"VALUE", FieldType::Float, 12, 2}};
  const auto empty = Write("empty.dbf", fields, {});
  EXPECT_EQ(std::filesystem::file_size(empty), 32u + 2 * 32 + 1 + 1);
  EXPECT_EQ(OpenDBaseTable(empty)->record_count(), 0u);
  EXPECT_TRUE(OpenDBaseTable(empty)->ReadAll().empty());

  std::vector<Record> records;
  for (int i = 0; i < 100000; ++i) {
    records.push_back({Value::Text("C" + std::to_string(i)), Value::Float(i * 0.25)});
  }
  const auto big = Write("big.dbf", fields, records);
  const auto table = OpenDBaseTable(big);
  EXPECT_EQ(table->record_count(), 100000u);
  EXPECT_EQ(table->ReadAll(), records);
}

TEST_F(DBaseTableTest, RecordLevelWritesKeepPositionsOverLiveRecords) {
  const FieldDefs fields = {{"N", FieldType::Integer}, {"M", FieldType::Memo}};
  const auto row = [](int n) { return Record{Value::Float(n), Value::Text("memo " + std::to_string(n))}; };
  const auto path = Write("ops.dbf", fields, {row(0), row(1), row(2)});
  {
    const auto table = OpenDBaseTable(path);
    table->Remove(1);                  // 0 2
    table->Append(row(3));             // 0 2 3
    table->Overwrite(1, row(20));      // 0 20 3
    table->Remove(0);                  // 20 3
    table->Append(row(4));             // 20 3 4
    EXPECT_EQ(table->record_count(), 3u);
    EXPECT_EQ(table->ReadAll(), (std::vector<Record>{row(20), row(3), row(4)}));
    ExpectEngineError([&] { table->Overwrite(3, row(9)); }, K::State, {"ops.dbf", "position 3"});
    ExpectEngineError([&] { table->Append({Value()}); }, K::InvalidValue, {"1 values", "2 fields"});
  }
  const auto reopened = OpenDBaseTable(path);
  EXPECT_EQ(reopened->ReadAll(), (std::vector<Record>{row(20), row(3), row(4)}));
  // Five records on disk, deleted ones included, as the header says.
  const std::string bytes = ReadWholeFile(path);
  EXPECT_EQ(bytes[4], 5);
  EXPECT_EQ(bytes.back(), '\x1A');
  reopened->Remove(2);
  EXPECT_EQ(OpenDBaseTable(path)->record_count(), 2u);
}

TEST_F(DBaseTableTest, ARecordWrittenBeyondTheHeaderCountIsIgnored) {
  // What a process killed between writing a record and its count leaves.
  const FieldDefs fields = {{"C", FieldType::String, 3}};
  const auto path = Write("killed.dbf", fields, {{Value::Text("one")}});
  std::string bytes = ReadWholeFile(path);
  bytes.insert(bytes.size() - 1, " two");
  WriteFileAtomically(path, bytes);
  EXPECT_EQ(OpenDBaseTable(path)->ReadAll(), (std::vector<Record>{{Value::Text("one")}}));
}

TEST_F(DBaseTableTest, RefusedSaveLeavesTheOldTableAndMemoAlone) {
  const FieldDefs fields = {{"N", FieldType::Float, 4, 1}, {"M", FieldType::Memo}};
  const auto path = Write("keep.dbf", fields, {{Value::Float(1), Value::Text("old")}});
  const std::string before = ReadWholeFile(path);
  const std::string memo_before = ReadWholeFile(dir_ / "keep.dbt");
  ExpectEngineError([&] { Write("keep.dbf", fields, {{Value::Float(1000), Value::Text("new")}}); },
                    K::InvalidValue, {"字段“N”", "keep.dbf", "1000"});
  ExpectEngineError([&] { Write("keep.dbf", {{"TOO_LONG_NAME", FieldType::Date}}, {}); }, K::InvalidName,
                    {"TOO_LONG_NAME"});
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(ReadWholeFile(dir_ / "keep.dbt"), memo_before);
}

TEST_F(DBaseTableTest, MemoCompanionIsFoundWhateverItsCase) {
  const FieldDefs fields = {{"M", FieldType::Memo}};
  Write("CASE.DBF", fields, {{Value::Text("upper")}});
  EXPECT_TRUE(std::filesystem::exists(dir_ / "CASE.DBT"));
  std::filesystem::rename(dir_ / "CASE.DBT", dir_ / "case.dbt");
  EXPECT_EQ(OpenDBaseTable(dir_ / "CASE.DBF")->ReadAll()[0][0], Value::Text("upper"));
  // A rewrite replaces that companion instead of adding a second one,
  // and a table without memos leaves none behind.
  Write("CASE.DBF", fields, {{Value::Text("again")}});
  EXPECT_FALSE(std::filesystem::exists(dir_ / "CASE.DBT"));
  EXPECT_EQ(OpenDBaseTable(dir_ / "CASE.DBF")->ReadAll()[0][0], Value::Text("again"));
  Write("CASE.DBF", {{"D", FieldType::Date}}, {});
  EXPECT_FALSE(std::filesystem::exists(dir_ / "case.dbt"));
}

// A dBase III+ table with its memo, byte by byte as dBase writes it: one
// live record (`name`, 4 bytes, and a memo of `memo`) and one deleted.
void WriteDBase3Table(const std::filesystem::path& dir, char language_driver, const std::string& name,
                      const std::string& memo) {
  std::string dbf(32, '\0');
  dbf[0] = '\x83';
  dbf[4] = 2;
  dbf[8] = 32 + 64 + 1;
  dbf[10] = 1 + 4 + 10;
  dbf[29] = language_driver;
  std::string name_field(32, '\0'), memo_field(32, '\0');
  name_field.replace(0, 4, "NAME");
  name_field[11] = 'C';
  name_field[16] = 4;
  memo_field.replace(0, 4, "MEMO");
  memo_field[11] = 'M';
  memo_field[16] = 10;
  dbf += name_field + memo_field + "\x0D";
  dbf += " " + name + std::string(9, ' ') + "1";
  dbf += std::string("*gone") + std::string(10, ' ');
  dbf += "\x1A";
  std::string dbt(512, '\0');
  dbt[0] = 2;
  dbt += memo + "\x1A\x1A";
  WriteFileAtomically(dir / "old.dbf", dbf);
  WriteFileAtomically(dir / "OLD.DBT", dbt);
}

TEST_F(DBaseTableTest, ReadsDBase3MemosAndWesternCodePages) {
  WriteDBase3Table(dir_, 0x03, "caf\xE9", "na\xEFve text.");  // cp1252
  const auto table = OpenDBaseTable(dir_ / "old.dbf");
  ASSERT_EQ(table->record_count(), 1u);
  EXPECT_EQ(table->ReadAll()[0], (Record{Value::Text("café"), Value::Text("naïve text.")}));
  table->Append({Value::Text("été"), Value::Text("III style")});
  EXPECT_EQ(OpenDBaseTable(dir_ / "old.dbf")->ReadAll()[1], (Record{Value::Text("été"), Value::Text("III style")}));
  EXPECT_NE(ReadWholeFile(dir_ / "OLD.DBT").find("III style\x1A\x1A"), std::string::npos);
}

// Rewritten (packed), a table from elsewhere keeps its version, its
// language driver, whatever code page that stands for, and its memo style.
TEST_F(DBaseTableTest, RewriteKeepsVersionLanguageDriverAndMemoStyle) {
  for (const char language_driver : {'\x03', '\x57', '\x00'}) {
    SCOPED_TRACE(int(language_driver));
    WriteDBase3Table(dir_, language_driver, "abcd", "plain text.");
    const Record live{Value::Text("abcd"), Value::Text("plain text.")};
    OpenDBaseTable(dir_ / "old.dbf")->Rewrite({live});
    const std::string dbf = ReadWholeFile(dir_ / "old.dbf");
    EXPECT_EQ(dbf[0], '\x83');
    EXPECT_EQ(dbf[29], language_driver);
    EXPECT_EQ(ReadWholeFile(dir_ / "OLD.DBT").substr(512, 13), "plain text.\x1A\x1A");
    EXPECT_EQ(OpenDBaseTable(dir_ / "old.dbf")->ReadAll(), std::vector<Record>{live});
  }
}

TEST_F(DBaseTableTest, DamagedFilesGiveFileFormatErrorsNamingTheFileAndFault) {
  const FieldDefs fields = {{"C", FieldType::String, 4}, {"N", FieldType::Float, 5, 1}, {"M", FieldType::Memo}};
  const auto good = Write("good.dbf", fields, {{Value::Text("abcd"), Value::Float(1.5), Value::Text("memo")}});
  const std::string bytes = ReadWholeFile(good);
  const auto damaged = [&](const std::string& name, std::string content) {
    WriteFileAtomically(dir_ / (name + ".dbf"), content);
    std::filesystem::copy_file(dir_ / "good.dbt", dir_ / (name + ".dbt"));
    return [this, name] { OpenDBaseTable(dir_ / (name + ".dbf"))->ReadAll(); };
  };
  const auto with = [&](std::size_t at, std::string_view patch) {
    std::string b = bytes;
    b.replace(at, patch.size(), patch);
    return b;
  };
  const std::size_t record = 32 * 4 + 1;
  ExpectEngineError(damaged("empty", ""), K::FileFormat, {"empty.dbf", "32个字节的表头"});
  ExpectEngineError(damaged("short", bytes.substr(0, 40)), K::FileFormat, {"short.dbf", "表头中间"});
  ExpectEngineError(damaged("cut", bytes.substr(0, bytes.size() - 5)), K::FileFormat, {"cut.dbf", "不完整"});
  ExpectEngineError(damaged("count", with(4, std::string("\xFF\xFF\xFF\xFF", 4))), K::FileFormat,
                    {"count.dbf", "4294967295条"});
  ExpectEngineError(damaged("fox", with(0, "\x30")), K::FileFormat, {"fox.dbf", "0x30"});
  ExpectEngineError(damaged("hlen", with(8, std::string("\x05\x00", 2))), K::FileFormat, {"hlen.dbf", "表头长度5"});
  ExpectEngineError(damaged("noend", with(32 * 4, " ")), K::FileFormat, {"noend.dbf", "0x0D"});
  ExpectEngineError(damaged("type", with(32 + 11, "I")), K::FileFormat, {"type.dbf", "“I”"});
  ExpectEngineError(damaged("rlen", with(10, std::string("\x05\x00", 2))), K::FileFormat, {"rlen.dbf", "记录长度5"});
  ExpectEngineError(damaged("flag", with(record, "X")), K::FileFormat, {"flag.dbf", "第1条记录"});
  ExpectEngineError(damaged("num", with(record + 5, "1.x")), K::FileFormat, {"num.dbf", "第1条记录的字段“N”"});
  ExpectEngineError(damaged("gbk", with(record + 1, "\x81\x20")), K::FileFormat, {"gbk.dbf", "字段“C”", "0x81"});
  ExpectEngineError(damaged("ptr", with(record + 10, "      9999")), K::FileFormat, {"ptr.dbt", "9999"});

  // The memo's length (head included) at block 1: too short, past the end.
  const std::string memo = ReadWholeFile(dir_ / "good.dbt");
  for (const auto& [length, fault] : {std::pair(std::string("\x03\0\0\0", 4), "长度是3字节，不到备注头本身的8字节"),
                                      std::pair(std::string("\xFF\xFF\0\0", 4), "长度是65535字节，超出了文件末尾")}) {
    WriteFileAtomically(dir_ / "good.dbt", std::string(memo).replace(512 + 4, 4, length));
    ExpectEngineError([&] { OpenDBaseTable(good)->ReadAll(); }, K::FileFormat, {"good.dbt", "第1块", fault});
  }

  // Without its memo file the table reads with blank memos and refuses every change.
  std::filesystem::remove(dir_ / "good.dbt");
  auto without_memos = OpenDBaseTable(good);
  EXPECT_EQ(without_memos->ReadAll(), (std::vector<Record>{{Value::Text("abcd"), Value::Float(1.5), Value()}}));
  ExpectEngineError([&] { without_memos->Remove(0); }, K::FileFormat, {"good.dbf", "good.dbt", "不存在"});
  EXPECT_EQ(ReadWholeFile(good), bytes);
  ExpectEngineError([&] { OpenDBaseTable(dir_ / "none.dbf"); }, K::Io, {"none.dbf"});
}

}  // namespace
}  // namespace veltra::formats
