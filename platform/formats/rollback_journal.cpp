#include "platform/formats/rollback_journal.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <system_error>

#include "platform/formats/table_set.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

// Journals of the first version carry a byte-wise checksum; a killed
// writer may have left one behind, and it still rolls back.
constexpr std::string_view kMagic = "VLTRJRN2";
constexpr std::string_view kFirstMagic = "VLTRJRN1";
constexpr std::uint64_t kPage = 4096;
// Each entry: payload length, checksum, payload. A file entry ('F') names
// a tracked file and its size before the group; a page entry ('P') holds
// the old bytes at an offset of one of them.
constexpr std::size_t kEntryHead = 8;
constexpr std::size_t kEntriesPerWrite = std::size_t{1} << 20;
// Held writes beyond this are made early, after one more sync of the journal.
std::size_t held_limit = std::size_t{8} << 20;

// The journal files (device, inode) of groups under way in this process: a
// group may stay open while its table is opened again (held posts), and that
// open must not take it for one a killed writer left.
std::set<FileIdentity>& JournalsInUse() {
  static std::set<FileIdentity> in_use;
  return in_use;
}

void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint64_t Get(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  return v;
}

// Tell a complete entry from one the kill cut short. FNV-1a, byte by
// byte, in the first version; eight bytes at a time, mixed down after
// each multiply, since.
std::uint32_t FirstChecksum(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::uint32_t Checksum(std::string_view bytes) {
  static_assert(std::endian::native == std::endian::little, "the words are the file's bytes read little-endian");
  constexpr std::uint64_t kPrime = 0x100000001B3u;
  std::uint64_t hash = 0xCBF29CE484222325u ^ bytes.size();
  const auto mix = [&](std::uint64_t word) {
    hash = (hash ^ word) * kPrime;
    hash ^= hash >> 29;
  };
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    mix(word);
  }
  for (; at < bytes.size(); ++at) mix(static_cast<unsigned char>(bytes[at]));
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

struct Restore {
  std::uint64_t original_size = 0;
  std::vector<std::pair<std::uint64_t, std::string_view>> pages;
};

// The entry of `file` among the tracked ones, or null.
template <typename Entries>
auto* Find(Entries& tracked, const RandomAccessFile& file) {
  const auto it = std::find_if(tracked.begin(), tracked.end(), [&](const auto& t) { return t.file == &file; });
  return it == tracked.end() ? nullptr : &*it;
}

std::uint64_t EndOf(const std::pair<const std::uint64_t, std::string>& run) { return run.first + run.second.size(); }

// Puts `bytes` at `offset` into the runs: a run it overlaps grows, and the
// runs it then overlaps are taken into it. Runs that only touch stay apart,
// so that a long run of writes is not copied again as it grows.
void Hold(std::map<std::uint64_t, std::string>& runs, std::uint64_t offset, std::string_view bytes) {
  auto run = runs.upper_bound(offset);
  if (run != runs.begin() && EndOf(*std::prev(run)) > offset) --run;
  if (run == runs.end() || run->first > offset) {
    run = runs.emplace_hint(run, offset, std::string(bytes));
  } else {
    // What lies past the run's end is appended, never zero-filled first.
    std::string& held = run->second;
    const auto at = static_cast<std::size_t>(offset - run->first);
    const std::size_t inside = std::min(bytes.size(), held.size() - at);
    std::memcpy(held.data() + at, bytes.data(), inside);
    held.append(bytes.substr(inside));
  }
  for (auto next = std::next(run); next != runs.end() && next->first < EndOf(*run); next = runs.erase(next)) {
    if (EndOf(*next) > EndOf(*run)) run->second.append(next->second, static_cast<std::size_t>(EndOf(*run) - next->first));
  }
}

}  // namespace

RollbackJournal::RollbackJournal(std::filesystem::path table)
    : table_(std::move(table)), path_(JournalPathFor(table_)) {}

RollbackJournal::~RollbackJournal() {
  Detach();
  if (active_) JournalsInUse().erase(identity_);
  RemoveEmpty();
}

void RollbackJournal::RemoveEmpty() {
  if (journal_ && !active_ && !journal_->Removed()) {
    journal_.reset();
    std::error_code ignored;  // an empty journal left behind is removed at the next open
    std::filesystem::remove(path_, ignored);
  }
}

