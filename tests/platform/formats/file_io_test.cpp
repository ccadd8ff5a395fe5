#include "platform/formats/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/formats/table_file.h"
#include "platform/types/error.h"
#include "temp_folder_test.h"

namespace veltra::formats {
namespace {

class FileIoTest : public TempFolderTest {};

TEST_F(FileIoTest, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  const auto target = dir_ / "kfq_1.db";
  WriteFileAtomically(target, "old content");
  WriteFileAtomically(target, "new");
  EXPECT_EQ(ReadWholeFile(target), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(FileIoTest, AtomicCopySpansChunksAndReplacesTheTarget) {
  std::string bytes(2'500'001, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7919 % 251);
  WriteFileAtomically(dir_ / "kfq_1.db", bytes);
  WriteFileAtomically(dir_ / "copy.db", "an older and longer copy than the empty one");
  WriteFileAtomically(dir_ / "empty.db", "");
  for (const char* source : {"kfq_1.db", "empty.db"}) {
    const RandomAccessFile from(dir_ / source, RandomAccessFile::Mode::ReadOnly);
    RenameFile(CopyTemporaryFor(from, dir_ / "copy.db"), dir_ / "copy.db");
    EXPECT_EQ(ReadWholeFile(dir_ / "copy.db"), ReadWholeFile(dir_ / source)) << source;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3);
}

TEST_F(FileIoTest, AtomicWriteIntoMissingFolderFailsNamingIt) {
  try {
    WriteFileAtomically(dir_ / "no_such" / "x.db", "data");
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::Io);
    EXPECT_NE(std::string(e.what()).find("no_such"), std::string::npos) << e.what();
  }
}

TEST_F(FileIoTest, ShortReadIsAFormatErrorNamingTheFile) {
  const auto target = dir_ / "short.db";
  WriteFileAtomically(target, "0123456789");
  RandomAccessFile file(target, RandomAccessFile::Mode::ReadWrite);
  EXPECT_EQ(file.ReadAt(2, 3), "234");
  file.WriteAt(10, "AB");
  EXPECT_EQ(file.Size(), 12u);
  try {
    file.ReadAt(8, 10);
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::FileFormat);
    EXPECT_NE(std::string(e.what()).find("short.db"), std::string::npos);
  }
}

TEST(TableKind, FollowsTheExtensionInAnyCase) {
  EXPECT_EQ(KindForPath("a/QUERY_P.DBF"), TableKind::DBase);
  EXPECT_EQ(KindForPath("x.Txt"), TableKind::Text);
  EXPECT_EQ(KindForPath("check_db.DB"), TableKind::Paradox);
  EXPECT_EQ(KindForPath("noext"), TableKind::Paradox);
}

}  // namespace
}  // namespace veltra::formats
