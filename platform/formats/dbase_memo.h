#pragma once
// The memo companion (.dbt) of a dBase table: numbered blocks, block 0 the
// header, each memo starting on a block boundary. dBase III+ ends a memo
// with 0x1A 0x1A in 512-byte blocks; dBase IV starts it with FF FF 08 00
// and its length, in blocks of the size the header gives. A memo no record
// points to any more leaves its blocks free for later memos that fit.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>
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
  // Whether the memo at `block` holds `bytes`, which then keep their place.
  bool Holds(std::uint32_t block, std::string_view bytes) const;
  // Learns from the memo blocks every record points to (deleted ones too,
  // which other programs may recall) which blocks are free. A file whose
  // memos cannot all be read is only appended to.
  void LearnFreeSpace(const std::vector<std::uint32_t>& in_use);
  bool learnt() const { return learnt_; }
  // Stores `bytes` in free blocks it fits, else after the end.
  std::uint32_t Store(std::string_view bytes);
  // A record no longer points at the memo at `block`: its blocks are free
  // once the records are synced (RecordsSynced), never before.
  void Release(std::uint32_t block);
  void RecordsSynced();
  // After a group was undone: what was learnt no longer holds.
  void Forget();
  void Sync() { file_.Sync(); }
  // Its writes go to `journal` until that commits or rolls back.
  void Journal(RollbackJournal& journal) { journal.Track(file_); }

 private:
  std::uint32_t BlocksOf(std::uint32_t block) const;
  void Free(std::uint32_t first, std::uint32_t count);

  RandomAccessFile file_;
  MemoStyle style_;
  std::uint32_t block_size_ = 512;
  bool learnt_ = false;
  std::map<std::uint32_t, int> users_;            // first block of each memo in use
  std::map<std::uint32_t, std::uint32_t> free_;   // runs of free blocks: first, count
  std::vector<std::uint32_t> released_;           // free once the records are synced
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
