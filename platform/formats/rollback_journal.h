#pragma once
// Makes a group of in-place writes to a table's files all or nothing, even
// across a power cut. Before a page of a tracked file is first overwritten,
// its old bytes go to a journal beside the table (".<table name>.rollback");
// the writes to the tracked files are held in memory until the journal
// that guards them is synced, and then made; once it is, bytes past a
// file's old end are written at once. Commit syncs the files and
// then empties and syncs the journal; RollBack puts the old bytes back and
// cuts each file to its old size. The journal file is made by the first
// group and kept, empty between groups, until the journal object goes. A
// writer killed half-way leaves a journal that is not empty, and
// RollBackInterruptedWrites, run when the table is next opened, restores
// the files as they were before the group.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <unordered_set>
#include <utility>
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
  // A tracked file's write: the old bytes are journaled and the new ones held.
  void Write(RandomAccessFile& file, std::uint64_t offset, std::string_view bytes);
  // Lays the held writes of `file` over `buffer`, read from it at `offset`.
  void Overlay(const RandomAccessFile& file, std::uint64_t offset, std::string& buffer) const;
  // Where the held writes of `file` end (0 for none).
  std::uint64_t HeldEnd(const RandomAccessFile& file) const;
  void Commit();
  void RollBack();
  // Removes the journal file between groups; the next group makes it anew.
  void RemoveEmpty();

 private:
  struct Tracked {
    RandomAccessFile* file;
    std::uint64_t original_size;
    std::unordered_set<std::uint64_t> saved_pages;
    std::map<std::uint64_t, std::string> held;  // disjoint runs of new bytes by offset
    bool size_on_disk;                           // the journal is synced with original_size in it
  };
  void SaveBefore(Tracked& tracked, std::uint64_t offset, std::size_t length);
  void Append(std::string_view payload);
  void WriteEntries();
  // Syncs the journal, then makes the held writes.
  void WriteHeld();
  void Detach();

  std::filesystem::path table_;
  std::filesystem::path path_;
  std::unique_ptr<RandomAccessFile> journal_;
  std::uint64_t end_ = 0;      // of the entries written to the file
  std::string unwritten_;      // entries that follow them
  std::size_t held_bytes_ = 0;
  bool active_ = false;
  FileIdentity identity_;  // of the journal file while a group is under way
  std::vector<Tracked> tracked_;
};

// Held writes beyond this many bytes are made early, after one more sync
// of the journal. Tests lower it to reach the early writes with small tables.
std::size_t JournalHoldLimit();
void SetJournalHoldLimit(std::size_t bytes);

// The journal file beside `table`.
std::filesystem::path JournalPathFor(const std::filesystem::path& table);

// Undoes the writes of a group that a killed writer left unfinished.
void RollBackInterruptedWrites(const std::filesystem::path& table);

}  // namespace veltra::formats
