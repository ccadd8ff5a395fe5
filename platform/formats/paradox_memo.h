#pragma once
// The .mb companion of a Paradox table, which holds the memo and blob
// values that do not fit the part of their field kept in the record. It is
// a sequence of 4 KiB units: a header, then type-2 blocks (one large value)
// and type-3 blocks (up to 64 small values).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace veltra::formats::paradox {

inline constexpr std::size_t kMemoUnit = 4096;

// Where a value lives: the record tail after the leader bytes.
struct BlobTail {
  std::uint32_t location = 0;  // block offset | index (0xFF: type-2 block)
  std::uint32_t length = 0;
  std::uint16_t modification = 0;
};
inline constexpr int kBlobTailSize = 10;
BlobTail LoadBlobTail(const char* p);
void StoreBlobTail(const BlobTail& tail, char* p);

// The 4 KiB header of a new .mb file.
std::string NewMemoFileHeader();

// Reads values out of the whole content of a .mb file.
class MemoReader {
 public:
  MemoReader(std::filesystem::path path, std::string content);
  // The value that `tail` points to. `graphic` values of type-2 blocks
  // carry 8 more header bytes. Throws EngineError FileFormat naming the
  // file when the tail points outside the file or at a block that does not
  // hold a value of that length.
  std::string Read(const BlobTail& tail, bool graphic) const;

 private:
  std::filesystem::path path_;
  std::string content_;
};

// Places new values after the end of a .mb file. Small values share type-3
// blocks that this writer started; each value's bytes reach `sink` (offset,
// bytes) before its location is returned, so a record never points at
// data that is not there.
class MemoWriter {
 public:
  using Sink = std::function<void(std::uint64_t offset, std::string_view bytes)>;
  MemoWriter(std::uint64_t file_size, Sink sink);
  // Stores `value` (not empty) and returns the tail that finds it.
  BlobTail Store(std::string_view value);

 private:
  BlobTail StoreLarge(std::string_view value);
  BlobTail StoreSmall(std::string_view value);

  std::uint64_t end_;
  Sink sink_;
  std::uint64_t open_block_ = 0;  // offset of the type-3 block being filled; 0: none
  int next_entry_ = -1;
  std::size_t next_data_ = 0;
};

}  // namespace veltra::formats::paradox
