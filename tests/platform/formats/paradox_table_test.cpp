#include "platform/formats/paradox_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/formats/file_io.h"
#include "platform/formats/paradox_codec.h"
#include "platform/formats/paradox_header.h"
#include "tests/platform/formats/temp_folder_test.h"
#include "tests/support/engine_error.h"

namespace veltra::formats {
namespace {

namespace fs = std::filesystem;
using veltra::testing::ThrowsEngineError;

class ParadoxTableTest : public TempFolderTest {};

// Compares record by record so that a failure names the first differing value.
void ExpectRecords(const std::vector<Record>& actual, const std::vector<Record>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t r = 0; r < actual.size(); ++r) {
    ASSERT_EQ(actual[r].size(), expected[r].size());
    for (std::size_t f = 0; f < actual[r].size(); ++f) {
      ASSERT_EQ(actual[r][f], expected[r][f]) << "record " << r << " field " << f << ": "
                                              << actual[r][f].ToDisplayText() << " vs "
                                              << expected[r][f].ToDisplayText();
    }
  }
}

FieldDefs AllWritable() {
  return {{"名称", FieldType::String, 10},  {"amount", FieldType::Float, 0},
          {"n", FieldType::SmallInt, 0},     {"big", FieldType::Integer, 0},
          {"day", FieldType::Date, 0},       {"ok", FieldType::Boolean, 0},
          {"note", FieldType::Memo, 10},     {"money", FieldType::Money, 0},
          {"at", FieldType::Time, 0},        {"stamp", FieldType::DateTime, 0},
          {"bcd", FieldType::Bcd, 2},        {"raw", FieldType::Bytes, 4},
          {"bin", FieldType::Blob, 0}};
}

Record Sample(int i) {
  return {Value::Text("企业名称" + std::to_string(10 + i % 90)),  // full width
          Value::Float(i * 1.5 - 7),
          Value::Integer(-i % 32767),
          Value::Integer(i * 1000),
          Value::FromDate(*MakeDate(2011, 12, 6)),
          Value::Boolean(i % 2 == 0),
          Value::Text(std::string(static_cast<std::size_t>(i % 300), 'm')),
          Value::Float(12.25),
          Value::FromTime(Time{49530000}),
          Value::FromDateTime({*MakeDate(2020, 2, 1), Time{3601000}}),
          Value::Float(-1.23),
          Value::FromBytes(std::string("\x01\x00\x02\x00", 4)),  // trailing zero bytes are data
          Value::FromBytes(std::string(static_cast<std::size_t>(i % 50), '\x7f'))};
}

TEST_F(ParadoxTableTest, EveryTypeAndNullsRoundTrip) {
  const fs::path path = dir_ / "T.DB";
  std::vector<Record> records;
  for (int i = 0; i < 200; ++i) records.push_back(Sample(i));
  records.push_back(Record(AllWritable().size()));  // all blank
  CreateParadoxTable(path, AllWritable(), records);
  EXPECT_TRUE(fs::exists(dir_ / "T.MB"));
  auto table = OpenParadoxTable(path);
  EXPECT_EQ(table->fields(), AllWritable());
  EXPECT_EQ(table->record_count(), records.size());
  EXPECT_EQ(table->key_field_count(), 0);
  ExpectRecords(table->ReadAll(), records);
}

TEST_F(ParadoxTableTest, MemoSizesAcrossLeaderSharedAndLargeBlocks) {
  const FieldDefs fields{{"m", FieldType::Memo, 1}};
  std::vector<Record> records;
  for (const std::size_t n : {0u, 1u, 240u, 5000u, 2048u, 2049u, 15u, 16u, 17u}) {
    records.push_back({Value::Text(std::string(n, 'x') + (n ? "" : ""))});
  }
  for (int i = 0; i < 70; ++i) records.push_back({Value::Text(std::string(60, 'a' + i % 26) + "中")});
  CreateParadoxTable(dir_ / "m.db", fields, records);
  ExpectRecords(OpenParadoxTable(dir_ / "m.db")->ReadAll(), records);
}

TEST_F(ParadoxTableTest, ZeroAndManyRecords) {
  const FieldDefs fields{{"id", FieldType::Integer, 0}, {"name", FieldType::String, 6}};
  CreateParadoxTable(dir_ / "empty.db", fields, {});
  EXPECT_TRUE(OpenParadoxTable(dir_ / "empty.db")->ReadAll().empty());
  EXPECT_FALSE(fs::exists(dir_ / "empty.mb"));

  std::vector<Record> records;
  for (int i = 0; i < 100000; ++i) records.push_back({Value::Integer(i), Value::Text("汉字字")});
  CreateParadoxTable(dir_ / "many.db", fields, records);
  ExpectRecords(OpenParadoxTable(dir_ / "many.db")->ReadAll(), records);
}

// The header keeps the largest + value written, so that the next record
// appended is numbered after every one the new table holds.
TEST_F(ParadoxTableTest, NewTableRemembersItsLargestAutoIncrement) {
  const FieldDefs fields{{"name", FieldType::String, 4}, {"id", FieldType::AutoInc, 0}};
  const std::vector<Record> records{{Value::Text("a"), Value::Integer(3)},
                                    {Value::Text("b"), Value::Integer(9)},
                                    {Value(), Value()},
                                    {Value::Text("c"), Value::Integer(5)}};
  CreateParadoxTable(dir_ / "t.db", fields, records);
  const std::string bytes = ReadWholeFile(dir_ / "t.db");
  EXPECT_EQ(paradox::ParseHeader(bytes, bytes.size(), dir_ / "t.db").auto_increment, 9u);
  ExpectRecords(OpenParadoxTable(dir_ / "t.db")->ReadAll(), records);
}

TEST_F(ParadoxTableTest, TextIsCutOnCharacterBoundaryAndUnencodableRefused) {
  const FieldDefs fields{{"name", FieldType::String, 5}};
  CreateParadoxTable(dir_ / "t.db", fields, {{Value::Text("中文字")}, {Value::Text("abcdefg")}});
  const auto records = OpenParadoxTable(dir_ / "t.db")->ReadAll();
  EXPECT_EQ(records[0][0], Value::Text("中文"));
  EXPECT_EQ(records[1][0], Value::Text("abcde"));
  EXPECT_TRUE(ThrowsEngineError([&] { CreateParadoxTable(dir_ / "t.db", fields, {{Value::Text("\xF0\x9F\x98\x80")}}); },
                                EngineError::Kind::InvalidValue, {"name"}));
  EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->record_count(), 2u);  // old file untouched