void RollbackJournal::Begin() {
  // Another open of the table removes an empty journal it finds.
  if (journal_ && journal_->Removed()) journal_.reset();
  if (!journal_) {
    journal_ = std::make_unique<RandomAccessFile>(path_, RandomAccessFile::Mode::CreateNew);
    SyncFolder(path_.parent_path());  // a journal lost with its folder entry could not roll back
  }
  journal_->WriteAt(0, kMagic);
  end_ = kMagic.size();
  unwritten_.clear();
  active_ = true;
  identity_ = IdentityAt(path_);
  JournalsInUse().insert(identity_);
}

void RollbackJournal::Detach() {
  for (Tracked& t : tracked_) t.file->SetJournal(nullptr);
  tracked_.clear();
  held_bytes_ = 0;
}

// The entries go out a large write at a time; none needs to be in the file
// before the journal is synced, since no held write is made before that.
void RollbackJournal::Append(std::string_view payload) {
  Put32(unwritten_, static_cast<std::uint32_t>(payload.size()));
  Put32(unwritten_, Checksum(payload));
  unwritten_ += payload;
  if (unwritten_.size() >= kEntriesPerWrite) WriteEntries();
}

void RollbackJournal::WriteEntries() {
  if (unwritten_.empty()) return;
  journal_->WriteAt(end_, unwritten_);
  end_ += unwritten_.size();
  unwritten_.clear();
}

void RollbackJournal::Track(RandomAccessFile& file) {
  if (file.path().parent_path() != path_.parent_path()) {
    throw EngineError(EngineError::Kind::State, file.path().string() + " lies outside the folder of its table");
  }
  std::string payload = "F";
  payload += static_cast<char>(tracked_.size());
  const std::uint64_t size = file.Size();
  Put64(payload, size);
  payload += file.path().filename().string();
  Append(payload);
  tracked_.push_back({&file, size, {}, {}, false});
  file.SetJournal(this);
}

void RollbackJournal::SaveBefore(Tracked& tracked, std::uint64_t offset, std::size_t length) {
  const std::uint64_t end = std::min(offset + length, tracked.original_size);
  const std::uint64_t first = offset / kPage * kPage;
  const std::uint64_t last = std::min((end + kPage - 1) / kPage * kPage, tracked.original_size);
  std::string old;  // the pages the write touches, read at the first not saved yet
  std::string payload;
  for (std::uint64_t at = first; at < end; at += kPage) {
    if (!tracked.saved_pages.insert(at / kPage).second) continue;
    // Nothing is held over a page not yet saved: these are its old bytes.
    if (old.empty()) tracked.file->ReadAt(first, static_cast<std::size_t>(last - first), old);
    payload = "P";
    payload += static_cast<char>(&tracked - tracked_.data());
    Put64(payload, at);
    payload.append(old, static_cast<std::size_t>(at - first), static_cast<std::size_t>(std::min(kPage, last - at)));
    Append(payload);
  }
}

void RollbackJournal::Write(RandomAccessFile& file, std::uint64_t offset, std::string_view bytes) {
  Tracked* tracked = Find(tracked_, file);
  if (!tracked) {
    file.WriteThrough(offset, bytes);
    return;
  }
  if (bytes.empty()) return;
  // Once the journal on the disk gives the file's old size, what lies past
  // it can be written at once: a rollback cuts it off.
  if (tracked->size_on_disk && offset + bytes.size() > tracked->original_size) {
    const std::size_t inside = offset < tracked->original_size ? static_cast<std::size_t>(tracked->original_size - offset) : 0;
    file.WriteThrough(offset + inside, bytes.substr(inside));
    bytes = bytes.substr(0, inside);
    if (bytes.empty()) return;
  }
  SaveBefore(*tracked, offset, bytes.size());
  Hold(tracked->held, offset, bytes);
  held_bytes_ += bytes.size();
  if (held_bytes_ > held_limit) WriteHeld();
}

void RollbackJournal::Overlay(const RandomAccessFile& file, std::uint64_t offset, std::string& buffer) const {
  const Tracked* tracked = Find(tracked_, file);
  if (!tracked) return;
  const std::uint64_t end = offset + buffer.size();
  auto run = tracked->held.upper_bound(offset);
  if (run != tracked->held.begin()) --run;
  for (; run != tracked->held.end() && run->first < end; ++run) {
    const std::uint64_t from = std::max(offset, run->first);
    const std::uint64_t to = std::min(end, EndOf(*run));
    if (from < to) {
      std::memcpy(buffer.data() + (from - offset), run->second.data() + (from - run->first), static_cast<std::size_t>(to - from));
    }
  }
}

