// Tables written elsewhere: older levels, keyed tables, other code pages,
// and files whose header lags behind their blocks after a killed write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/formats/file_io.h"
#include "platform/formats/paradox_table.h"
#include "platform/types/error.h"
#include "tests/platform/formats/dbase_test_support.h"
#include "tests/platform/formats/temp_folder_test.h"
#include "tests/support/pxlib_reader.h"

namespace veltra::formats {
namespace {

namespace fs = std::filesystem;

class ParadoxForeignTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    CreateParadoxTable(dir_ / "ours.db", fields_, records_);
    ours_ = ReadWholeFile(dir_ / "ours.db");
  }
  std::unique_ptr<TableFile> Open(const std::string& bytes) {
    WriteFileAtomically(dir_ / "t.db", bytes);
    return OpenParadoxTable(dir_ / "t.db");
  }

  const FieldDefs fields_{{"code", FieldType::String, 4}, {"n", FieldType::Integer, 0}};
  const std::vector<Record> records_{{Value::Text("ab"), Value::Integer(1)}, {Value::Text("cd"), Value::Integer(2)}};
  std::string ours_;
};

// The same table with the 79-byte table name of levels before 7, and
// without the extended header for level 3.
std::string AsOlderLevel(std::string bytes, char version, std::size_t fields) {
  const std::size_t header_size = 0x800;
  bytes.erase(0x78 + 6 * fields + 4 + 79, 261 - 79);
  if (version < 5) bytes.erase(0x58, 0x20);
  bytes.insert(header_size - (version < 5 ? 0x20 + 182 : 182), std::string(version < 5 ? 0x20 + 182 : 182, '\0'));
  bytes[0x39] = version;
  return bytes;
}

TEST_F(ParadoxForeignTest, OlderLevelsRead) {
  for (const char version : {'\x03', '\x04', '\x09', '\x0B'}) {
    auto table = Open(AsOlderLevel(ours_, version, fields_.size()));
    EXPECT_EQ(table->fields(), fields_) << int(version);
    EXPECT_EQ(table->ReadAll(), records_) << int(version);
  }
}

TEST_F(ParadoxForeignTest, KeyedTableReadsAndFirstWriteRewritesItUnkeyed) {
  std::string keyed = ours_;
  keyed[0x04] = 0;
  keyed[0x23] = 1;
  WriteFileAtomically(dir_ / "t.PX", "stale");
  auto table = Open(keyed);
  EXPECT_EQ(table->key_field_count(), 1);
  EXPECT_EQ(table->ReadAll(), records_);
  table->Append({Value::Text("ef"), Value::Integer(3)});
  EXPECT_EQ(table->key_field_count(), 0);
  EXPECT_FALSE(fs::exists(dir_ / "t.PX"));
  auto reopened = OpenParadoxTable(dir_ / "t.db");
  EXPECT_EQ(reopened->key_field_count(), 0);
  EXPECT_EQ(reopened->record_count(), 3u);
}

std::string WithCodePage(std::string bytes, int code_page) {
  bytes[0x6A] = static_cast<char>(code_page & 0xFF);
  bytes[0x6B] = static_cast<char>(code_page >> 8);
  return bytes;
}

constexpr std::size_t kFirstRecord = 0x800 + 6;

// A keyed table from elsewhere, rewritten by its first change and again
// by a pack, stays at its level with its sort order, code page and last
// counter value; its index files go, its validity checks stay.
TEST_F(ParadoxForeignTest, RewritesKeepTheTablesIdentityAndDropItsIndexes) {
  const struct {
    char version;
    char sort_order;
    int code_page;
  } cases[] = {{'\x03', '\x00', 0}, {'\x09', '\x62', 850}, {'\x0C', '\x6A', 936}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.version));
    std::string keyed = AsOlderLevel(ours_, c.version, fields_.size());
    if (c.code_page != 0) keyed = WithCodePage(keyed, c.code_page);
    keyed[0x04] = 0;
    keyed[0x23] = 1;
    keyed[0x29] = c.sort_order;
    keyed[0x49] = 44;
    for (const char* companion : {"t.PX", "t.X02", "t.Y02", "t.xg0", "t.YG0", "t.VAL"}) {
      WriteFileAtomically(dir_ / companion, "index");
    }
    Open(keyed)->Append({Value::Text("ef"), Value::Integer(3)});
    OpenParadoxTable(dir_ / "t.db")->Rewrite({records_[1]});
    const std::string packed = ReadWholeFile(dir_ / "t.db");
    EXPECT_EQ(packed[0x04], 2);
    EXPECT_EQ(packed[0x39], c.version);
    EXPECT_EQ(packed[0x29], c.sort_order);
    EXPECT_EQ(packed[0x49], 44);
    if (c.code_page != 0) {
      EXPECT_EQ(WithCodePage(packed, c.code_page), packed);
    }
    EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->ReadAll(), std::vector<Record>{records_[1]});
