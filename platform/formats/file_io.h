#pragma once
// Thin POSIX file access for the table formats: every failure becomes an
// EngineError that names the file, and a written file is replaced only as
// a whole.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace veltra::formats {

class RollbackJournal;

// A test seam over this layer: every write, sync and rename is reported
// first, and an observer that throws makes that operation fail there.
class FileIoObserver {
 public:
  virtual ~FileIoObserver() = default;
  virtual void BeforeWrite(const std::filesystem::path& /*file*/, std::uint64_t /*offset*/, std::size_t /*length*/) {}
  virtual void BeforeSync(const std::filesystem::path& /*file*/) {}
  virtual void BeforeSyncFolder(const std::filesystem::path& /*folder*/) {}
  virtual void BeforeRename(const std::filesystem::path& /*from*/, const std::filesystem::path& /*to*/) {}
  // Whether the user may not write `file`, beside what the system says.
  virtual bool DeniesWriting(const std::filesystem::path& /*file*/) { return false; }
};

// Installs `observer` (null for none) and returns the one it replaces.
FileIoObserver* SetFileIoObserver(FileIoObserver* observer);

// An open file for positioned reads and writes.
// Which file a path led to when it was opened: a file renamed over the
// path since is another one.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The file `path` leads to now; an empty identity (all zero) when there is none.
FileIdentity IdentityAt(const std::filesystem::path& path);

class RandomAccessFile {
 public:
  // CreateNew makes the file, or empties one that exists.
  enum class Mode { ReadOnly, ReadWrite, CreateNew };
  RandomAccessFile(const std::filesystem::path& path, Mode mode);
  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t Size() const;
  // Whether the file was removed from its folder since it was opened.
  bool Removed() const;
  FileIdentity Identity() const;
  // Reads exactly `length` bytes at `offset`; a short file is a FileFormat error.
  std::string ReadAt(std::uint64_t offset, std::size_t length) const;
  // The same into `buffer`, whose memory a caller reading many pieces reuses.
  // Safe to call from several threads at once.
  void ReadAt(std::uint64_t offset, std::size_t length, std::string& buffer) const;
  // With a journal set, the bytes a write replaces are kept there first
  // and the write itself is held by the journal until they are on the disk.
  void WriteAt(std::uint64_t offset, std::string_view bytes);
  void Truncate(std::uint64_t size);
  // Forces the completed writes to the disk itself (fdatasync).
  void Sync();
  void SetJournal(RollbackJournal* journal) { journal_ = journal; }

 private:
  friend class RollbackJournal;
  friend class MappedFile;
  void WriteThrough(std::uint64_t offset, std::string_view bytes);
  std::uint64_t SizeOnDisk() const;

  std::filesystem::path path_;
  int fd_ = -1;
  bool writable_ = false;
  RollbackJournal* journal_ = nullptr;
};

// A file's bytes mapped for reading, for a pass over the whole file
// without copying it.
class MappedFile {
 public:
  explicit MappedFile(const std::filesystem::path& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::uint64_t size() const { return size_; }
  // The `length` bytes at `offset`; a short file is a FileFormat error.
  std::string_view At(std::uint64_t offset, std::size_t length) const;
  // Lets the system take back the pages read so far (they are read again
  // when asked for), so that a pass over a large table does not keep the
  // whole file resident beside what it decodes.
  void ReleaseRead() const;

 private:
  std::filesystem::path path_;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

// The whole content of a file.
std::string ReadWholeFile(const std::filesystem::path& path);

// Forces the folder's entries (files made, renamed, removed) to the disk.
void SyncFolder(const std::filesystem::path& folder);

// True when `length` bytes at `offset` span more than one disk sector, the
// unit a power cut leaves whole: such a write in place must be journaled.
constexpr bool CrossesSector(std::uint64_t offset, std::size_t length) {
  constexpr std::uint64_t kSector = 512;
  return length > 0 && offset / kSector != (offset + length - 1) / kSector;
}

// A file the user may not write is not replaced either.
void RefuseReplacingReadOnly(const std::filesystem::path& target);

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over `target`, so the target is either the old file
// or the complete new one, and flushes the folder.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);
// The same for bytes made as they are written: `produce` hands them to its
// argument piece by piece, in file order, and each piece is on its way to
// the disk while the next is made. A throw from `produce` leaves `target`
// as it was and no temporary behind.
using BytePieces = std::function<void(const std::function<void(std::string_view)>& write)>;
void WriteFileAtomically(const std::filesystem::path& target, const BytePieces& produce);

// A complete copy of `bytes` flushed to disk under a temporary name beside
// `target` (".<name>.tmp<random>"); the caller renames it over the target.
std::filesystem::path WriteTemporaryFor(const std::filesystem::path& target, std::string_view bytes);
// The same holding a copy of `source`.
std::filesystem::path CopyTemporaryFor(const RandomAccessFile& source, const std::filesystem::path& target);
void RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Whether `file` is a temporary that WriteTemporaryFor made for `target_name`.
// Raises the Io error for `action` on `path` that the system refused with
// `cause` (an errno); a temporary is reported as the file it stands for.
[[noreturn]] void ThrowIo(const std::filesystem::path& path, std::string_view action, int cause);

bool IsTemporaryFor(const std::filesystem::path& file, std::string_view target_name);

}  // namespace veltra::formats
