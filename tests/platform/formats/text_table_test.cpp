// Text tables: the documented layout byte for byte, reading back, and
// damaged files.
#include "platform/formats/text_table.h"

#include <gtest/gtest.h>

#include "platform/formats/file_io.h"
#include "platform/text/gbk.h"
#include "tests/platform/formats/dbase_test_support.h"

namespace veltra::formats {
namespace {

using K = EngineError::Kind;

class TextTableTest : public TempFolderTest {};

const FieldDefs kFields = {{"名称", FieldType::String, 6}, {"AMOUNT", FieldType::Float},
                           {"DAY", FieldType::Date},       {"OK", FieldType::Boolean},
                           {"NOTE", FieldType::Memo}};

TEST_F(TextTableTest, LayoutIsQuotedCommaSeparatedGbkWithCrlf) {
  const auto path = dir_ / "out.txt";
  CreateTextTable(path, kFields,
                  {{Value::Text("高新区企业"), Value::Float(12.5), DateValue(2011, 12, 6), Value::Boolean(true),
                    Value::Text("say \"hi\",\r\nbye")},
                   Record(kFields.size())});
  EXPECT_EQ(ReadWholeFile(path), text::Utf8ToGbk("\"名称\",\"AMOUNT\",\"DAY\",\"OK\",\"NOTE\"\r\n"
                                                 "\"高新区\",12.5,2011-12-06,True,\"say \"\"hi\"\",\r\nbye\"\r\n"
                                                 ",,,,\r\n"));
}

TEST_F(TextTableTest, ReadsBackAsStringFieldsSizedToTheWidestValue) {
  const auto path = dir_ / "back.txt";
  CreateTextTable(path, kFields,
                  {{Value::Text("高新区"), Value::Float(-0.25), DateValue(2011, 1, 2), Value::Boolean(false),
                    Value::Text("a,b\r\nc")},
                   {Value::Text("x"), Value::Integer(100000), Value(), Value(), Value()}});
  const auto table = OpenTextTable(path);
  EXPECT_EQ(table->kind(), TableKind::Text);
  const FieldDefs expected = {{"名称", FieldType::String, 6}, {"AMOUNT", FieldType::String, 6},
                              {"DAY", FieldType::String, 10}, {"OK", FieldType::String, 5},
                              {"NOTE", FieldType::String, 6}};
  EXPECT_EQ(table->fields(), expected);
  EXPECT_EQ(table->ReadAll(),
            (std::vector<Record>{{Value::Text("高新区"), Value::Text("-0.25"), Value::Text("2011-01-02"),
                                  Value::Text("False"), Value::Text("a,b\r\nc")},
                                 {Value::Text("x"), Value::Text("100000"), Value(), Value(), Value()}}));
}

TEST_F(TextTableTest, NoRecordsAndManyRecords) {
  const FieldDefs fields = {{"N", FieldType::Integer}};
  CreateTextTable(dir_ / "empty.txt", fields, {});
  EXPECT_EQ(OpenTextTable(dir_ / "empty.txt")->record_count(), 0u);
  std::vector<Record> records;
  for (int i = 0; i < 100000; ++i) records.push_back({Value::Integer(i)});
  CreateTextTable(dir_ / "many.txt", fields, records);
  const auto table = OpenTextTable(dir_ / "many.txt");
  ASSERT_EQ(table->record_count(), 100000u);
  EXPECT_EQ(table->ReadAll()[99999][0], Value::Text("99999"));
}

TEST_F(TextTableTest, RecordLevelWritesRewriteTheFileKeepingUntouchedLines) {
  const auto path = dir_ / "ops.txt";
  CreateTextTable(path, {{"A", FieldType::String, 3}, {"N", FieldType::Float}},
                  {{Value::Text("one"), Value::Float(1)}, {Value::Text("two"), Value::Float(2)}});
  {
    const auto table = OpenTextTable(path);
    table->Append({Value::Text("three, longer"), Value::Float(3)});
    table->Overwrite(0, {Value::Text("uno"), Value()});
    table->Remove(1);
    EXPECT_EQ(table->fields()[0].size, 13);
    ExpectEngineError([&] { table->Remove(2); }, K::State, {"ops.txt", "position 2"});
  }
  EXPECT_EQ(ReadWholeFile(path), "\"A\",\"N\"\r\n\"uno\",\r\n\"three, longer\",3\r\n");
  EXPECT_EQ(OpenTextTable(path)->ReadAll(),
            (std::vector<Record>{{Value::Text("uno"), Value()}, {Value::Text("three, longer"), Value::Text("3")}}));
}

TEST_F(TextTableTest, RefusedValuesWriteNothing) {
  const auto path = dir_ / "bad.txt";
  ExpectEngineError([&] { CreateTextTable(path, kFields, {{Value::Text("😀"), Value(), Value(), Value(), Value()}}); },
                    K::InvalidValue, {"名称", "bad.txt"});
  ExpectEngineError([&] { CreateTextTable(path, {{"B", FieldType::Blob}}, {{Value::FromBytes("\x01")}}); },
                    K::InvalidValue, {"字段“B”"});
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(TextTableTest, DamagedFilesNameTheFileAndLine) {
  const auto open = [&](const std::string& content) {
    WriteFileAtomically(dir_ / "t.txt", content);
    return [this] { OpenTextTable(dir_ / "t.txt"); };
  };
  ExpectEngineError(open(""), K::FileFormat, {"t.txt", "标题行"});
  ExpectEngineError(open("\"A\",\"\"\r\n"), K::FileFormat, {"t.txt", "第1行", "第2个字段没有名称"});
  ExpectEngineError(open("\"A\",\"B\"\r\n1,2\r\n3\r\n"), K::FileFormat, {"第3行", "1个值", "2个字段"});
  ExpectEngineError(open("\"A\"\r\n\"open\r\nstill open"), K::FileFormat, {"第2行", "结束引号"});
  ExpectEngineError(open("\"A\"\r\n\"x\"y\r\n"), K::FileFormat, {"第2行", "结束引号后面"});
  ExpectEngineError(open("\"A\"\r\n\"\x81\"\r\n"), K::FileFormat, {"第2行", "0x81"});
  // Lines ending in a bare LF, as an editor may leave them, read as well.
  WriteFileAtomically(dir_ / "lf.txt", "A,B\n1,\"x\"\n");
  EXPECT_EQ(OpenTextTable(dir_ / "lf.txt")->ReadAll(), (std::vector<Record>{{Value::Text("1"), Value::Text("x")}}));
}

}  // namespace
}  // namespace veltra::formats
