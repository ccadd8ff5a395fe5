#pragma once
// Watches the table files' layer while it lives: FileIoProbe counts the
// syncs of one file and, when asked, fails its writes or calls it
// read-only; CrashSimulator stops the program at one of its writes, syncs
// or renames and tells what a kill or a power cut there would leave.
#include <fcntl.h>
#include <sys/types.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/formats/file_io.h"
#include "platform/types/error.h"

namespace veltra::testing {

class FileIoProbe : public formats::FileIoObserver {
 public:
  explicit FileIoProbe(std::string file_name)
      : file_name_(std::move(file_name)), previous_(formats::SetFileIoObserver(this)) {}
  ~FileIoProbe() override { formats::SetFileIoObserver(previous_); }
  FileIoProbe(const FileIoProbe&) = delete;
  FileIoProbe& operator=(const FileIoProbe&) = delete;

  void BeforeSync(const std::filesystem::path& file) override {
    if (file.filename() == file_name_) ++syncs;
  }
  void BeforeWrite(const std::filesystem::path& file, std::uint64_t, std::size_t) override {
    if (fail_writes && file.filename() == file_name_) throw EngineError(EngineError::Kind::Io, "disk full");
  }
  bool DeniesWriting(const std::filesystem::path& file) override { return read_only && file.filename() == file_name_; }

  int syncs = 0;
  bool fail_writes = false;
  bool read_only = false;

 private:
  std::string file_name_;
  formats::FileIoObserver* previous_;
};

// The regular files of some folders, by path.
using FolderImage = std::map<std::filesystem::path, std::string>;

inline std::string ContentOf(int fd) {
  std::string content;
  char buffer[65536];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n <= 0) return content;
    content.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
}

inline std::string ContentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline FolderImage ImageOf(const std::vector<std::filesystem::path>& folders) {
  FolderImage image;
  for (const auto& folder : folders) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.is_regular_file()) image[entry.path()] = ContentOf(entry.path());
    }
  }
  return image;
}

// Makes the folders hold exactly `image`.
inline void RestoreImage(const std::vector<std::filesystem::path>& folders, const FolderImage& image) {
  for (const auto& folder : folders) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.is_regular_file()) std::filesystem::remove(entry.path());
    }
  }
  for (const auto& [path, bytes] : image) std::ofstream(path, std::ios::binary) << bytes;
}

// Counts the points at which the program can be stopped in `folders` and
// stops it (throws) at the one numbered `stop_at` (from 1; 0 never). A kill
// may stop it before any write, sync or rename, and leaves every completed
// write. A power cut is met at a sync (of a file or a folder) and keeps of
// each file only what was synced, of each folder only the entries it had
// at its last sync. The harsher cut may come before any write, sync or
// rename too, and the unsynced writes to the tables themselves did reach
// the disk, but those to the bookkeeping files (journal, intent,
// temporaries: the names that begin with a dot) did not. The cut that
// writes back in its own order may come there as well and keeps of each
// file what was synced and any subset of the writes made since, in the
// order they were made: every subset of up to kAllSubsetsUpTo writes, a
// fixed sample of kSampledSubsets beyond.
class CrashSimulator : public formats::FileIoObserver {
 public:
  // Failure: the operation at that point fails and the program goes on.
  enum class Crash { Kill, PowerCut, PowerCutTablesWritten, PowerCutAnyWrites, Failure };
  static constexpr std::size_t kAllSubsetsUpTo = 7;
  static constexpr int kSampledSubsets = 32;
  static constexpr std::size_t kSector = 512;

  CrashSimulator(std::vector<std::filesystem::path> folders, Crash crash, int stop_at)
      : folders_(std::move(folders)), crash_(crash), stop_at_(stop_at) {
    for (const auto& folder : folders_) {
      TakeEntries(folder);
      for (const auto& [name, inode] : entries_[folder]) nodes_[inode].synced = ContentOf(nodes_[inode].fd);
    }
    previous_ = formats::SetFileIoObserver(this);
  }
  ~CrashSimulator() override {
    formats::SetFileIoObserver(previous_);
    for (const auto& [inode, node] : nodes_) ::close(node.fd);
  }
  CrashSimulator(const CrashSimulator&) = delete;
  CrashSimulator& operator=(const CrashSimulator&) = delete;