#ifdef VELTRA_HAVE_PXLIB
    EXPECT_EQ(veltra::testing::ReadWithPxlib(dir_ / "t.db").rows, (std::vector<std::vector<std::string>>{{"cd", "2"}}));
#endif
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"ours.db", "t.VAL", "t.db"}));
    fs::remove(dir_ / "t.VAL");
  }
}

// An unkeyed table's secondary index goes with its first change of any
// kind, before the records change; its validity checks stay.
TEST_F(ParadoxForeignTest, TheFirstChangeOfAnUnkeyedTableDropsItsSecondaryIndex) {
  const struct {
    const char* what;
    std::function<void(TableFile&)> change;
    std::vector<std::vector<std::string>> rows;
  } cases[] = {
      {"post", [](TableFile& t) { t.Overwrite(0, {Value::Text("ef"), Value::Integer(5)}); }, {{"ef", "5"}, {"cd", "2"}}},
      {"append", [](TableFile& t) { t.Append({Value::Text("ef"), Value::Integer(3)}); }, {{"ab", "1"}, {"cd", "2"}, {"ef", "3"}}},
      {"delete", [](TableFile& t) { t.Remove(0); }, {{"cd", "2"}}},
  };
  for (const auto& c : cases) {
    auto table = Open(ours_);
    for (const char* companion : {"t.X01", "t.y01", "t.VAL"}) WriteFileAtomically(dir_ / companion, "index");
    c.change(*table);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"ours.db", "t.VAL", "t.db"})) << c.what;
#ifdef VELTRA_HAVE_PXLIB
    EXPECT_EQ(veltra::testing::ReadWithPxlib(dir_ / "t.db").rows, c.rows) << c.what;
#endif
    fs::remove(dir_ / "t.VAL");
  }
}

// The sort order names the character set where the header holds no code
// page, and HP Roman-8, which has no code page number, whatever it holds.
TEST_F(ParadoxForeignTest, SortOrdersGiveTheirCharacterSets) {
  const struct {
    char version;
    char sort_order;
    int code_page;
    const char* text;
  } cases[] = {
      {'\x03', '\x14', 0, "Š½ƒ¶"},   {'\x0C', '\x14', 850, "Š½ƒ¶"}, {'\x03', '\x00', 0, "Ù°¥¶"},
      {'\x03', '\x62', 0, "ëø¾ô"},   {'\x03', '\xB7', 0, "δ°╛⌠"}, {'\x0C', '\x62', 850, "Ù°¥¶"},
      {'\x03', '\x7F', 0, "δ°╛⌠"},
  };
  for (const auto& c : cases) {
    std::string bytes = AsOlderLevel(ours_, c.version, fields_.size());
    if (c.code_page != 0) bytes = WithCodePage(bytes, c.code_page);
    bytes[0x29] = c.sort_order;
    bytes.replace(kFirstRecord, 4, "\xEB\xF8\xBE\xF4");
    auto table = Open(bytes);
    EXPECT_EQ(table->ReadAll()[0][0], Value::Text(c.text)) << int(c.sort_order) << " " << c.code_page;
  }
  auto roman8 = Open(AsOlderLevel(ours_, '\x03', fields_.size()).replace(0x29, 1, "\x14"));
  roman8->Append({Value::Text("ƒ¶"), Value::Integer(3)});
  EXPECT_EQ(ReadWholeFile(dir_ / "t.db").substr(kFirstRecord + 16, 2), "\xBE\xF4");
}

// A file cut inside its last block reads the records wholly present, and
// every change is refused naming the damage, so that nothing more is lost.
TEST_F(ParadoxForeignTest, TableCutInsideItsLastBlockIsReadButNotChanged) {
  const struct {
    std::size_t length;
    std::size_t records;
  } cases[] = {{kFirstRecord + 16, 2}, {kFirstRecord + 8 + 3, 1}};
  for (const auto& c : cases) {
    const std::string cut = ours_.substr(0, c.length);
    auto table = Open(cut);
    EXPECT_EQ(table->ReadAll(), std::vector<Record>(records_.begin(), records_.begin() + c.records));
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { table->Append(records_[0]); }, [&] { table->Overwrite(0, records_[0]); },
             [&] { table->Remove(0); }, [&] { table->CheckWritable(); }}) {
      ExpectEngineError(change, EngineError::Kind::FileFormat, {"t.db", "第1块"});
    }
    EXPECT_EQ(ReadWholeFile(dir_ / "t.db"), cut);
  }
}

