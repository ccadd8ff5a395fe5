#include "platform/formats/paradox_memo.h"

#include <cstring>
#include <utility>

#include "platform/formats/paradox_codec.h"
#include "platform/types/error.h"

namespace veltra::formats::paradox {
namespace {

constexpr std::uint16_t kModification = 1;
constexpr std::uint32_t kLargeIndex = 0xFF;
constexpr std::size_t kLargeThreshold = 2048;  // larger values get a type-2 block
constexpr std::size_t kLargeHeader = 9;
constexpr std::size_t kGraphicExtra = 8;
constexpr int kEntries = 64;
constexpr std::size_t kEntriesAt = 12;
constexpr std::size_t kEntrySize = 5;
constexpr std::size_t kSmallDataAt = 0x150;
constexpr std::size_t kChunk = 16;

std::size_t RoundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

}  // namespace

BlobTail LoadBlobTail(const char* p) {
  return {LoadLe32(p), LoadLe32(p + 4), LoadLe16(p + 8)};
}

void StoreBlobTail(const BlobTail& tail, char* p) {
  StoreLe32(p, tail.location);
  StoreLe32(p + 4, tail.length);
  StoreLe16(p + 8, tail.modification);
}

std::string NewMemoFileHeader() {
  std::string h(kMemoUnit, '\0');
  char* p = h.data();
  StoreLe16(p + 0x01, 1);
  StoreLe16(p + 0x03, kModification);
  const char signature[] = {'\x82', '\x73', '\x02', '\x00', '\x29', '\x00'};
  std::memcpy(p + 0x05, signature, sizeof signature);
  StoreLe16(p + 0x0B, 0x1000);
  StoreLe16(p + 0x0D, 0x1000);
  p[0x10] = 0x10;
  StoreLe16(p + 0x11, 0x0040);
  StoreLe16(p + 0x13, 0x0800);
  StoreLe16(p + 0x29, 0x02A1);
  return h;
}

std::optional<std::string> ValueInBlock(std::string_view b, const BlobTail& tail, bool graphic, std::string& why) {
  const std::size_t index = tail.location & kLargeIndex;
  const std::size_t length = tail.length;
  if (b.size() < kMemoUnit) {
    why = "lies outside the file";
    return std::nullopt;
  }
  if (index == kLargeIndex) {
    if (b[0] != 2) {
      why = "is not in a single-value block";
      return std::nullopt;
    }
    const std::size_t span = LoadLe16(b.data() + 1) * kMemoUnit;
    const std::size_t skip = graphic ? kLargeHeader + kGraphicExtra : kLargeHeader;
    if (LoadLe32(b.data() + 3) != tail.length || length < skip - kLargeHeader || kLargeHeader + length > span ||
        span > b.size()) {
      why = "has a length that its block does not hold";
      return std::nullopt;
    }
    return std::string(b.substr(skip, length - (skip - kLargeHeader)));
  }
  if (b[0] != 3 || index >= kEntries) {
    why = "is not in a shared block";
    return std::nullopt;
  }
  const char* entry = b.data() + kEntriesAt + kEntrySize * index;
  const std::size_t data_at = static_cast<unsigned char>(entry[0]) * kChunk;
  const std::size_t chunks = static_cast<unsigned char>(entry[1]);
  const std::size_t last = static_cast<unsigned char>(entry[4]);
  if (chunks == 0 || last == 0 || last > kChunk || (chunks - 1) * kChunk + last != length ||
      data_at < kSmallDataAt || data_at + length > kMemoUnit) {
    why = "has an entry that does not match its length";
    return std::nullopt;
  }
  return std::string(b.substr(data_at, length));
}

MemoReader::MemoReader(std::filesystem::path path, std::string content)
    : path_(std::move(path)), content_(std::move(content)) {}

std::string MemoReader::Read(const BlobTail& tail, bool graphic) const {
  const std::size_t block = tail.location & ~kLargeIndex;
  std::string why = "lies outside the file";
  std::optional<std::string> value;
  if (block != 0 && block % kMemoUnit == 0 && block < content_.size()) {
    value = ValueInBlock(std::string_view(content_).substr(block), tail, graphic, why);
  }
  if (!value) {
    ErrorSubject subject;
    subject.table = path_.string();
    subject.reason = "备注文件偏移" + std::to_string(block) + "处的值已损坏";
    throw EngineError(EngineError::Kind::FileFormat,
                      path_.string() + " is not a valid memo file: a value at offset " + std::to_string(block) + " " + why,
                      subject);
  }
  return std::move(*value);
}

MemoWriter::MemoWriter(std::uint64_t file_size, Sink sink, Fetch fetch, Settle settle)
    : end_(RoundUp(file_size, kMemoUnit)), sink_(std::move(sink)), fetch_(std::move(fetch)), settle_(std::move(settle)) {}

BlobTail MemoWriter::Store(std::string_view value) {
  return value.size() > kLargeThreshold ? StoreLarge(value) : StoreSmall(value);
}

bool MemoWriter::Holds(const BlobTail& tail, std::string_view value) const {
  const std::uint64_t block = tail.location & ~kLargeIndex;
  if (!fetch_ || block == 0 || block % kMemoUnit != 0 || tail.length != value.size()) return false;
  const bool large = (tail.location & kLargeIndex) == kLargeIndex;
  const std::size_t span = large ? RoundUp(kLargeHeader + value.size(), kMemoUnit) : kMemoUnit;
  std::string why;
  const std::optional<std::string> stored = ValueInBlock(fetch_(block, span), tail, false, why);
  return stored && *stored == value;
}

void MemoWriter::TakeOver(std::string_view content, const std::vector<BlobTail>& live) {
  blocks_.clear();
  free_.clear();
  reusing_ = false;
  for (std::uint64_t at = kMemoUnit; at < content.size();) {
    const auto type = static_cast<unsigned char>(content[at]);
    const std::size_t units = at + 3 <= content.size() ? LoadLe16(content.data() + at + 1) : 0;
    if (type < 2 || type > 4 || units == 0 || (type == 3 && units != 1)) return;
    blocks_[at] = {units, 0};
    at += units * kMemoUnit;
  }
  for (const BlobTail& tail : live) {
    const auto found = blocks_.find(tail.location & ~kLargeIndex);
    if (found == blocks_.end()) {
      blocks_.clear();
      return;  // a value outside the blocks as walked: their chain cannot be trusted
    }
    ++found->second.users;
  }
  for (const auto& [at, block] : blocks_) {
    if (block.users == 0) free_.insert(at);
  }
  // The records read may hold writes not yet on the disk.
  frees_unsynced_ = !free_.empty();
  open_block_ = 0;
  reusing_ = true;
}

void MemoWriter::Release(const BlobTail& tail) {
  if (!reusing_) return;
  const auto found = blocks_.find(tail.location & ~kLargeIndex);
  if (found == blocks_.end() || found->second.users == 0) return;
  --found->second.users;
  FreeIfUnused(found->first);
}

void MemoWriter::Use(std::uint64_t block) {
  if (reusing_) ++blocks_[block].users;
}

void MemoWriter::FreeIfUnused(std::uint64_t block) {
  if (block != open_block_ && blocks_[block].users == 0) {
    free_.insert(block);
    frees_unsynced_ = true;
  }
}

std::uint64_t MemoWriter::Place(std::size_t units) {
  for (auto it = free_.begin(); reusing_ && it != free_.end(); ++it) {
    const std::uint64_t at = *it;
    const std::size_t free_units = blocks_[at].units;
    if (free_units < units) continue;
    // A record on the disk may still point here until the writes that
    // left the block are synced.
    if (frees_unsynced_ && settle_) settle_();
    free_.erase(it);
    blocks_[at] = {units, 0};
    if (free_units > units) {
      // The rest stays a free block of its own, so the blocks still chain.
      const std::uint64_t rest = at + units * kMemoUnit;
      std::string head(3, '\0');
      head[0] = 4;
      StoreLe16(head.data() + 1, static_cast<std::uint16_t>(free_units - units));
      sink_(rest, head);
      blocks_[rest] = {free_units - units, 0};
      free_.insert(rest);
    }
    return at;
  }
  const std::uint64_t at = end_;
  end_ += units * kMemoUnit;
  if (reusing_) blocks_[at] = {units, 0};
  return at;
}

BlobTail MemoWriter::StoreLarge(std::string_view value) {
  const std::size_t units = (value.size() + kLargeHeader + kMemoUnit - 1) / kMemoUnit;
  std::string block(units * kMemoUnit, '\0');
  block[0] = 2;
  StoreLe16(block.data() + 1, static_cast<std::uint16_t>(units));
  StoreLe32(block.data() + 3, static_cast<std::uint32_t>(value.size()));
  StoreLe16(block.data() + 7, kModification);
  std::memcpy(block.data() + kLargeHeader, value.data(), value.size());
  const std::uint64_t at = Place(units);
  sink_(at, block);
  Use(at);
  return {static_cast<std::uint32_t>(at | kLargeIndex), static_cast<std::uint32_t>(value.size()), kModification};
}

BlobTail MemoWriter::StoreSmall(std::string_view value) {
  const std::size_t space = RoundUp(value.size(), kChunk);
  std::string entry(kEntrySize, '\0');
  const bool fits = open_block_ != 0 && next_entry_ >= 0 && next_data_ + space <= kMemoUnit;
  if (!fits) {
    const std::uint64_t full = std::exchange(open_block_, 0);
    if (reusing_ && full != 0) FreeIfUnused(full);
    open_block_ = Place(1);
    next_entry_ = kEntries - 1;
    next_data_ = kSmallDataAt;
  }
  entry[0] = static_cast<char>(next_data_ / kChunk);
  entry[1] = static_cast<char>(space / kChunk);
  StoreLe16(entry.data() + 2, kModification);
  entry[4] = static_cast<char>(value.size() - (space - kChunk));
  const std::size_t entry_at = kEntriesAt + kEntrySize * static_cast<std::size_t>(next_entry_);
  if (fits) {
    sink_(open_block_ + next_data_, value);
    sink_(open_block_ + entry_at, entry);
  } else {
    std::string block(kMemoUnit, '\0');
    block[0] = 3;
    StoreLe16(block.data() + 1, 1);
    std::memcpy(block.data() + next_data_, value.data(), value.size());
    std::memcpy(block.data() + entry_at, entry.data(), entry.size());
    sink_(open_block_, block);
  }
  Use(open_block_);
  const BlobTail tail{static_cast<std::uint32_t>(open_block_ | static_cast<std::uint64_t>(next_entry_)),
                      static_cast<std::uint32_t>(value.size()), kModification};
  --next_entry_;
  next_data_ += space;
  return tail;
}

}  // namespace veltra::formats::paradox
