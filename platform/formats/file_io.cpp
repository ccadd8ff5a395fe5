#include "platform/formats/file_io.h"

#include <fcntl.h>
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

// The file a user knows for `path`: a temporary stands for its target.
std::filesystem::path ShownFile(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  const std::size_t tmp = name.rfind(".tmp");
  if (name.size() > 1 && name.front() == '.' && tmp != std::string::npos && tmp > 1 &&
      IsTemporaryFor(path, name.substr(1, tmp - 1))) {
    return path.parent_path() / name.substr(1, tmp - 1);
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
// old file or the complete new one.
void ReplaceFile(const std::filesystem::path& target, const Fill& fill) {
  const std::filesystem::path temp = FillTemporary(target, fill);
  try {
    RenameFile(temp, target);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace

FileIoObserver* SetFileIoObserver(FileIoObserver* replacement) {
  return std::exchange(observer, replacement);
}

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Mode mode) : path_(path) {
  fd_ = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0644);
  if (fd_ < 0) ThrowIo(path, mode == Mode::CreateNew ? "create" : "open");
}

RandomAccessFile::~RandomAccessFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t RandomAccessFile::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ThrowIo(path_, "stat");
  return static_cast<std::uint64_t>(st.st_size);
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
  std::size_t done = 0;
  while (done < length) {
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
}

void RandomAccessFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
  if (journal_) journal_->SaveBefore(*this, offset, bytes.size());
  WriteAll(fd_, path_, bytes, offset);
}

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

void CopyFileAtomically(const RandomAccessFile& source, const std::filesystem::path& target) {
  constexpr std::uint64_t kChunk = 1 << 20;
  ReplaceFile(target, [&](int fd, const std::filesystem::path& temp) {
    const std::uint64_t size = source.Size();
    for (std::uint64_t at = 0; at < size; at += kChunk) {
      WriteAll(fd, temp, source.ReadAt(at, static_cast<std::size_t>(std::min(kChunk, size - at))), at);
    }
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