// A level-3 table has no code page field: sort order 0 means code page 850.
// Changes are written in that code page; what it cannot hold is refused by
// character, and the file stays as it was.
TEST_F(ParadoxForeignTest, ChangesStayInTheTablesOwnCodePage) {
  std::string cp850 = AsOlderLevel(ours_, '\x03', fields_.size());
  cp850[0x29] = 0;
  cp850[kFirstRecord] = static_cast<char>(0x9B);  // ø
  auto table = Open(cp850);
  ASSERT_EQ(table->ReadAll()[0][0], Value::Text("øb"));
  table->Overwrite(1, {Value::Text("Øé"), Value::Integer(9)});
  table->Append({Value::Text("ü"), Value::Integer(3)});
  const std::string written = ReadWholeFile(dir_ / "t.db");
  EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->ReadAll(),
            (std::vector<Record>{{Value::Text("øb"), Value::Integer(1)},
                                 {Value::Text("Øé"), Value::Integer(9)},
                                 {Value::Text("ü"), Value::Integer(3)}}));
  ExpectEngineError([&] { table->Append({Value::Text("a中"), Value::Integer(4)}); }, EngineError::Kind::InvalidValue,
                    {"code", "中", "第2个字符", "850"});
  EXPECT_EQ(ReadWholeFile(dir_ / "t.db"), written);
}

// A code page of two-byte characters other than GBK (Big5) goes through
// iconv: kept characters stay whole, one it lacks is refused by name.
TEST_F(ParadoxForeignTest, MultiByteCodePageKeepsItsCharactersWhole) {
  CreateParadoxTable(dir_ / "big5.db", {{"name", FieldType::String, 3}}, {{Value::Text("臺灣")}}, 950);
  auto table = OpenParadoxTable(dir_ / "big5.db");
  EXPECT_EQ(table->ReadAll(), std::vector<Record>{{Value::Text("臺")}});
  table->Append({Value::Text("灣")});
  ExpectEngineError([&] { table->Append({Value::Text("们")}); }, EngineError::Kind::InvalidValue, {"们", "950"});
  EXPECT_EQ(OpenParadoxTable(dir_ / "big5.db")->ReadAll(), (std::vector<Record>{{Value::Text("臺")}, {Value::Text("灣")}}));
}

// A keyed table is rewritten unkeyed by its first change, but only once
// the value written is known to fit: a refused one leaves table and index.
TEST_F(ParadoxForeignTest, RefusedWriteLeavesAKeyedForeignTableAsItWas) {
  std::string keyed = WithCodePage(ours_, 1252);
  keyed[0x04] = 0;
  keyed[0x23] = 1;
  WriteFileAtomically(dir_ / "t.PX", "index");
  auto table = Open(keyed);
  for (const Record& refused : {Record{Value::Text("中"), Value::Integer(3)}, Record{Value::Text("ef"), Value::Text("x")}}) {
    EXPECT_THROW(table->Append(refused), EngineError);
    EXPECT_THROW(table->Overwrite(0, refused), EngineError);
  }
  EXPECT_EQ(ReadWholeFile(dir_ / "t.db"), keyed);
  EXPECT_TRUE(fs::exists(dir_ / "t.PX"));

  table->Append({Value::Text("é"), Value::Integer(3)});
  EXPECT_FALSE(fs::exists(dir_ / "t.PX"));
  const std::string rewritten = ReadWholeFile(dir_ / "t.db");
  EXPECT_EQ(rewritten.substr(0x6A, 2), std::string("\xE4\x04", 2));
  EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->ReadAll().back()[0], Value::Text("é"));
}

// Without its .mb the table still opens: values kept there read as blank,
// and every change is refused naming the file, so that none is lost.
TEST_F(ParadoxForeignTest, MissingMemoFileReadsTheRestAndRefusesEveryChange) {
  const FieldDefs fields{{"code", FieldType::String, 4}, {"note", FieldType::Memo, 4}};
  CreateParadoxTable(dir_ / "m.db", fields,
                     {{Value::Text("ab"), Value::Text("tiny")}, {Value::Text("cd"), Value::Text(std::string(100, 'x'))}});
  fs::remove(dir_ / "m.mb");
  const std::string before = ReadWholeFile(dir_ / "m.db");
  auto table = OpenParadoxTable(dir_ / "m.db");
  EXPECT_EQ(table->ReadAll(), (std::vector<Record>{{Value::Text("ab"), Value::Text("tiny")}, {Value::Text("cd"), Value()}}));
  const Record record{Value::Text("ef"), Value::Text("new")};
  for (const auto& change : std::vector<std::function<void()>>{[&] { table->Append(record); },
                                                               [&] { table->Overwrite(0, record); },
                                                               [&] { table->Remove(1); },
                                                               [&] { table->CheckWritable(); }}) {
    ExpectEngineError(change, EngineError::Kind::FileFormat, {"m.mb"});
  }
  EXPECT_EQ(ReadWholeFile(dir_ / "m.db"), before);
  EXPECT_FALSE(fs::exists(dir_ / "m.mb"));
}

TEST_F(ParadoxForeignTest, HeaderBehindItsBlocksStillReadsEveryRecord) {
  std::string lagging = ours_;
  lagging[0x06] = 1;  // as if killed between the block write and the header write
  auto table = Open(lagging);
  EXPECT_EQ(table->ReadAll(), records_);
  table->Append({Value::Text("ef"), Value::Integer(3)});
  EXPECT_EQ(OpenParadoxTable(dir_ / "t.db")->record_count(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(ReadWholeFile(dir_ / "t.db")[0x06]), 3u);
}

}  // namespace
}  // namespace veltra::formats
