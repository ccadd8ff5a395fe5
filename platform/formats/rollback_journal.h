#pragma once
// Makes a group of in-place writes to a table's files all or nothing.
// Before a page of a tracked file is first overwritten, its old bytes go to
// a journal beside the table (".<table name>.rollback"). Commit syncs the
// files once and empties the journal; RollBack puts the old bytes back and
// cuts each file to its old size. The journal file is made by the first
// group and kept, empty between groups, until the journal object goes. A
// writer killed half-way leaves a journal that is not empty, and
// RollBackInterruptedWrites, run when the table is next opened, restores
// the files as they were before the group.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/formats/file_io.h"

namespace veltra::formats {

class RollbackJournal {
 public:
  explicit RollbackJournal(std::filesystem::path table);
  // Removes the empty journal file; one of a group neither committed nor
  // rolled back stays on disk for the next open.
  ~RollbackJournal();
  RollbackJournal(const RollbackJournal&) = delete;
  RollbackJournal& operator=(const RollbackJournal&) = delete;

  void Begin();
  bool active() const { return active_; }
  // Journals the writes to `file`, which lies in the table's folder.
  void Track(RandomAccessFile& file);
  // Called by the file before it writes `length` bytes at `offset`.
  void SaveBefore(RandomAccessFile& file, std::uint64_t offset, std::size_t length);
  void Commit();
  void RollBack();

 private:
  struct Tracked {
    RandomAccessFile* file;
    std::uint64_t original_size;
    std::unordered_set<std::uint64_t> saved_pages;
  };
  void Append(std::string_view payload);
  void Detach();

  std::filesystem::path table_;
  std::filesystem::path path_;
  std::unique_ptr<RandomAccessFile> journal_;
  std::uint64_t end_ = 0;
  bool active_ = false;
  std::vector<Tracked> tracked_;
};

// Undoes the writes of a group that a killed writer left unfinished.
void RollBackInterruptedWrites(const std::filesystem::path& table);

}  // namespace veltra::formats
