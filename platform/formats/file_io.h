#pragma once
// Thin POSIX file access for the table formats: every failure becomes an
// EngineError that names the file, and a written file is replaced only as
// a whole.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace veltra::formats {

// An open file for positioned reads and writes.
class RandomAccessFile {
 public:
  enum class Mode { ReadOnly, ReadWrite };
  RandomAccessFile(const std::filesystem::path& path, Mode mode);
  ~RandomAccessFile();
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t Size() const;
  // Reads exactly `length` bytes at `offset`; a short file is a FileFormat error.
  std::string ReadAt(std::uint64_t offset, std::size_t length) const;
  void WriteAt(std::uint64_t offset, std::string_view bytes);
  void Truncate(std::uint64_t size);

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

// The whole content of a file.
std::string ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// disk and renames it over `target`, so the target is either the old file
// or the complete new one.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Replaces `target` with a copy of `source` in the same way.
void CopyFileAtomically(const RandomAccessFile& source, const std::filesystem::path& target);

}  // namespace veltra::formats
