#include "platform/formats/dbase_memo.h"

#include <algorithm>

#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

constexpr std::uint32_t kDefaultBlockSize = 512;
constexpr std::string_view kDBase4Head("\xFF\xFF\x08\x00", 4);
constexpr char kDBase3End = 0x1A;
constexpr char kDBase4End = 0x1F;

std::uint32_t Read32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

std::string Encode32(std::uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

[[noreturn]] void Garbled(const std::filesystem::path& file, const std::string& what) {
  ErrorSubject subject;
  subject.table = file.string();
  subject.reason = "备注文件" + what;
  throw EngineError(EngineError::Kind::FileFormat, file.string() + ": " + subject.reason, subject);
}

// One memo as it is stored, padded to whole blocks.
std::string EncodeMemo(MemoStyle style, std::uint32_t block_size, std::string_view bytes) {
  std::string out;
  if (style == MemoStyle::DBase3) {
    out.append(bytes);
    out.append(2, kDBase3End);
  } else {
    out.append(kDBase4Head);
    out.append(Encode32(static_cast<std::uint32_t>(bytes.size() + 8)));
    out.append(bytes);
    out += kDBase4End;
  }
  out.resize((out.size() + block_size - 1) / block_size * block_size, '\0');
  return out;
}

std::uint32_t BlockCount(std::uint64_t bytes, std::uint32_t block_size) {
  return static_cast<std::uint32_t>((bytes + block_size - 1) / block_size);
}

}  // namespace

DBaseMemoFile::DBaseMemoFile(const std::filesystem::path& path, MemoStyle style,
                             RandomAccessFile::Mode mode)
    : file_(path, mode), style_(style) {
  if (file_.Size() < 24) Garbled(path, "比它的表头还短");
  if (style_ == MemoStyle::DBase4) {
    const std::string header = file_.ReadAt(0, 24);
    const std::uint32_t size = static_cast<unsigned char>(header[20]) |
                               static_cast<unsigned char>(header[21]) << 8;
    block_size_ = size == 0 ? kDefaultBlockSize : size;
  }
}

std::string DBaseMemoFile::Read(std::uint32_t block) const {
  const std::uint64_t size = file_.Size();
  const std::uint64_t offset = static_cast<std::uint64_t>(block) * block_size_;
  const std::string at_block = "第" + std::to_string(block) + "块的备注";
  if (style_ == MemoStyle::DBase4) {
    if (offset + 8 > size) Garbled(file_.path(), at_block + "超出了文件末尾");
    const std::string head = file_.ReadAt(offset, 8);
    if (std::string_view(head).substr(0, 4) != kDBase4Head) {
      Garbled(file_.path(), "第" + std::to_string(block) + "块不是一条备注的开头");
    }
    // The length counts the 8 bytes of the memo's head.
    const std::uint32_t length = Read32(head, 4);
    if (length < 8) {
      Garbled(file_.path(), at_block + "记下的长度是" + std::to_string(length) + "字节，不到备注头本身的8字节");
    }
    if (offset + length > size) {
      Garbled(file_.path(), at_block + "记下的长度是" + std::to_string(length) + "字节，超出了文件末尾（文件只有" +
                                std::to_string(size) + "字节）");
    }
    return file_.ReadAt(offset + 8, length - 8);
  }
  if (offset >= size) Garbled(file_.path(), at_block + "超出了文件末尾");
  std::string memo;
  for (std::uint64_t at = offset; at < size; at += block_size_) {
    const std::string chunk = file_.ReadAt(at, static_cast<std::size_t>(std::min<std::uint64_t>(block_size_, size - at)));
    const auto end = chunk.find(kDBase3End);
    if (end != std::string::npos) return memo + chunk.substr(0, end);
    memo += chunk;
  }
  return memo;
}

std::uint32_t DBaseMemoFile::Append(std::string_view bytes) {
  const std::string header = file_.ReadAt(0, 4);
  // Never below the blocks the file already holds, whatever its header says.
  const std::uint32_t first = std::max(Read32(header, 0), BlockCount(file_.Size(), block_size_));
  const std::string stored = EncodeMemo(style_, block_size_, bytes);
  file_.WriteAt(static_cast<std::uint64_t>(first) * block_size_, stored);
  file_.WriteAt(0, Encode32(first + BlockCount(stored.size(), block_size_)));
  return first;
}

bool DBaseMemoFile::Holds(std::uint32_t block, std::string_view bytes) const {
  try {
    return Read(block) == bytes;
  } catch (const EngineError&) {
    return false;
  }
}

