#include "platform/formats/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>

#include "platform/types/error.h"

namespace veltra::formats {
namespace {

[[noreturn]] void ThrowIo(const std::filesystem::path& path, std::string_view action) {
  throw EngineError(EngineError::Kind::Io, "cannot " + std::string(action) + " " + path.string() +
                                               ": " + std::strerror(errno));
}

void WriteAll(int fd, const std::filesystem::path& path, std::string_view bytes,
              std::uint64_t offset) {
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

// Fills a temporary file in the target's folder through `fill`, flushes
// it to disk and renames it over `target`, so the target is either the
// old file or the complete new one.
void ReplaceFile(const std::filesystem::path& target,
                 const std::function<void(int fd, const std::filesystem::path& temp)>& fill) {
  std::random_device random;
  const std::filesystem::path temp =
      target.parent_path() / ("." + target.filename().string() + ".tmp" + std::to_string(random()));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) ThrowIo(temp, "create");
  try {
    fill(fd, temp);
    if (::fsync(fd) != 0) ThrowIo(temp, "flush");
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  ::close(fd);
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    ThrowIo(target, "replace");
  }
}

}  // namespace

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Mode mode) : path_(path) {
  fd_ = ::open(path.c_str(), (mode == Mode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd_ < 0) ThrowIo(path, "open");
}

RandomAccessFile::~RandomAccessFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t RandomAccessFile::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ThrowIo(path_, "stat");
  return static_cast<std::uint64_t>(st.st_size);
}

std::string RandomAccessFile::ReadAt(std::uint64_t offset, std::size_t length) const {
  std::string buffer(length, '\0');
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd_, buffer.data() + done, length - done,
                              static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo(path_, "read");
    }
    if (n == 0) {
      throw EngineError(EngineError::Kind::FileFormat,
                        path_.string() + " is truncated: expected " + std::to_string(length) +
                            " bytes at offset " + std::to_string(offset));
    }
    done += static_cast<std::size_t>(n);
  }
  return buffer;
}

void RandomAccessFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
  WriteAll(fd_, path_, bytes, offset);
}

void RandomAccessFile::Truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) ThrowIo(path_, "truncate");
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  RandomAccessFile file(path, RandomAccessFile::Mode::ReadOnly);
  return file.ReadAt(0, static_cast<std::size_t>(file.Size()));
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

}  // namespace veltra::formats