  void BeforeWrite(const std::filesystem::path& file, std::uint64_t offset, std::size_t length) override {
    TakeLastWrite();
    if (crash_ != Crash::PowerCut) Point(file.parent_path());
    struct stat status {};
    if (Watched(file.parent_path()) && ::stat(file.c_str(), &status) == 0) {
      Node(file, status.st_ino);
      last_write_ = Write{status.st_ino, offset, std::string(length, '\0')};
    }
  }
  void BeforeRename(const std::filesystem::path&, const std::filesystem::path& to) override {
    TakeLastWrite();
    if (crash_ != Crash::PowerCut) Point(to.parent_path());
  }
  void BeforeSync(const std::filesystem::path& file) override {
    TakeLastWrite();
    Point(file.parent_path());
    struct stat status {};
    if (!Watched(file.parent_path()) || ::stat(file.c_str(), &status) != 0) return;
    nodes_[status.st_ino].synced = ContentOf(Node(file, status.st_ino).fd);
    std::erase_if(unsynced_, [&](const Write& w) { return w.inode == status.st_ino; });
  }
  void BeforeSyncFolder(const std::filesystem::path& folder) override {
    TakeLastWrite();
    Point(folder);
    if (Watched(folder)) TakeEntries(*Watched(folder));
  }

  int points() const { return points_; }
  bool stopped() const { return !images_.empty(); }
  // What the folders hold after the crash, or after one now when none came;
  // after a failure, what they hold now. A cut that writes back in its own
  // order leaves one of several images; this is the first.
  FolderImage Image() { return Images().front(); }
  std::vector<FolderImage> Images() { return stopped() && crash_ != Crash::Failure ? images_ : Crashed(); }

 private:
  struct NodeState {
    int fd = -1;  // held open, so that the inode is not reused while we know it
    std::optional<std::string> synced;
  };
  struct Write {
    ino_t inode;
    std::uint64_t offset;
    std::string bytes;  // read back once made
  };

