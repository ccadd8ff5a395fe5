#include "platform/formats/rollback_journal.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <system_error>

#include "platform/types/error.h"

namespace veltra::formats {
namespace {

constexpr std::string_view kMagic = "VLTRJRN1";
constexpr std::uint64_t kPage = 4096;
// Each entry: payload length, checksum, payload. A file entry ('F') names
// a tracked file and its size before the group; a page entry ('P') holds
// the old bytes at an offset of one of them.
constexpr std::size_t kEntryHead = 8;

std::filesystem::path JournalPathFor(const std::filesystem::path& table) {
  return table.parent_path() / ("." + table.filename().string() + ".rollback");
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

// FNV-1a: tells a complete entry from one the kill cut short.
std::uint32_t Checksum(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

struct Restore {
  std::uint64_t original_size = 0;
  std::vector<std::pair<std::uint64_t, std::string_view>> pages;
};

}  // namespace

RollbackJournal::RollbackJournal(std::filesystem::path table)
    : table_(std::move(table)), path_(JournalPathFor(table_)) {}

RollbackJournal::~RollbackJournal() {
  Detach();
  if (journal_ && !active_) {
    journal_.reset();
    std::error_code ignored;  // an empty journal left behind is removed at the next open
    std::filesystem::remove(path_, ignored);
  }
}

void RollbackJournal::Begin() {
  // Another open of the table removes an empty journal it finds.
  if (journal_ && journal_->Removed()) journal_.reset();
  if (!journal_) journal_ = std::make_unique<RandomAccessFile>(path_, RandomAccessFile::Mode::CreateNew);
  journal_->WriteAt(0, kMagic);
  end_ = kMagic.size();
  active_ = true;
}

void RollbackJournal::Detach() {
  for (Tracked& t : tracked_) t.file->SetJournal(nullptr);
  tracked_.clear();
}

void RollbackJournal::Append(std::string_view payload) {
  std::string entry;
  entry.reserve(kEntryHead + payload.size());
  Put32(entry, static_cast<std::uint32_t>(payload.size()));
  Put32(entry, Checksum(payload));
  entry += payload;
  journal_->WriteAt(end_, entry);
  end_ += entry.size();
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
  tracked_.push_back({&file, size, {}});
  file.SetJournal(this);
}

void RollbackJournal::SaveBefore(RandomAccessFile& file, std::uint64_t offset, std::size_t length) {
  const auto it = std::find_if(tracked_.begin(), tracked_.end(), [&](const Tracked& t) { return t.file == &file; });
  if (it == tracked_.end() || length == 0) return;
  const std::uint64_t end = std::min(offset + length, it->original_size);
  for (std::uint64_t page = offset / kPage; page * kPage < end; ++page) {
    if (!it->saved_pages.insert(page).second) continue;
    const std::uint64_t at = page * kPage;
    std::string payload = "P";
    payload += static_cast<char>(it - tracked_.begin());
    Put64(payload, at);
    payload += file.ReadAt(at, static_cast<std::size_t>(std::min(kPage, it->original_size - at)));
    Append(payload);
  }
}

// Emptying the journal is the commit: the files are synced first, so a
// crash on either side of it leaves the group whole or undone.
void RollbackJournal::Commit() {
  for (Tracked& t : tracked_) t.file->Sync();
  Detach();
  journal_->Truncate(0);
  active_ = false;
}

void RollbackJournal::RollBack() {
  Detach();
  journal_.reset();
  active_ = false;
  RollBackInterruptedWrites(table_);
}

void RollBackInterruptedWrites(const std::filesystem::path& table) {
  const std::filesystem::path path = JournalPathFor(table);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return;
  const std::string journal = ReadWholeFile(path);  // empty: no group was under way
  std::map<int, std::pair<std::string, Restore>> files;
  if (journal.compare(0, kMagic.size(), kMagic) == 0) {
    for (std::size_t at = kMagic.size(); at + kEntryHead <= journal.size();) {
      const std::size_t length = static_cast<std::size_t>(Get(journal, at, 4));
      if (length < 10 || at + kEntryHead + length > journal.size()) break;
      const std::string_view payload = std::string_view(journal).substr(at + kEntryHead, length);
      if (Checksum(payload) != Get(journal, at + 4, 4)) break;
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
    const std::filesystem::path target = table.parent_path() / file.first;
    if (!std::filesystem::exists(target, error)) continue;
    // Untouched (a read-only file whose first write failed): nothing to open for writing.
    if (file.second.pages.empty() && std::filesystem::file_size(target, error) == file.second.original_size) continue;
    RandomAccessFile restored(target, RandomAccessFile::Mode::ReadWrite);
    for (const auto& [offset, bytes] : file.second.pages) restored.WriteAt(offset, bytes);
    restored.Truncate(file.second.original_size);
    restored.Sync();
  }
  std::filesystem::remove(path, error);
  if (error) {
    ThrowIo(path, "remove", error.value());
  }
}

}  // namespace veltra::formats
