#include "platform/formats/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <utility>

#include "platform/formats/rollback_journal.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

FileIoObserver* observer = nullptr;

// The file a user knows for `path`: a temporary, journal or intent stands
// for the table it was made for.
std::filesystem::path ShownFile(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.size() < 2 || name.front() != '.') return path;
  const std::size_t tmp = name.rfind(".tmp");
  if (tmp != std::string::npos && tmp > 1 && IsTemporaryFor(path, name.substr(1, tmp - 1))) {
    return path.parent_path() / name.substr(1, tmp - 1);
  }
  for (const std::string_view suffix : {".rollback", ".replace"}) {
    if (name.size() > suffix.size() + 1 && name.ends_with(suffix)) {
      return path.parent_path() / name.substr(1, name.size() - 1 - suffix.size());
    }
  }
  return path;
}

[[noreturn]] void ThrowIo(const std::filesystem::path& path, std::string_view action) {
  formats::ThrowIo(path, action, errno);
}


void WriteAll(int fd, const std::filesystem::path& path, std::string_view bytes,
              std::uint64_t offset) {
  if (observer) observer->BeforeWrite(path, offset, bytes.size());
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo(path, "write");
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
}

void SyncData(int fd, const std::filesystem::path& path) {
  if (observer) observer->BeforeSync(path);
  if (::fdatasync(fd) != 0) ThrowIo(path, "flush");
}

int OpenFlags(RandomAccessFile::Mode mode) {
  switch (mode) {
    case RandomAccessFile::Mode::ReadOnly: return O_RDONLY;
    case RandomAccessFile::Mode::ReadWrite: return O_RDWR;
    case RandomAccessFile::Mode::CreateNew: break;
  }
  return O_RDWR | O_CREAT | O_TRUNC;
}

using Fill = std::function<void(int fd, const std::filesystem::path& temp)>;

// A temporary file beside `target` filled through `fill` and flushed to disk.
std::filesystem::path FillTemporary(const std::filesystem::path& target, const Fill& fill) {
  std::random_device random;
  const std::filesystem::path temp =
      target.parent_path() / ("." + target.filename().string() + ".tmp" + std::to_string(random()));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) ThrowIo(temp, "create");
  try {
    fill(fd, temp);
    SyncData(fd, temp);
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  ::close(fd);
  return temp;
}

// Renames a filled temporary over `target`, so the target is either the
// old file or the complete new one; the rename is the commit, so the
// folder is flushed after it.
void ReplaceFile(const std::filesystem::path& target, const Fill& fill) {
  RefuseReplacingReadOnly(target);
  const std::filesystem::path temp = FillTemporary(target, fill);
  try {
    RenameFile(temp, target);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(target.parent_path());
}

void CopyInto(int fd, const std::filesystem::path& temp, const RandomAccessFile& source) {
  constexpr std::uint64_t kChunk = 1 << 20;
  const std::uint64_t size = source.Size();
  for (std::uint64_t at = 0; at < size; at += kChunk) {
    WriteAll(fd, temp, source.ReadAt(at, static_cast<std::size_t>(std::min(kChunk, size - at))), at);
  }
}

}  // namespace

FileIoObserver* SetFileIoObserver(FileIoObserver* replacement) {
  return std::exchange(observer, replacement);
}

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Mode mode)
    : path_(path), writable_(mode != Mode::ReadOnly) {
  fd_ = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0644);
  if (fd_ < 0) ThrowIo(path, mode == Mode::CreateNew ? "create" : "open");
}

RandomAccessFile::~RandomAccessFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t RandomAccessFile::SizeOnDisk() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ThrowIo(path_, "stat");
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t RandomAccessFile::Size() const {
  const std::uint64_t size = SizeOnDisk();
  return journal_ ? std::max(size, journal_->HeldEnd(*this)) : size;
}

FileIdentity IdentityAt(const std::filesystem::path& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

FileIdentity RandomAccessFile::Identity() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ThrowIo(path_, "stat");
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool RandomAccessFile::Removed() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ThrowIo(path_, "stat");
  return st.st_nlink == 0;
}

std::string RandomAccessFile::ReadAt(std::uint64_t offset, std::size_t length) const {
  std::string buffer;
  ReadAt(offset, length, buffer);
  return buffer;
}

void RandomAccessFile::ReadAt(std::uint64_t offset, std::size_t length, std::string& buffer) const {
  buffer.resize(length);
  std::size_t on_disk = length;
  if (journal_) {
    // Writes the journal still holds lie over the disk's bytes and may
    // reach past its end.
    const std::uint64_t size = SizeOnDisk();
    on_disk = offset >= size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset));
    if (offset + length > std::max(size, journal_->HeldEnd(*this))) on_disk = length;  // reported as truncated below
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(on_disk), buffer.end(), '\0');
  }
  std::size_t done = 0;
  while (done < on_disk) {
    const ssize_t n = ::pread(fd_, buffer.data() + done, length - done,
                              static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo(path_, "read");
    }
    if (n == 0) {
      ErrorSubject subject;
      subject.table = path_.string();
      subject.reason = "文件不完整：在第" + std::to_string(offset + done) + "个字节处就结束了";
      throw EngineError(EngineError::Kind::FileFormat,
                        path_.string() + " is truncated: expected " + std::to_string(length) +
                            " bytes at offset " + std::to_string(offset), subject);
    }
    done += static_cast<std::size_t>(n);
  }
  if (journal_) journal_->Overlay(*this, offset, buffer);
}

