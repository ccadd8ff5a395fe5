// Tables written elsewhere: older levels, keyed tables, other code pages,
// and files whose header lags behind their blocks after a killed write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/formats/file_io.h"
#include "platform/formats/paradox_table.h"
#include "platform/types/error.h"
#include "tests/platform/formats/temp_folder_test.h"

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

TEST_F(ParadoxForeignTest, OtherCodePagesDecodeThroughIconv) {
  std::string cp850 = ours_;
  cp850[0x6A] = 0x52;  // 850 = 0x0352
  cp850[0x6B] = 0x03;
  const std::size_t first_record = 0x800 + 6;
  cp850[first_record] = static_cast<char>(0x82);  // é in code page 850
  auto table = Open(cp850);
  EXPECT_EQ(table->ReadAll()[0][0], Value::Text("éb"));
  // A change stores the table in code page 936 from then on.
  table->Overwrite(1, {Value::Text("中"), Value::Integer(9)});
  const auto records = OpenParadoxTable(dir_ / "t.db")->ReadAll();
  EXPECT_EQ(records[0][0], Value::Text("éb"));
  EXPECT_EQ(records[1][0], Value::Text("中"));
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
