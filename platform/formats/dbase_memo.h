#pragma once
// The memo companion (.dbt) of a dBase table: numbered blocks, block 0 the
// header, each memo starting on a block boundary. dBase III+ ends a memo
// with 0x1A 0x1A in 512-byte blocks; dBase IV starts it with FF FF 08 00
// and its length, in blocks of the size the header gives. Memos are only
// ever appended: a rewritten memo takes new blocks and its old ones stay
// unused until the table is rewritten as a whole.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/formats/file_io.h"
#include "platform/formats/rollback_journal.h"

namespace veltra::formats {

enum class MemoStyle { DBase3, DBase4 };

class DBaseMemoFile {
 public:
  DBaseMemoFile(const std::filesystem::path& path, MemoStyle style, RandomAccessFile::Mode mode);

  // The stored bytes of the memo starting at `block`. Throws EngineError
  // FileFormat naming the file when the block holds no memo.
  std::string Read(std::uint32_t block) const;
  // Stores `bytes` after every block in use; returns its first block.
  std::uint32_t Append(std::string_view bytes);
  void Sync() { file_.Sync(); }
  // Its writes go to `journal` until that commits or rolls back.
  void Journal(RollbackJournal& journal) { journal.Track(file_); }

 private:
  RandomAccessFile file_;
  MemoStyle style_;
  std::uint32_t block_size_ = 512;
};

// A new memo file built in memory: Add each memo, then Finish.
class DBaseMemoBuilder {
 public:
  DBaseMemoBuilder(const std::filesystem::path& dbt_path, MemoStyle style);
  std::uint32_t Add(std::string_view bytes);
  std::string Finish();

 private:
  MemoStyle style_;
  std::string content_;
};

// The existing memo file of a table, matched case-insensitively
// (people.DBF -> people.dbt or PEOPLE.DBT).
std::optional<std::filesystem::path> FindMemoFile(const std::filesystem::path& dbf_path);
// The memo file to write for a table: the existing one, else the table's
// name with .dbt (.DBT when the table's extension is upper case).
std::filesystem::path MemoPathFor(const std::filesystem::path& dbf_path);

}  // namespace veltra::formats