std::uint64_t RollbackJournal::HeldEnd(const RandomAccessFile& file) const {
  const Tracked* tracked = Find(tracked_, file);
  return tracked && !tracked->held.empty() ? EndOf(*tracked->held.rbegin()) : 0;
}

void RollbackJournal::WriteHeld() {
  if (held_bytes_ == 0) return;
  WriteEntries();
  journal_->Sync();
  for (Tracked& t : tracked_) {
    for (const auto& [offset, bytes] : t.held) t.file->WriteThrough(offset, bytes);
    t.held.clear();
    t.size_on_disk = true;
  }
  held_bytes_ = 0;
}

// Emptying the journal is the commit: it is on the disk before the files
// are written and they are before it is emptied, so a crash or power cut
// on either side of it leaves the group whole or undone.
void RollbackJournal::Commit() {
  WriteHeld();
  // The memo before the table: a record never points at memo bytes not yet there.
  for (auto t = tracked_.rbegin(); t != tracked_.rend(); ++t) t->file->Sync();
  Detach();
  unwritten_.clear();
  journal_->Truncate(0);
  active_ = false;
  JournalsInUse().erase(identity_);
  try {
    journal_->Sync();
  } catch (const EngineError&) {
    // The group is in the files and they are on the disk; a power cut
    // before the emptied journal reaches it leaves the group undone, whole.
  }
}

void RollbackJournal::RollBack() {
  Detach();
  unwritten_.clear();  // what they guard was never written
  journal_.reset();
  active_ = false;
  JournalsInUse().erase(identity_);
  RollBackInterruptedWrites(table_);
}

std::filesystem::path JournalPathFor(const std::filesystem::path& table) {
  return table.parent_path() / ("." + table.filename().string() + ".rollback");
}

std::size_t JournalHoldLimit() { return held_limit; }
void SetJournalHoldLimit(std::size_t bytes) { held_limit = bytes; }

void RollBackInterruptedWrites(const std::filesystem::path& table) {
  const std::filesystem::path path = JournalPathFor(table);
  std::error_code error;
  const FileIdentity identity = IdentityAt(path);
  if (identity == FileIdentity{} || JournalsInUse().count(identity)) return;
  const std::string journal = ReadWholeFile(path);  // empty: no group was under way
  std::map<int, std::pair<std::string, Restore>> files;
  const bool first_version = journal.compare(0, kFirstMagic.size(), kFirstMagic) == 0;
  if (first_version || journal.compare(0, kMagic.size(), kMagic) == 0) {
    const auto checksum = first_version ? FirstChecksum : Checksum;
    for (std::size_t at = kMagic.size(); at + kEntryHead <= journal.size();) {
      const std::size_t length = static_cast<std::size_t>(Get(journal, at, 4));
      if (length < 10 || at + kEntryHead + length > journal.size()) break;
      const std::string_view payload = std::string_view(journal).substr(at + kEntryHead, length);
      if (checksum(payload) != Get(journal, at + 4, 4)) break;
      const int id = static_cast<unsigned char>(payload[1]);
      const std::uint64_t number = Get(payload, 2, 8);
      if (payload[0] == 'F') {
        files[id] = {std::string(payload.substr(10)), Restore{number, {}}};
      } else if (files.count(id)) {
        files[id].second.pages.emplace_back(number, payload.substr(10));
      }
      at += kEntryHead + length;
    }
  }
  for (const auto& [id, file] : files) {
    if (!IsFileOfTableSet(table, file.first)) RefuseForeignName(table, "回滚记录", file.first);
  }
  bool restored_any = false;
  for (const auto& [id, file] : files) {
    const std::filesystem::path target = table.parent_path() / file.first;
    if (!std::filesystem::exists(target, error)) continue;
    // Untouched (a read-only file whose first write failed): nothing to open for writing.
    if (file.second.pages.empty() && std::filesystem::file_size(target, error) == file.second.original_size) continue;
    RandomAccessFile restored(target, RandomAccessFile::Mode::ReadWrite);
    for (const auto& [offset, bytes] : file.second.pages) restored.WriteAt(offset, bytes);
    restored.Truncate(file.second.original_size);
    restored.Sync();
    restored_any = true;
  }
  std::filesystem::remove(path, error);
  // A journal that undid nothing may stay where the folder is read-only
  // (a CD, a protected stick): the table reads as it is.
  if (error && !restored_any) return;
  if (error) {
    ThrowIo(path, "remove", error.value());
  }
  // A journal that came back after a power cut would undo later writes.
  SyncFolder(table.parent_path());
}

}  // namespace veltra::formats
