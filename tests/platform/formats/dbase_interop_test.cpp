// Tables we write, read by an independent reader: Debian's python3-dbfread.
#include <gtest/gtest.h>

#include "platform/formats/dbase_table.h"
#include "platform/formats/file_io.h"
#include "tests/platform/formats/dbase_test_support.h"
#include "tests/support/dbfread_reader.h"

namespace veltra::formats {
namespace {

namespace fs = std::filesystem;
using DBaseInteropTest = TempFolderTest;
using testing::DbfreadQuoted;
using testing::ReadWithDbfread;

std::string Dump(const FieldDefs& fields, const std::vector<Record>& records) {
  std::string out;
  for (const Record& record : records) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const Value& v = record[i];
      std::string text;
      switch (v.kind()) {
        case Value::Kind::Null: text = "null"; break;
        case Value::Kind::Boolean: text = v.boolean() ? "true" : "false"; break;
        case Value::Kind::Float:
        case Value::Kind::Integer: text = FormatNumber(v.AsDouble()); break;
        case Value::Kind::Date: text = FormatDate(v.date()); break;
        default: text = DbfreadQuoted(v.ToDisplayText());
      }
      out += fields[i].name + "=" + text + "\n";
    }
  }
  return out;
}

TEST_F(DBaseInteropTest, DbfreadReadsWhatWeWrite) {
  const FieldDefs fields = {
      {"NAME", FieldType::String, 10}, {"AMOUNT", FieldType::Float, 12, 2}, {"RATIO", FieldType::Float},
      {"STAFF", FieldType::SmallInt},  {"FOUNDED", FieldType::Date},        {"ACTIVE", FieldType::Boolean},
      {"NOTE", FieldType::Memo},
  };
  const std::vector<Record> records = {
      {Value::Text("开发区企业一"), Value::Float(12.5), Value::Float(-0.000125), Value::Integer(-3),
       DateValue(2011, 12, 6), Value::Boolean(true), Value::Text("第一行\r\n\"second\" line")},
      {Value::Text("x"), Value::Float(-9999999.99), Value::Float(123456789012.5), Value::Integer(32767),
       DateValue(1999, 1, 31), Value::Boolean(false), Value::Text(std::string(5000, 'm'))},
      Record(fields.size()),
  };
  const auto path = dir_ / "interop.dbf";
  CreateDBaseTable(path, fields, records);
  {
    const auto table = OpenDBaseTable(path);
    table->Append({Value::Text("deleted"), Value(), Value(), Value(), Value(), Value(), Value::Text("gone")});
    table->Append({Value::Text("追加"), Value::Float(1), Value(), Value(), Value(), Value(), Value::Text("新")});
    table->Remove(3);
  }
  const std::vector<Record> ours = OpenDBaseTable(path)->ReadAll();
  ASSERT_EQ(ours.size(), 4u);
  EXPECT_EQ(ReadWithDbfread(path), Dump(fields, ours));
  EXPECT_EQ(ours[0][0], Value::Text("开发区企业"));  // cut to 10 bytes
}

// An edit keeps an unchanged memo where it is, and a changed memo takes
// the blocks an earlier one left once that edit is synced: repeated edits
// leave the memo file as large as after the second.
TEST_F(DBaseInteropTest, EditsKeepUnchangedMemosAndReuseTheSpaceOfReplacedOnes) {
  const FieldDefs fields = {{"NAME", FieldType::String, 10}, {"NOTE", FieldType::Memo}};
  const auto path = dir_ / "memo.dbf";
  const auto memo_path = dir_ / "memo.dbt";
  CreateDBaseTable(path, fields, {{Value::Text("a"), Value::Text(std::string(600, 'x'))}, {Value::Text("b"), Value::Text("短")}});
  const struct {
    std::size_t position;
    Record record;
    bool grows;
  } edits[] = {
      {0, {Value::Text("a2"), Value::Text(std::string(600, 'x'))}, false},
      {1, {Value::Text("b"), Value::Text(std::string(1000, '1'))}, true},
      {1, {Value::Text("b"), Value::Text(std::string(1000, '2'))}, true},
      {1, {Value::Text("b"), Value::Text(std::string(1000, '3'))}, false},
      {1, {Value::Text("b"), Value::Text(std::string(900, '4'))}, false},
      {0, {Value::Text("a"), Value()}, false},
      {1, {Value::Text("b"), Value::Text(std::string(1000, '5'))}, false},
  };
  const auto table = OpenDBaseTable(path);
  for (const auto& edit : edits) {
    const auto before = fs::file_size(memo_path);
    table->Overwrite(edit.position, edit.record);
    table->Sync();
    EXPECT_EQ(fs::file_size(memo_path) > before, edit.grows) << edit.record[1].ToDisplayText().substr(0, 1);
    const std::vector<Record> ours = OpenDBaseTable(path)->ReadAll();
    EXPECT_EQ(ours[edit.position], edit.record);
    EXPECT_EQ(ReadWithDbfread(path), Dump(fields, ours));
  }
}

// Records longer than the 4000 bytes of dBase III/IV programs, and names
// in the table's code page, as the wide survey tables are saved.
TEST_F(DBaseInteropTest, WideRecordsAndChineseNamesReadBack) {
  FieldDefs fields = {{"政策区企业", FieldType::String, 20}, {"Fhqzfqy_on", FieldType::Float, 12, 2}};
  for (int i = 1; i <= 17; ++i) fields.push_back({"TEXT" + std::to_string(i), FieldType::String, 254});
  fields.push_back({"NOTE", FieldType::Memo});
  Record wide = {Value::Text("高新区企业"), Value::Float(-1234.5)};
  for (int i = 1; i <= 17; ++i) wide.push_back(Value::Text(std::string(250, static_cast<char>('a' + i)) + "尾"));
  wide.push_back(Value::Text("备注"));
  const std::vector<Record> records = {wide, Record(fields.size())};
  const auto path = dir_ / "wide.dbf";
  CreateDBaseTable(path, fields, records);
  EXPECT_EQ(ReadWholeFile(path).substr(10, 2), std::string("\x09\x11", 2));  // 4361 bytes a record
  const std::vector<Record> ours = OpenDBaseTable(path)->ReadAll();
  EXPECT_EQ(ours, records);
  EXPECT_EQ(ReadWithDbfread(path), Dump(fields, ours));
}

}  // namespace
}  // namespace veltra::formats