MappedFile::MappedFile(const std::filesystem::path& path) : path_(path) {
  const RandomAccessFile file(path, RandomAccessFile::Mode::ReadOnly);
  size_ = static_cast<std::size_t>(file.Size());
  if (size_ == 0) return;
  void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, file.fd_, 0);
  if (mapped == MAP_FAILED) ThrowIo(path_, "read");
  data_ = static_cast<const char*>(mapped);
  ::madvise(mapped, size_, MADV_WILLNEED);  // read ahead, without making it all resident
}

void MappedFile::ReleaseRead() const {
  if (data_ != nullptr) ::madvise(const_cast<char*>(data_), size_, MADV_DONTNEED);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

std::string_view MappedFile::At(std::uint64_t offset, std::size_t length) const {
  if (offset > size_ || length > size_ - offset) {
    throw EngineError(EngineError::Kind::FileFormat, path_.string() + " is truncated: expected " +
                                                         std::to_string(length) + " bytes at offset " +
                                                         std::to_string(offset));
  }
  return {data_ + offset, length};
}

void RandomAccessFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
  if (!writable_) {
    errno = EBADF;  // what the write itself would meet; refused before anything is journaled
    ThrowIo(path_, "write");
  }
  if (journal_) {
    journal_->Write(*this, offset, bytes);
  } else {
    WriteAll(fd_, path_, bytes, offset);
  }
}

void RandomAccessFile::WriteThrough(std::uint64_t offset, std::string_view bytes) { WriteAll(fd_, path_, bytes, offset); }

void RandomAccessFile::Sync() { SyncData(fd_, path_); }

void RandomAccessFile::Truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) ThrowIo(path_, "truncate");
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  RandomAccessFile file(path, RandomAccessFile::Mode::ReadOnly);
  return file.ReadAt(0, static_cast<std::size_t>(file.Size()));
}

std::filesystem::path WriteTemporaryFor(const std::filesystem::path& target, std::string_view bytes) {
  return FillTemporary(target, [&](int fd, const std::filesystem::path& temp) { WriteAll(fd, temp, bytes, 0); });
}

std::filesystem::path CopyTemporaryFor(const RandomAccessFile& source, const std::filesystem::path& target) {
  return FillTemporary(target, [&](int fd, const std::filesystem::path& temp) { CopyInto(fd, temp, source); });
}

void SyncFolder(const std::filesystem::path& folder) {
  const std::filesystem::path shown = folder.empty() ? "." : folder;
  if (observer) observer->BeforeSyncFolder(shown);
  const int fd = ::open(shown.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the changes are made; only their flush to disk is left to the system
  ::fsync(fd);
  ::close(fd);
}

void RefuseReplacingReadOnly(const std::filesystem::path& target) {
  const bool denied = (observer && observer->DeniesWriting(target)) ||
                      (::access(target.c_str(), W_OK) != 0 && errno != ENOENT);
  if (denied) {
    ErrorSubject subject;
    subject.table = target.string();
    subject.os_error = EACCES;
    throw EngineError(EngineError::Kind::Io, "文件" + target.string() + "是只读的，不能覆盖", subject);
  }
}

void RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (observer) observer->BeforeRename(from, to);
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowIo(to, "replace");
}

bool IsTemporaryFor(const std::filesystem::path& file, std::string_view target_name) {
  const std::string name = file.filename().string();
  const std::string prefix = "." + std::string(target_name) + ".tmp";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  ReplaceFile(target, [&](int fd, const std::filesystem::path& temp) { WriteAll(fd, temp, bytes, 0); });
}

void WriteFileAtomically(const std::filesystem::path& target, const BytePieces& produce) {
  ReplaceFile(target, [&](int fd, const std::filesystem::path& temp) {
    std::uint64_t offset = 0;
    produce([&](std::string_view piece) {
      WriteAll(fd, temp, piece, offset);
      // Starts the write-back now; the flush before the rename waits for it.
      ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(piece.size()), SYNC_FILE_RANGE_WRITE);
      offset += piece.size();
    });
  });
}

void ThrowIo(const std::filesystem::path& path, std::string_view action, int cause) {
  ErrorSubject subject;
  subject.table = ShownFile(path).string();
  subject.os_error = cause;
  throw EngineError(EngineError::Kind::Io,
                    "cannot " + std::string(action) + " " + path.string() + ": " + std::strerror(cause), subject);
}

}  // namespace veltra::formats