  // Refused after many blocks were already written out: still the old file, and no temporary left.
  std::vector<Record> many(50000, Record{Value::Text("企业")});
  many.push_back({Value::Text("\xF0\x9F\x98\x80")});
  EXPECT_THROW(CreateParadoxTable(dir_ / "t.db", fields, many), EngineError);
  ExpectRecords(OpenParadoxTable(dir_ / "t.db")->ReadAll(), {{Value::Text("中文")}, {Value::Text("abcde")}});
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(ParadoxTableTest, WrongKindIsTypeMismatchAndWritesNothing) {
  const FieldDefs fields{{"n", FieldType::Integer, 0}, {"m", FieldType::Memo, 1}};
  CreateParadoxTable(dir_ / "t.db", fields, {});
  auto table = OpenParadoxTable(dir_ / "t.db");
  EXPECT_TRUE(ThrowsEngineError([&] { table->Append({Value::Text("x"), Value::Text(std::string(100, 'y'))}); },
                                EngineError::Kind::TypeMismatch, {"field n"}));
  EXPECT_THROW(table->Append({Value::Integer(1 << 31)}), EngineError);
  EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->record_count(), 0u);
  EXPECT_FALSE(fs::exists(dir_ / "t.mb") && fs::file_size(dir_ / "t.mb") > 4096);
}