  // The write announced last is made by now: its bytes are read back.
  void TakeLastWrite() {
    if (!last_write_) return;
    Write& w = *last_write_;
    const ssize_t n = ::pread(nodes_.at(w.inode).fd, w.bytes.data(), w.bytes.size(), static_cast<off_t>(w.offset));
    w.bytes.resize(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    // A disk writes sectors, not calls: a write across a sector boundary
    // may reach it in part.
    for (std::size_t done = 0; done < w.bytes.size();) {
      const std::uint64_t at = w.offset + done;
      const std::size_t piece = std::min<std::size_t>(w.bytes.size() - done, kSector - at % kSector);
      unsynced_.push_back(Write{w.inode, at, w.bytes.substr(done, piece)});
      done += piece;
    }
    last_write_.reset();
  }

  std::optional<std::filesystem::path> Watched(const std::filesystem::path& folder) const {
    const auto canonical = std::filesystem::weakly_canonical(folder.empty() ? "." : folder);
    for (const auto& watched : folders_) {
      if (std::filesystem::weakly_canonical(watched) == canonical) return watched;
    }
    return std::nullopt;
  }
  NodeState& Node(const std::filesystem::path& path, ino_t inode) {
    NodeState& node = nodes_[inode];
    if (node.fd < 0) node.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return node;
  }
  void TakeEntries(const std::filesystem::path& folder) {
    auto& entries = entries_[folder];
    entries.clear();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      struct stat status {};
      if (!entry.is_regular_file() || ::stat(entry.path().c_str(), &status) != 0) continue;
      entries[entry.path().filename().string()] = status.st_ino;
      Node(entry.path(), status.st_ino);
    }
  }
  void Point(const std::filesystem::path& folder) {
    if (stopped() && crash_ != Crash::Failure) throw EngineError(EngineError::Kind::Io, "the program was stopped");
    if (!Watched(folder) || ++points_ != stop_at_) return;
    images_ = Crashed();
    throw EngineError(EngineError::Kind::Io, "the program was stopped");
  }
  std::vector<FolderImage> Crashed() {
    TakeLastWrite();
    if (crash_ == Crash::Kill || crash_ == Crash::Failure) return {ImageOf(folders_)};
    if (crash_ == Crash::PowerCutAnyWrites) return WrittenBackInAnyOrder();
    FolderImage image;
    for (const auto& [folder, entries] : entries_) {
      for (const auto& [name, inode] : entries) {
        const NodeState& node = nodes_.at(inode);
        const bool written = crash_ == Crash::PowerCutTablesWritten && name[0] != '.';
        image[folder / name] = written ? ContentOf(node.fd) : node.synced.value_or("");
      }
    }
    return {image};
  }
  // The folders' entries as they are, each file as synced with a subset of
  // the writes made since.
  std::vector<FolderImage> WrittenBackInAnyOrder() {
    std::vector<std::pair<std::filesystem::path, ino_t>> files;
    for (const auto& folder : folders_) {
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        struct stat status {};
        if (entry.is_regular_file() && ::stat(entry.path().c_str(), &status) == 0) {
          files.emplace_back(entry.path(), status.st_ino);
        }
      }
    }
    const std::size_t n = unsynced_.size();
    std::vector<std::vector<bool>> subsets;
    if (n <= kAllSubsetsUpTo) {
      for (std::uint32_t mask = 0; mask < (1u << n); ++mask) {
        subsets.emplace_back(n);
        for (std::size_t i = 0; i < n; ++i) subsets.back()[i] = (mask >> i & 1u) != 0;
      }
    } else {
      std::mt19937 random(static_cast<std::uint32_t>(n));
      subsets = {std::vector<bool>(n, false), std::vector<bool>(n, true)};
      for (int s = 0; s < kSampledSubsets; ++s) {
        subsets.emplace_back(n);
        for (std::size_t i = 0; i < n; ++i) subsets.back()[i] = (random() & 1u) != 0;
      }
    }
    std::set<FolderImage> images;
    for (const std::vector<bool>& subset : subsets) {
      FolderImage image;
      for (const auto& [path, inode] : files) {
        const auto known = nodes_.find(inode);
        const bool written = std::any_of(unsynced_.begin(), unsynced_.end(), [inode = inode](const Write& w) { return w.inode == inode; });
        std::string content;
        if (known != nodes_.end() && known->second.synced) {
          content = *known->second.synced;
        } else if (!written) {
          content = ContentOf(path);
        }
        for (std::size_t i = 0; i < n; ++i) {
          const Write& w = unsynced_[i];
          if (!subset[i] || w.inode != inode) continue;
          if (content.size() < w.offset + w.bytes.size()) content.resize(w.offset + w.bytes.size(), '\0');
          content.replace(w.offset, w.bytes.size(), w.bytes);
        }
        image[path] = std::move(content);
      }
      images.insert(std::move(image));
    }
    return {images.begin(), images.end()};
  }

  std::vector<std::filesystem::path> folders_;
  Crash crash_;
  int stop_at_;
  int points_ = 0;
  std::map<std::filesystem::path, std::map<std::string, ino_t>> entries_;
  std::map<ino_t, NodeState> nodes_;
  std::optional<Write> last_write_;
  std::vector<Write> unsynced_;  // made since their file's last sync, in order
  std::vector<FolderImage> images_;  // left by the crash
  formats::FileIoObserver* previous_;
};

// Kills `action` at the first point after which `folders` satisfy `wanted`,
// and leaves them so; false when no point gives that state.
inline bool KillWhen(const std::vector<std::filesystem::path>& folders, const std::function<void()>& action,
                     const std::function<bool(const FolderImage&)>& wanted) {
  const FolderImage start = ImageOf(folders);
  for (int stop_at = 1; stop_at < 100; ++stop_at) {
    FolderImage image;
    {
      CrashSimulator kill(folders, CrashSimulator::Crash::Kill, stop_at);
      try {
        action();
      } catch (const EngineError&) {
      }
      image = kill.Image();
    }
    RestoreImage(folders, image);
    if (wanted(image)) return true;
    RestoreImage(folders, start);
  }
  return false;
}

}  // namespace veltra::testing
