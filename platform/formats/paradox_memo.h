#pragma once
// The .mb companion of a Paradox table, which holds the memo and blob
// values that do not fit the part of their field kept in the record. It is
// a sequence of 4 KiB units: a header, then type-2 blocks (one large value)
// and type-3 blocks (up to 64 small values).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

// The value that `tail` points to, out of `block`: the file's bytes from
// the tail's block on (the rest of the file, or at least the block). Null
// when the block does not hold a value of that length, with `why` saying so.
std::optional<std::string> ValueInBlock(std::string_view block, const BlobTail& tail, bool graphic,
                                        std::string& why);

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

// Places new values in a .mb file: in blocks that no record points to
// once TakeOver has learnt them, else after the end. Small values share
// type-3 blocks that this writer started; each value's bytes reach `sink`
// (offset, bytes) before its location is returned, so a record never
// points at data that is not there.
class MemoWriter {
 public:
  using Sink = std::function<void(std::uint64_t offset, std::string_view bytes)>;
  // Bytes of the file at an offset, as many as it holds up to `length`.
  using Fetch = std::function<std::string(std::uint64_t offset, std::size_t length)>;
  // Makes the records written so far durable (and then calls Synced), so
  // that no record on the disk still points at a block about to be reused.
  using Settle = std::function<void()>;
  MemoWriter(std::uint64_t file_size, Sink sink, Fetch fetch = nullptr, Settle settle = nullptr);
  // Stores `value` (not empty) and returns the tail that finds it.
  BlobTail Store(std::string_view value);
  // Whether `tail` already finds `value` in the file, which then keeps its place.
  bool Holds(const BlobTail& tail, std::string_view value) const;
  // Learns the blocks of `content` (the whole file) and, from `live`, the
  // tails of every record, which blocks are in use. A file whose blocks do
  // not chain as the format has them is only appended to.
  void TakeOver(std::string_view content, const std::vector<BlobTail>& live);
  // A record no longer points at `tail`: a block that no record points
  // to any more takes later values.
  void Release(const BlobTail& tail);
  // The records are on the disk as written: the free blocks are free there too.
  void Synced() { frees_unsynced_ = false; }

 private:
  struct Block {
    std::size_t units;
    int users;
  };
  BlobTail StoreLarge(std::string_view value);
  BlobTail StoreSmall(std::string_view value);
  // Where a new block of `units` goes: a free block at least that large
  // (its rest stays free), else the end of the file.
  std::uint64_t Place(std::size_t units);
  void Use(std::uint64_t block);
  void FreeIfUnused(std::uint64_t block);

  std::uint64_t end_;
  Sink sink_;
  Fetch fetch_;
  Settle settle_;
  std::uint64_t open_block_ = 0;  // offset of the type-3 block being filled; 0: none
  int next_entry_ = -1;
  std::size_t next_data_ = 0;
  bool reusing_ = false;  // blocks_ and free_ are known
  std::map<std::uint64_t, Block> blocks_;
  std::set<std::uint64_t> free_;
  bool frees_unsynced_ = false;  // a block came free since the records were last synced
};

}  // namespace veltra::formats::paradox