TEST_F(ParadoxTableTest, IncrementalWritesSurviveReopen) {
  const FieldDefs fields{{"id", FieldType::Integer, 0}, {"text", FieldType::String, 200},
                         {"memo", FieldType::Memo, 5}};
  CreateParadoxTable(dir_ / "inc.db", fields, {});
  std::vector<Record> expected;
  {
    auto table = OpenParadoxTable(dir_ / "inc.db");
    for (int i = 0; i < 100; ++i) {
      expected.push_back({Value::Integer(i), Value::Text("第" + std::to_string(i)),
                          Value::Text(std::string(static_cast<std::size_t>(i * 37 % 3000), 'q'))});
      table->Append(expected.back());
    }
    expected[5][2] = Value::Text("changed memo value");
    table->Overwrite(5, expected[5]);
    // Remove the middle of a block, the end, the very first; then empty whole blocks.
    for (const std::size_t at : {10u, 98u, 0u}) {
      table->Remove(at);
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (int i = 0; i < 40; ++i) {
      table->Remove(20);
      expected.erase(expected.begin() + 20);
    }
    ExpectRecords(table->ReadAll(), expected);
    table->Append({Value::Integer(1000), Value(), Value()});
    expected.push_back({Value::Integer(1000), Value(), Value()});
  }
  auto reopened = OpenParadoxTable(dir_ / "inc.db");
  EXPECT_EQ(reopened->record_count(), expected.size());
  ExpectRecords(reopened->ReadAll(), expected);
  // Writing the same records anew gives a file that reads the same.
  CreateParadoxTable(dir_ / "again.db", fields, expected);
  ExpectRecords(OpenParadoxTable(dir_ / "again.db")->ReadAll(), expected);

  for (std::size_t n = expected.size(); n > 0; --n) reopened->Remove(0);
  EXPECT_EQ(OpenParadoxTable(dir_ / "inc.db")->record_count(), 0u);
  reopened->Append(expected[0]);
  EXPECT_EQ(OpenParadoxTable(dir_ / "inc.db")->ReadAll(), std::vector<Record>{expected[0]});
}

TEST_F(ParadoxTableTest, MemoCompanionFoundWhateverItsCase) {
  const FieldDefs fields{{"m", FieldType::Memo, 1}};
  const std::vector<Record> records{{Value::Text(std::string(500, 'z'))}};
  CreateParadoxTable(dir_ / "KFQ_1.DB", fields, records);
  fs::rename(dir_ / "KFQ_1.MB", dir_ / "kfq_1.MB");
  ExpectRecords(OpenParadoxTable(dir_ / "KFQ_1.DB")->ReadAll(), records);
  fs::remove(dir_ / "kfq_1.MB");
  EXPECT_EQ(OpenParadoxTable(dir_ / "KFQ_1.DB")->ReadAll(), std::vector<Record>{Record{Value()}});
}

TEST_F(ParadoxTableTest, BadFieldDefinitionsAreRefused) {
  const auto kind_of = [&](const FieldDefs& fields) {
    try {
      CreateParadoxTable(dir_ / "bad.db", fields, {});
    } catch (const EngineError& e) {
      return e.kind();
    }
    return EngineError::Kind::State;
  };
  EXPECT_EQ(kind_of({{"a", FieldType::String, 0}}), EngineError::Kind::InvalidValue);
  EXPECT_EQ(kind_of({{"a", FieldType::String, 1}, {"A", FieldType::String, 1}}), EngineError::Kind::InvalidName);
  EXPECT_EQ(kind_of({{std::string(26, 'n'), FieldType::String, 1}}), EngineError::Kind::InvalidName);
  EXPECT_EQ(kind_of({{"g", FieldType::Graphic, 10}}), EngineError::Kind::Unsupported);
  EXPECT_FALSE(fs::exists(dir_ / "bad.db"));
}

// Posts that change one memo leave the others where they are, and the
// .mb space of values no record points to any more takes the new ones,
// whether small values sharing blocks or large ones of their own blocks.
TEST_F(ParadoxTableTest, RewrittenMemosReuseTheSpaceTheyLeave) {
  const FieldDefs fields{{"code", FieldType::String, 4}, {"note", FieldType::Memo, 4}, {"keep", FieldType::Memo, 4}};
  for (const std::size_t note_size : {300u, 3000u}) {
    SCOPED_TRACE(note_size);
    const auto note = [&](int version) { return Value::Text(std::string(note_size, static_cast<char>('a' + version % 26))); };
    std::vector<Record> expected;
    for (int r = 0; r < 3; ++r) {
      expected.push_back({Value::Text("r" + std::to_string(r)), note(r), Value::Text(std::string(200 + r, 'k'))});
    }
    CreateParadoxTable(dir_ / "m.db", fields, expected);
    auto table = OpenParadoxTable(dir_ / "m.db");
    // Where the second record's unchanged memo lives.
    const auto keep_tail = [&] { return ReadWholeFile(dir_ / "m.db").substr(0x800 + 6 + 32 + 18, 10); };
    for (int post = 0; post < 120; ++post) {
      if (post == 60) {
        table->Remove(0);
        expected.erase(expected.begin());
      }
      const std::string kept = keep_tail();
      expected[1][1] = note(post);
      table->Overwrite(1, expected[1]);
      ASSERT_EQ(keep_tail(), kept) << post;
    }
    EXPECT_LE(fs::file_size(dir_ / "m.mb"), 8u * 4096);
    ExpectRecords(OpenParadoxTable(dir_ / "m.db")->ReadAll(), expected);
    table.reset();
    OpenParadoxTable(dir_ / "m.db")->Overwrite(0, {Value::Text("x"), note(7), expected[0][2]});
    expected[0] = {Value::Text("x"), note(7), expected[0][2]};
    ExpectRecords(OpenParadoxTable(dir_ / "m.db")->ReadAll(), expected);
  }
}

class ParadoxCorruptTest : public ParadoxTableTest {
 protected:
  std::string Good() {
    CreateParadoxTable(dir_ / "good.db", {{"id", FieldType::Integer, 0}, {"m", FieldType::Memo, 2}},
                       {{Value::Integer(1), Value::Text(std::string(300, 'a'))},
                        {Value::Integer(2), Value::Text("b")}});
    return ReadWholeFile(dir_ / "good.db");
  }
  // Opening and reading bad.db fails with `kind`, its message naming `part`.
  ::testing::AssertionResult ReadingIsRefused(EngineError::Kind kind, const std::string& part) {
    return ThrowsEngineError([&] { OpenParadoxTable(dir_ / "bad.db")->ReadAll(); }, kind, {part});
  }
  // The damaged bytes, opened and read, fail with FileFormat or Unsupported.
  void ExpectRefused(const std::string& bytes, EngineError::Kind kind = EngineError::Kind::FileFormat) {
    WriteFileAtomically(dir_ / "bad.db", bytes);
    EXPECT_TRUE(ReadingIsRefused(kind, "bad.db"));
  }
};

TEST_F(ParadoxCorruptTest, DamagedFilesGiveClearErrors) {
  const std::string good = Good();
  ExpectRefused("");
  ExpectRefused(good.substr(0, 100));
  ExpectRefused(good.substr(0, 0x800 + 3));  // cut inside the first block's head
  struct Damage {
    std::size_t offset;
    char byte;
    EngineError::Kind kind;
  };
  const Damage damages[] = {
      {0x21, 0, EngineError::Kind::FileFormat},            // no fields
      {0x00, 99, EngineError::Kind::FileFormat},           // record size
      {0x0E, 7, EngineError::Kind::FileFormat},            // first block past the end
      {0x800 + 4, 0x33, EngineError::Kind::FileFormat},    // count not a multiple of the record size
      {0x800, 1, EngineError::Kind::FileFormat},           // chain loops
      {0x78, 0x42, EngineError::Kind::FileFormat},         // unknown type
      {0x5C, 1, EngineError::Kind::Unsupported},           // encrypted
  };
  for (const Damage& d : damages) {
    std::string b = good;
    b[d.offset] = d.byte;
    SCOPED_TRACE(d.offset);
    ExpectRefused(b, d.kind);
  }
}

// A table this large is decoded by several threads: the records keep
// their order, and of two damaged records the first in the file is the
// one reported, whichever thread meets it.
TEST_F(ParadoxCorruptTest, LargeTableReadsInOrderAndReportsItsFirstDamage) {
  FieldDefs fields{{"id", FieldType::Integer, 0}, {"name", FieldType::String, 12}, {"at", FieldType::Time, 0}};
  for (int i = 0; i < 40; ++i) fields.push_back({"v" + std::to_string(i), FieldType::Float, 0});
  std::vector<Record> records;
  for (int r = 0; r < 25000; ++r) {
    Record record{Value::Integer(r), Value::Text(r % 3 ? "企业" + std::to_string(r) : ""), Value::FromTime(Time{r})};
    for (int i = 0; i < 40; ++i) record.push_back(r % 7 == i % 7 ? Value() : Value::Float(r * 0.25 - i));
    records.push_back(std::move(record));
  }
  CreateParadoxTable(dir_ / "big.db", fields, records);
  ExpectRecords(OpenParadoxTable(dir_ / "big.db")->ReadAll(), records);

  std::string bytes = ReadWholeFile(dir_ / "big.db");
  const std::size_t record_size = paradox::LoadLe16(bytes.data());
  const std::size_t header_size = paradox::LoadLe16(bytes.data() + 2);
  const std::size_t block_size = static_cast<unsigned char>(bytes[5]) * 1024u;
  const std::size_t per_block = (block_size - 6) / record_size;
  for (const std::size_t r : {20000u, 12000u}) {
    const std::size_t at = header_size + r / per_block * block_size + 6 + r % per_block * record_size + 4 + 12;
    paradox::EncodeLong(90000000, bytes.data() + at);  // past the end of the day
  }
  WriteFileAtomically(dir_ / "bad.db", bytes);
  EXPECT_TRUE(ReadingIsRefused(EngineError::Kind::FileFormat, "bad.db: 第12001条记录的字段“at”"));
}

TEST_F(ParadoxCorruptTest, DamagedMemoFileGivesClearError) {
  Good();
  fs::rename(dir_ / "good.db", dir_ / "bad.db");
  std::string memo = ReadWholeFile(dir_ / "good.mb");
  memo[4096] = 9;
  WriteFileAtomically(dir_ / "bad.mb", memo);
  EXPECT_TRUE(ReadingIsRefused(EngineError::Kind::FileFormat, "bad.mb"));
  WriteFileAtomically(dir_ / "bad.mb", memo.substr(0, 4096));
  EXPECT_THROW(OpenParadoxTable(dir_ / "bad.db")->ReadAll(), EngineError);
}

}  // namespace
}  // namespace veltra::formats