std::uint32_t DBaseMemoFile::BlocksOf(std::uint32_t block) const {
  return BlockCount(EncodeMemo(style_, block_size_, Read(block)).size(), block_size_);
}

void DBaseMemoFile::LearnFreeSpace(const std::vector<std::uint32_t>& in_use) {
  learnt_ = true;
  std::map<std::uint32_t, std::uint32_t> taken;  // first block, count
  try {
    for (const std::uint32_t block : in_use) {
      if (users_[block]++ == 0) taken[block] = BlocksOf(block);
    }
  } catch (const EngineError&) {
    users_.clear();
    return;
  }
  const std::uint32_t end = std::max(Read32(file_.ReadAt(0, 4), 0), BlockCount(file_.Size(), block_size_));
  std::uint32_t next = 1;
  for (const auto& [first, count] : taken) {
    if (first > next) Free(next, first - next);
    next = std::max(next, first + count);
  }
  if (end > next) Free(next, end - next);
}

void DBaseMemoFile::Free(std::uint32_t first, std::uint32_t count) { free_[first] = count; }

std::uint32_t DBaseMemoFile::Store(std::string_view bytes) {
  const std::string stored = EncodeMemo(style_, block_size_, bytes);
  const std::uint32_t count = BlockCount(stored.size(), block_size_);
  for (auto it = free_.begin(); it != free_.end(); ++it) {
    if (it->second < count) continue;
    const auto [first, room] = *it;
    free_.erase(it);
    if (room > count) Free(first + count, room - count);
    file_.WriteAt(static_cast<std::uint64_t>(first) * block_size_, stored);
    ++users_[first];
    return first;
  }
  const std::uint32_t first = Append(bytes);
  if (learnt_) ++users_[first];
  return first;
}

void DBaseMemoFile::Release(std::uint32_t block) {
  const auto it = users_.find(block);
  if (it == users_.end() || --it->second > 0) return;
  users_.erase(it);
  released_.push_back(block);
}

void DBaseMemoFile::RecordsSynced() {
  for (const std::uint32_t block : released_) Free(block, BlocksOf(block));
  released_.clear();
}

void DBaseMemoFile::Forget() {
  learnt_ = false;
  users_.clear();
  free_.clear();
  released_.clear();
}

DBaseMemoBuilder::DBaseMemoBuilder(const std::filesystem::path& dbt_path, MemoStyle style)
    : style_(style), content_(kDefaultBlockSize, '\0') {
  if (style_ == MemoStyle::DBase3) return;  // a header of the next free block only
  const std::string stem = dbt_path.stem().string();
  for (std::size_t i = 0; i < stem.size() && i < 8; ++i) {
    if (static_cast<unsigned char>(stem[i]) >= 0x80) break;  // ASCII names only
    content_[8 + i] = text::AsciiUpper(stem[i]);
  }
  content_[20] = static_cast<char>(kDefaultBlockSize & 0xFF);
  content_[21] = static_cast<char>(kDefaultBlockSize >> 8);
}

std::uint32_t DBaseMemoBuilder::Add(std::string_view bytes) {
  const std::uint32_t block = BlockCount(content_.size(), kDefaultBlockSize);
  content_ += EncodeMemo(style_, kDefaultBlockSize, bytes);
  return block;
}

std::string DBaseMemoBuilder::Finish() {
  content_.replace(0, 4, Encode32(BlockCount(content_.size(), kDefaultBlockSize)));
  return std::move(content_);
}

std::optional<std::filesystem::path> FindMemoFile(const std::filesystem::path& dbf_path) {
  std::filesystem::path exact = dbf_path;
  exact.replace_extension(".dbt");
  std::error_code error;
  if (std::filesystem::is_regular_file(exact, error)) return exact;
  const std::filesystem::path folder = dbf_path.has_parent_path() ? dbf_path.parent_path() : ".";
  const std::string stem = dbf_path.stem().string();
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::filesystem::path& p = entry.path();
    if (text::EqualsIgnoreAsciiCase(p.stem().string(), stem) &&
        text::EqualsIgnoreAsciiCase(p.extension().string(), ".dbt") && entry.is_regular_file(error)) {
      return p;
    }
  }
  return std::nullopt;
}

std::filesystem::path MemoPathFor(const std::filesystem::path& dbf_path) {
  if (auto existing = FindMemoFile(dbf_path)) return *existing;
  const std::string extension = dbf_path.extension().string();
  const bool upper = !extension.empty() && extension == text::ToAsciiUpper(extension) &&
                     extension != text::ToAsciiLower(extension);
  std::filesystem::path p = dbf_path;
  p.replace_extension(upper ? ".DBT" : ".dbt");
  return p;
}

}  // namespace veltra::formats
