#include "platform/formats/paradox_memo.h"

#include <cstring>

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

MemoReader::MemoReader(std::filesystem::path path, std::string content)
    : path_(std::move(path)), content_(std::move(content)) {}

std::string MemoReader::Read(const BlobTail& tail, bool graphic) const {
  const auto corrupt = [&](const std::string& what) -> std::string {
    ErrorSubject subject;
    subject.table = path_.string();
    subject.reason = "备注文件偏移" + std::to_string(tail.location & ~kLargeIndex) + "处的值已损坏";
    throw EngineError(EngineError::Kind::FileFormat,
                      path_.string() + " is not a valid memo file: a value at offset " +
                          std::to_string(tail.location & ~kLargeIndex) + " " + what, subject);
  };
  const std::size_t block = tail.location & ~kLargeIndex;
  const std::size_t index = tail.location & kLargeIndex;
  if (block == 0 || block % kMemoUnit != 0 || block + kMemoUnit > content_.size()) {
    return corrupt("lies outside the file");
  }
  const char* b = content_.data() + block;
  const std::size_t length = tail.length;
  if (index == kLargeIndex) {
    if (b[0] != 2) return corrupt("is not in a single-value block");
    const std::size_t span = LoadLe16(b + 1) * kMemoUnit;
    const std::size_t skip = graphic ? kLargeHeader + kGraphicExtra : kLargeHeader;
    if (LoadLe32(b + 3) != tail.length || length < skip - kLargeHeader ||
        kLargeHeader + length > span || block + span > content_.size()) {
      return corrupt("has a length that its block does not hold");
    }
    return std::string(b + skip, length - (skip - kLargeHeader));
  }
  if (b[0] != 3 || index >= kEntries) return corrupt("is not in a shared block");
  const char* entry = b + kEntriesAt + kEntrySize * index;
  const std::size_t data_at = static_cast<unsigned char>(entry[0]) * kChunk;
  const std::size_t chunks = static_cast<unsigned char>(entry[1]);
  const std::size_t last = static_cast<unsigned char>(entry[4]);
  if (chunks == 0 || last == 0 || last > kChunk || (chunks - 1) * kChunk + last != length ||
      data_at < kSmallDataAt || data_at + length > kMemoUnit) {
    return corrupt("has an entry that does not match its length");
  }
  return std::string(b + data_at, length);
}

MemoWriter::MemoWriter(std::uint64_t file_size, Sink sink)
    : end_(RoundUp(file_size, kMemoUnit)), sink_(std::move(sink)) {}

BlobTail MemoWriter::Store(std::string_view value) {
  return value.size() > kLargeThreshold ? StoreLarge(value) : StoreSmall(value);
}

BlobTail MemoWriter::StoreLarge(std::string_view value) {
  const std::size_t units = (value.size() + kLargeHeader + kMemoUnit - 1) / kMemoUnit;
  std::string block(units * kMemoUnit, '\0');
  block[0] = 2;
  StoreLe16(block.data() + 1, static_cast<std::uint16_t>(units));
  StoreLe32(block.data() + 3, static_cast<std::uint32_t>(value.size()));
  StoreLe16(block.data() + 7, kModification);
  std::memcpy(block.data() + kLargeHeader, value.data(), value.size());
  const std::uint64_t at = end_;
  sink_(at, block);
  end_ += block.size();
  return {static_cast<std::uint32_t>(at | kLargeIndex), static_cast<std::uint32_t>(value.size()), kModification};
}

BlobTail MemoWriter::StoreSmall(std::string_view value) {
  const std::size_t space = RoundUp(value.size(), kChunk);
  std::string entry(kEntrySize, '\0');
  const bool fits = open_block_ != 0 && next_entry_ >= 0 && next_data_ + space <= kMemoUnit;
  if (!fits) {
    open_block_ = end_;
    next_entry_ = kEntries - 1;
    next_data_ = kSmallDataAt;
    end_ += kMemoUnit;
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
  const BlobTail tail{static_cast<std::uint32_t>(open_block_ | static_cast<std::uint64_t>(next_entry_)),
                      static_cast<std::uint32_t>(value.size()), kModification};
  --next_entry_;
  next_data_ += space;
  return tail;
}

}  // namespace veltra::formats::paradox
