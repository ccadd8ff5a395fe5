#include "platform/formats/paradox_table.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/formats/file_io.h"
#include "platform/formats/paradox_codec.h"
#include "platform/formats/paradox_header.h"
#include "platform/formats/paradox_memo.h"
#include "platform/formats/paradox_record.h"
#include "platform/formats/record_checks.h"
#include "platform/formats/rollback_journal.h"
#include "platform/formats/table_recovery.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

using paradox::ParadoxHeader;
using paradox::RecordCodec;

constexpr std::size_t kBlockHeaderSize = 6;
// Reading a large table is bound by writing its values into fresh memory,
// which several cores do faster than one: a table of this many values
// or more per core is decoded by up to kMaxReaders threads.
constexpr std::size_t kValuesPerReader = 250000;
constexpr std::size_t kMaxReaders = 4;
constexpr int kMaxBlockNumber = 0xFFFF;

// `what` says in the user's words what is wrong with the file.
[[noreturn]] void Corrupt(const std::filesystem::path& path, const std::string& what) {
  ErrorSubject subject;
  subject.table = path.string();
  subject.reason = what;
  throw EngineError(EngineError::Kind::FileFormat, path.string() + ": " + what, subject);
}

[[noreturn]] void RefuseFull(const std::filesystem::path& path) {
  ErrorSubject subject;
  subject.table = path.string();
  subject.reason = "已满：Paradox表最多只能有" + std::to_string(kMaxBlockNumber) + "个数据块";
  throw EngineError(EngineError::Kind::Unsupported, path.string() + " is full", subject);
}

// The file beside `table` named like it with `extension`, whatever the case.
std::optional<std::filesystem::path> FindCompanion(const std::filesystem::path& table, std::string_view extension) {
  const std::string wanted = table.stem().string() + std::string(extension);
  const std::filesystem::path folder = table.has_parent_path() ? table.parent_path() : ".";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (text::EqualsIgnoreAsciiCase(entry.path().filename().string(), wanted)) return entry.path();
  }
  return std::nullopt;
}

// The index files of a table: .px (primary), .Xnn/.Ynn and .XGn/.YGn
// (secondary), whatever the case. The .val beside them holds validity
// checks, not index data, and is left alone.
bool IsIndexExtension(std::string ext) {
  ext = text::ToAsciiLower(ext);
  const auto is_hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
  if (ext == ".px") return true;
  if (ext.size() < 3 || (ext[1] != 'x' && ext[1] != 'y')) return false;
  if (ext.size() == 4 && is_hex(ext[2]) && is_hex(ext[3])) return true;
  return ext.size() >= 4 && ext[2] == 'g' &&
         std::all_of(ext.begin() + 3, ext.end(), [&](char c) { return is_hex(c); });
}

// The index files beside a table.
std::vector<std::filesystem::path> IndexCompanions(const std::filesystem::path& table) {
  const std::filesystem::path folder = table.has_parent_path() ? table.parent_path() : ".";
  std::vector<std::filesystem::path> indexes;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::filesystem::path& p = entry.path();
    if (text::EqualsIgnoreAsciiCase(p.stem().string(), table.stem().string()) &&
        IsIndexExtension(p.extension().string())) {
      indexes.push_back(p);
    }
  }
  return indexes;
}

// Once the records change, index files no longer match them. Whether
// there were any.
bool RemoveIndexCompanions(const std::filesystem::path& table) {
  const std::vector<std::filesystem::path> stale = IndexCompanions(table);
  std::error_code ec;
  for (const auto& p : stale) std::filesystem::remove(p, ec);
  return !stale.empty();
}

std::filesystem::path MemoPathFor(const std::filesystem::path& table) {
  if (auto found = FindCompanion(table, ".mb")) return *found;
  const std::string ext = table.extension().string();
  const bool upper = ext.size() > 1 && ext[1] >= 'A' && ext[1] <= 'Z';
  std::filesystem::path memo = table;
  return memo.replace_extension(upper ? ".MB" : ".mb");
}

bool HasBlobField(const FieldDefs& fields) {
  return std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return IsBlobType(f.type); });
}

int RecordsPerBlock(const ParadoxHeader& h) {
  return static_cast<int>((static_cast<std::size_t>(h.block_size) - kBlockHeaderSize) /
                          static_cast<std::size_t>(h.record_size));
}

void StoreBlockHeader(char* p, int next, int prev, int count, int record_size) {
  paradox::StoreLe16(p, static_cast<std::uint16_t>(next));
  paradox::StoreLe16(p + 2, static_cast<std::uint16_t>(prev));
  paradox::StoreLe16(p + 4, static_cast<std::uint16_t>((count - 1) * record_size));
}

std::string Le16(int v) {
  std::string bytes(2, '\0');
  paradox::StoreLe16(bytes.data(), static_cast<std::uint16_t>(v));
  return bytes;
}

// Writes `records` as an unkeyed table with the layout of `header` (level,
// block size, sort order, code page, last counter value).
void WriteParadoxTable(const std::filesystem::path& path, ParadoxHeader header, std::size_t count,
                       const RecordSource& record);
RecordSource Each(const std::vector<Record>& records) {
  return [&records](std::size_t position) -> const Record& { return records[position]; };
}

class ParadoxTable final : public TableFile {
 public:
  explicit ParadoxTable(std::filesystem::path path) : path_(std::move(path)) { Load(); }
  ~ParadoxTable() override {
    SettleHeldPostsOnClose(journal_, [this] { LinkHeldBlocksSynced(); });
  }
  ParadoxTable(const ParadoxTable&) = delete;
  ParadoxTable& operator=(const ParadoxTable&) = delete;

  TableKind kind() const override { return TableKind::Paradox; }
  const std::filesystem::path& path() const override { return path_; }
  const FieldDefs& fields() const override { return fields_; }
  int key_field_count() const override { return header_.key_field_count; }
  std::size_t record_count() const override { return record_count_; }
  CodePage code_page() const override { return CodePage::ForNumber(header_.code_page); }
  void CheckWritable() const override;
  // Level 3 keeps a modification count where later levels keep the counter.
  std::int64_t last_counter_value() const override {
    const bool counted = std::any_of(fields_.begin(), fields_.end(),
                                     [](const FieldDef& f) { return f.type == FieldType::AutoInc; });
    return counted ? header_.auto_increment : 0;
  }

  std::vector<Record> ReadAll() override;
  void ReadEach(const std::function<void(std::size_t, Record&&)>& take) override;
  void ScanRecords(const RecordScan& scan) override;
  // A memo is read through the whole .mb, which a read in parts would repeat.
  bool ReadsInParts() const override { return !HasBlobField(fields_); }
  std::vector<Record> ReadRange(std::size_t first, std::size_t count) override;
  void Rewrite(const std::vector<Record>& records) override { RewriteWith(records.size(), Each(records)); }
  void RewriteWith(std::size_t count, const RecordSource& record) override {
    CommitHeldGroup(journal_);  // its journal would roll back over the new file
    WriteParadoxTable(path_, header_, count, record);
  }
  void Append(const Record& record) override;
  void Overwrite(std::size_t position, const Record& record) override { OverwriteRecord(position, record, nullptr); }
  void OverwriteFields(std::size_t position, const Record& record, const std::vector<bool>& changed) override {
    OverwriteRecord(position, record, &changed);
  }
  void Remove(std::size_t position) override;
  void AppendMany(const std::vector<const Record*>& records) override;
  void Sync() override;
  void HoldAppendsUntilSync() override { holding_ = true; }

 protected:
  void BeginGroup() override;
  void CommitGroup() override;
  void AbandonGroup() override;

 private:
  struct Block {
    int number;
    int count;
    std::size_t first = 0;  // position of its first record; true below first_valid_
  };

  void Load();
  // Records are read from the file after it was opened; one renamed over
  // it since (another program's restore or save) holds other blocks.
  void RefuseIfReplaced() const;
  void WalkBlocks(const MappedFile& file);
  // A pass over the mapped file lets its pages go after this many blocks.
  std::size_t BlocksBetweenReleases() const {
    return std::max<std::size_t>(1, (std::size_t{8} << 20) / static_cast<std::size_t>(header_.block_size));
  }
  // Hands the records of chain_[begin, end), the first of which is at
  // `first_position` in the table, to `take`.
  void DecodeBlocks(const RandomAccessFile& file, std::size_t begin, std::size_t end, std::size_t first_position,
                    const RecordCodec& codec, const RecordCodec::MemoSource& memos,
                    const std::function<void(std::size_t, Record&&)>& take) const;
  // The memo file, read into `memos` when a value first needs it.
  RecordCodec::MemoSource MemoSourceInto(std::optional<paradox::MemoReader>& memos) const;
  // Where the chain is cut into runs of blocks decoded side by side: the
  // first block of each run, then chain_.size().
  std::vector<std::size_t> SplitForReaders() const;
  // `about_to_write`, when given, is refused before a keyed table is rewritten.
  void EnsureWritable(const Record* about_to_write = nullptr);
  // `previous`: the bytes of the record this one replaces, whose memos
  // keep their place when unchanged.
  std::string Encode(const Record& record, const char* previous = nullptr, const std::vector<bool>* changed = nullptr);
  // `changed`, when given, marks the only fields encoded again.
  void OverwriteRecord(std::size_t position, const Record& record, const std::vector<bool>* changed);
  paradox::MemoWriter& MemoWriterForChanges();
  // Where the memos of every record are, as the file holds them now.
  std::vector<paradox::BlobTail> LiveMemoTails();
  // The record of these bytes is gone or points elsewhere now, except
  // where `kept` points.
  void ReleaseMemos(const char* bytes, const std::vector<paradox::BlobTail>& kept = {});
  std::uint64_t BlockOffset(int number) const {
    return static_cast<std::uint64_t>(header_.header_size) +
           static_cast<std::uint64_t>(number - 1) * static_cast<std::uint64_t>(header_.block_size);
  }
  // Index in chain_ and slot inside that block of a record position, by
  // binary search over the blocks' first positions.
  std::pair<std::size_t, int> Locate(std::size_t position, std::string_view action);
  // The first positions from block `index` on no longer hold.
  void PositionsChangedFrom(std::size_t index) { first_valid_ = std::min(first_valid_, index); }
  void WriteRecordCount(const Block& block);
  // The header's counts; in a group they are written once, at its end.
  void WriteCounts();
  void WriteCountsNow();
  // Outside a group a post writes what is new (memo values, a new block)
  // and syncs it before the write that makes a record point to it or the
  // chain take it in, so that a power cut leaves the record old or new
  // whatever part of the writes since the last sync reached the disk.
  void SyncNewMemos();
  void SyncNewBlock();
  // Links the blocks held since the last sync to the chain on the disk;
  // LinkHeldBlocksSynced syncs them first and then writes the counts.
  void LinkHeldBlocks();
  void LinkHeldBlocksSynced();
  // Sync without ending HoldAppendsUntilSync.
  void SyncFiles();
  // While appends are held, a change to a block on the chain begins the
  // group that the next Sync commits; the held blocks are linked in it.
  // Whether the change is to go into that group.
  bool JoinsHeldGroup(std::size_t index);
  void StartJournal();
  bool Held(std::size_t index) const { return index >= linked_; }
  // In a group the block last changed is kept in memory and written when
  // another block is wanted or the group ends, so a run of changes to one
  // block costs one write.
  char* GroupBlock(int number);
  void FlushGroupBlock();

  std::filesystem::path path_;
  std::optional<std::filesystem::path> memo_path_;
  bool memo_file_missing_ = false;
  std::string damage_;  // what is missing of a table that is read but not changed
  ParadoxHeader header_;
  std::string fixed_header_;  // the file's first bytes, counts kept current
  FieldDefs fields_;
  std::unique_ptr<RecordCodec> codec_;
  std::vector<Block> chain_;
  std::size_t first_valid_ = 0;  // blocks before this one know their first position
  std::size_t linked_ = 0;       // blocks of chain_ that the chain on the disk holds
  bool holding_ = false;         // HoldAppendsUntilSync until the next sync
  std::size_t record_count_ = 0;
  std::unique_ptr<RandomAccessFile> file_;
  std::unique_ptr<RandomAccessFile> memo_file_;
  std::unique_ptr<paradox::MemoWriter> memo_writer_;
  bool memo_written_ = false;  // since the memo file was last synced
  RollbackJournal journal_{path_};  // active while a group of writes is under way
  int group_block_number_ = 0;       // 0: no block held
  std::string group_block_;
  bool group_counts_changed_ = false;
  FileIdentity loaded_;  // the file the header and block chain were read from
};

void ParadoxTable::Load() {
  const RandomAccessFile file(path_, RandomAccessFile::Mode::ReadOnly);
  loaded_ = file.Identity();
  const std::uint64_t size = file.Size();
  if (size < paradox::kFixedHeaderSize) Corrupt(path_, "文件比表头还短");
  fixed_header_ = file.ReadAt(0, paradox::kFixedHeaderSize);
  const std::size_t header_size = paradox::HeaderSizeField(fixed_header_);
  if (header_size > size) Corrupt(path_, "表头比文件还长");
  header_ = paradox::ParseHeader(file.ReadAt(0, std::max(header_size, paradox::kFixedHeaderSize)), size, path_);
  fields_.clear();
  for (const auto& f : header_.fields) fields_.push_back(f.def);
  codec_ = std::make_unique<RecordCodec>(header_.fields, header_.code_page, path_);
  memo_path_ = FindCompanion(path_, ".mb");
  memo_file_missing_ = !memo_path_ && HasBlobField(fields_);
  WalkBlocks(MappedFile(path_));
  file_.reset();
  memo_file_.reset();
  memo_writer_.reset();
}

void ParadoxTable::RefuseIfReplaced() const {
  if (IdentityAt(path_) == loaded_) return;
  ErrorSubject subject;
  subject.table = path_.string();
  subject.reason = "的文件已被其他程序改动，请重新打开";
  throw EngineError(EngineError::Kind::State, path_.string() + " was replaced since it was opened", subject);
}

// The block chain is the truth: a write cut short leaves blocks whose
// counts run ahead of the header's, never behind.
void ParadoxTable::WalkBlocks(const MappedFile& file) {
  const std::uint64_t size = file.size();
  const std::uint64_t blocks_in_file =
      (size - static_cast<std::uint64_t>(header_.header_size)) / static_cast<std::uint64_t>(header_.block_size);
  const int per_block = RecordsPerBlock(header_);
  std::vector<bool> seen(blocks_in_file + 1, false);
  chain_.clear();
  first_valid_ = 0;
  record_count_ = 0;
  damage_.clear();
  int highest = 0;
  for (int number = header_.first_block; number != 0;) {
    const bool whole = static_cast<std::uint64_t>(number) <= blocks_in_file;
    if (!whole && BlockOffset(number) + kBlockHeaderSize > size) {
      Corrupt(path_, "第" + std::to_string(number) + "个数据块超出了文件末尾");
    }
    if (seen[static_cast<std::size_t>(number)]) Corrupt(path_, "数据块链在第" + std::to_string(number) + "块处成环");
    seen[static_cast<std::size_t>(number)] = true;
    const std::string_view head = file.At(BlockOffset(number), kBlockHeaderSize);
    const int last_offset = static_cast<std::int16_t>(paradox::LoadLe16(head.data() + 4));
    int count = last_offset / header_.record_size + 1;
    if (last_offset < -header_.record_size || last_offset % header_.record_size != 0 || count > per_block) {
      Corrupt(path_, "第" + std::to_string(number) + "个数据块的记录数不可能");
    }
    if (!whole) {
      // A file cut inside its last block: the records wholly present are read.
      const std::uint64_t present = (size - BlockOffset(number) - kBlockHeaderSize) / header_.record_size;
      damage_ = "第" + std::to_string(number) + "块只有一部分在文件里";
      if (present < static_cast<std::uint64_t>(count)) {
        damage_ += "，缺了" + std::to_string(count - static_cast<int>(present)) + "条记录";
        count = static_cast<int>(present);
      }
    }
    chain_.push_back({number, count});
    if (chain_.size() % BlocksBetweenReleases() == 0) file.ReleaseRead();
    record_count_ += static_cast<std::size_t>(count);
    highest = std::max(highest, number);
    number = paradox::LoadLe16(head.data());
  }
  linked_ = chain_.size();
  header_.file_blocks = std::max(header_.file_blocks, highest);
}

RecordCodec::MemoSource ParadoxTable::MemoSourceInto(std::optional<paradox::MemoReader>& memos) const {
  // Without its .mb the values kept there read as blank; CheckWritable
  // then refuses every change, so that no rewrite can lose them.
  return [this, &memos]() -> const paradox::MemoReader* {
    if (!memos && memo_path_) memos.emplace(*memo_path_, ReadWholeFile(*memo_path_));
    return memos ? &*memos : nullptr;
  };
}

std::vector<Record> ParadoxTable::ReadAll() {
  std::size_t count = 0;
  for (const Block& block : chain_) count += static_cast<std::size_t>(block.count);
  std::vector<Record> records(count);
  ReadEach([&](std::size_t position, Record&& record) { records[position] = std::move(record); });
  return records;
}

void ParadoxTable::ReadEach(const std::function<void(std::size_t, Record&&)>& take) {
  FlushGroupBlock();
  RefuseIfReplaced();
  const RandomAccessFile file(path_, RandomAccessFile::Mode::ReadOnly);
  std::optional<paradox::MemoReader> memos;
  const RecordCodec::MemoSource memo_source = MemoSourceInto(memos);
  // Each reader decodes a run of blocks with its own codec; the first
  // failure in file order is the one reported, as when one reader goes
  // through them all.
  const std::vector<std::size_t> parts = SplitForReaders();
  const std::size_t readers = parts.size() - 1;
  std::vector<std::exception_ptr> failures(readers);
  const auto read_part = [&](std::size_t part) {
    try {
      const RecordCodec codec = *codec_;
      std::size_t first = 0;
      for (std::size_t b = 0; b < parts[part]; ++b) first += static_cast<std::size_t>(chain_[b].count);
      DecodeBlocks(file, parts[part], parts[part + 1], first, codec, memo_source, take);
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> helpers;
    for (std::size_t part = 1; part < readers; ++part) helpers.emplace_back(read_part, part);
    read_part(0);
  }
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

std::vector<Record> ParadoxTable::ReadRange(std::size_t first, std::size_t count) {
  std::vector<Record> records;
  if (count == 0) return records;
  Locate(first + count - 1, "read");  // refuses a range past the end
  auto [index, slot] = Locate(first, "read");
  FlushGroupBlock();  // a group's latest writes are in the file before they are read
  std::unique_ptr<RandomAccessFile> own;
  if (!file_) {
    RefuseIfReplaced();
    own = std::make_unique<RandomAccessFile>(path_, RandomAccessFile::Mode::ReadOnly);
  }
  const RandomAccessFile& file = file_ ? *file_ : *own;
  std::optional<paradox::MemoReader> memos;
  const RecordCodec::MemoSource memo_source = MemoSourceInto(memos);
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  records.reserve(count);
  std::string data;
  for (; records.size() < count; ++index, slot = 0) {
    const Block& block = chain_[index];
    const std::size_t take = std::min(static_cast<std::size_t>(std::max(block.count - slot, 0)), count - records.size());
    if (take == 0) continue;
    file.ReadAt(BlockOffset(block.number) + kBlockHeaderSize + static_cast<std::size_t>(slot) * record_size,
                take * record_size, data);
    for (std::size_t r = 0; r < take; ++r) {
      records.push_back(codec_->Decode(data.data() + r * record_size, first + records.size(), memo_source));
    }
  }
  return records;
}

void ParadoxTable::ScanRecords(const RecordScan& scan) {
  FlushGroupBlock();
  RefuseIfReplaced();
  const MappedFile file(path_);
  std::optional<paradox::MemoReader> memos;
  const RecordCodec::MemoSource memo_source = MemoSourceInto(memos);
  std::vector<std::size_t> tested, rest;
  for (std::size_t f = 0; f < fields_.size(); ++f) {
    if (f < scan.tested.size() && scan.tested[f]) {
      tested.push_back(f);
    } else if (f < scan.used.size() && scan.used[f]) {
      rest.push_back(f);
    }
  }
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  Record record(fields_.size());
  std::size_t position = 0;
  std::size_t blocks_read = 0;
  for (const Block& block : chain_) {
    if (++blocks_read % BlocksBetweenReleases() == 0) file.ReleaseRead();
    const char* bytes = file.At(BlockOffset(block.number) + kBlockHeaderSize,
                                static_cast<std::size_t>(block.count) * record_size).data();
    for (int slot = 0; slot < block.count; ++slot, ++position) {
      const char* record_bytes = bytes + static_cast<std::size_t>(slot) * record_size;
      codec_->DecodeFields(record_bytes, position, memo_source, tested, record);
      if (!scan.test(record)) continue;
      codec_->DecodeFields(record_bytes, position, memo_source, rest, record);
      scan.visit(record);
    }
  }
}

std::vector<std::size_t> ParadoxTable::SplitForReaders() const {
  const std::size_t values = record_count_ * fields_.size();
  std::size_t readers = std::min<std::size_t>(
      {kMaxReaders, std::max(1u, std::thread::hardware_concurrency()), values / kValuesPerReader});
  // Values held in the .mb are read through one reader of that file, and
  // iconv's converters keep state: such tables are decoded in one thread.
  if ((memo_path_ && HasBlobField(fields_)) || !code_page().DecodesWithoutState()) readers = 1;
  std::vector<std::size_t> parts{0};
  const std::size_t share = record_count_ / std::max<std::size_t>(readers, 1) + 1;
  std::size_t in_part = 0;
  for (std::size_t b = 0; b < chain_.size(); ++b) {
    in_part += static_cast<std::size_t>(chain_[b].count);
    if (in_part >= share && parts.size() < readers) {
      parts.push_back(b + 1);
      in_part = 0;
    }
  }
  parts.push_back(chain_.size());
  return parts;
}

void ParadoxTable::DecodeBlocks(const RandomAccessFile& file, std::size_t begin, std::size_t end,
                                std::size_t first_position, const RecordCodec& codec,
                                const RecordCodec::MemoSource& memos,
                                const std::function<void(std::size_t, Record&&)>& take) const {
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  std::size_t position = first_position;
  std::string data;
  for (std::size_t b = begin; b < end; ++b) {
    const Block& block = chain_[b];
    if (block.count == 0) continue;
    file.ReadAt(BlockOffset(block.number) + kBlockHeaderSize, static_cast<std::size_t>(block.count) * record_size,
                data);
    for (int slot = 0; slot < block.count; ++slot, ++position) {
      take(position, codec.Decode(data.data() + static_cast<std::size_t>(slot) * record_size, position, memos));
    }
  }
}

void ParadoxTable::CheckWritable() const {
  for (const FieldDef& f : fields_) {
    if (f.type == FieldType::FmtMemo || f.type == FieldType::Ole || f.type == FieldType::Graphic) {
      ErrorSubject subject;
      subject.table = path_.string();
      subject.field = f.name;
      subject.reason = "是" + std::string(FieldTypeWord(f.type)) + "字段，本系统只能查看，所以不能修改这个表";
      throw EngineError(EngineError::Kind::Unsupported, path_.string() + " cannot be changed: field " + f.name, subject);
    }
  }
  if (memo_file_missing_) RefuseChangeWithoutMemoFile(path_, MemoPathFor(path_));
  if (!damage_.empty()) RefuseChangeToDamagedTable(path_, damage_);
}

void ParadoxTable::EnsureWritable(const Record* about_to_write) {
  CheckWritable();
  if (header_.file_type != paradox::kFileTypeUnkeyed) {
    if (about_to_write) codec_->Check(*about_to_write);
    Rewrite(ReadAll());
    Load();
  }
  if (file_) return;
  // The first change of an unkeyed table: a secondary index of its
  // records goes before any record changes, and for good.
  if (about_to_write) codec_->Check(*about_to_write);
  RefuseIfReplaced();
  if (RemoveIndexCompanions(path_)) SyncFolder(path_.has_parent_path() ? path_.parent_path() : ".");
  file_ = std::make_unique<RandomAccessFile>(path_, RandomAccessFile::Mode::ReadWrite);
}

std::string ParadoxTable::Encode(const Record& record, const char* previous, const std::vector<bool>* changed) {
  return codec_->Encode(record, [this]() -> paradox::MemoWriter& { return MemoWriterForChanges(); }, previous,
                        changed);
}

// Opened for the first value that goes to the .mb. The blocks no record
// points to then take the new values, so that rewritten memos do not make
// the file grow without end.
paradox::MemoWriter& ParadoxTable::MemoWriterForChanges() {
  if (memo_writer_) return *memo_writer_;
  const bool existed = memo_path_.has_value();
  if (!existed) {
    memo_path_ = MemoPathFor(path_);
    WriteFileAtomically(*memo_path_, paradox::NewMemoFileHeader());
  }
  memo_file_ = std::make_unique<RandomAccessFile>(*memo_path_, RandomAccessFile::Mode::ReadWrite);
  if (journal_.active()) journal_.Track(*memo_file_);
  memo_writer_ = std::make_unique<paradox::MemoWriter>(
      memo_file_->Size(),
      [this](std::uint64_t at, std::string_view bytes) {
        memo_file_->WriteAt(at, bytes);
        memo_written_ = true;
      },
      [this](std::uint64_t at, std::size_t length) {
        const std::uint64_t size = memo_file_->Size();
        if (at >= size) return std::string();
        return memo_file_->ReadAt(at, static_cast<std::size_t>(std::min<std::uint64_t>(length, size - at)));
      },
      // In a group the journal keeps what a reused block held.
      [this] {
        if (!journal_.active()) SyncFiles();
      });
  if (existed) memo_writer_->TakeOver(ReadWholeFile(*memo_path_), LiveMemoTails());
  return *memo_writer_;
}

std::vector<paradox::BlobTail> ParadoxTable::LiveMemoTails() {
  FlushGroupBlock();
  std::vector<paradox::BlobTail> tails;
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  std::string data;
  for (const Block& block : chain_) {
    if (block.count == 0) continue;
    file_->ReadAt(BlockOffset(block.number) + kBlockHeaderSize, static_cast<std::size_t>(block.count) * record_size,
                  data);
    for (int slot = 0; slot < block.count; ++slot) {
      const std::vector<paradox::BlobTail> found =
          codec_->MemoTails(data.data() + static_cast<std::size_t>(slot) * record_size);
      tails.insert(tails.end(), found.begin(), found.end());
    }
  }
  return tails;
}

void ParadoxTable::ReleaseMemos(const char* bytes, const std::vector<paradox::BlobTail>& kept) {
  if (!memo_writer_) return;  // the writer learns the file as it then is
  for (const paradox::BlobTail& tail : codec_->MemoTails(bytes)) {
    const bool still = std::any_of(kept.begin(), kept.end(),
                                   [&](const paradox::BlobTail& k) { return k.location == tail.location; });
    if (!still) memo_writer_->Release(tail);
  }
}

std::pair<std::size_t, int> ParadoxTable::Locate(std::size_t position, std::string_view action) {
  if (position < record_count_) {
    for (; first_valid_ < chain_.size(); ++first_valid_) {
      chain_[first_valid_].first =
          first_valid_ == 0 ? 0 : chain_[first_valid_ - 1].first + static_cast<std::size_t>(chain_[first_valid_ - 1].count);
    }
    // The last block starting at or before `position`; empty blocks share
    // their first position with the next one and are passed over.
    const auto after = std::upper_bound(chain_.begin(), chain_.end(), position,
                                        [](std::size_t p, const Block& b) { return p < b.first; });
    const auto index = static_cast<std::size_t>(after - chain_.begin()) - 1;
    return {index, static_cast<int>(position - chain_[index].first)};
  }
  throw EngineError(EngineError::Kind::InvalidValue,
                    "cannot " + std::string(action) + " record " + std::to_string(position + 1) + " of " +
                        path_.string() + ", which holds " + std::to_string(record_count_));
}

void ParadoxTable::WriteRecordCount(const Block& block) {
  file_->WriteAt(BlockOffset(block.number) + 4, Le16((block.count - 1) * header_.record_size));
}

// Held blocks are not counted before they are linked.
void ParadoxTable::WriteCounts() {
  if (journal_.active()) {
    group_counts_changed_ = true;
    return;
  }
  if (linked_ == chain_.size()) WriteCountsNow();
}

char* ParadoxTable::GroupBlock(int number) {
  if (group_block_number_ != number) {
    FlushGroupBlock();
    file_->ReadAt(BlockOffset(number), static_cast<std::size_t>(header_.block_size), group_block_);
    group_block_number_ = number;
  }
  return group_block_.data();
}

void ParadoxTable::FlushGroupBlock() {
  if (group_block_number_ == 0) return;
  file_->WriteAt(BlockOffset(group_block_number_), group_block_);
  group_block_number_ = 0;
}

void ParadoxTable::WriteCountsNow() {
  header_.record_count = static_cast<std::uint32_t>(record_count_);
  header_.blocks_in_use = static_cast<int>(chain_.size());
  header_.first_block = chain_.empty() ? 0 : chain_.front().number;
  header_.last_block = chain_.empty() ? 0 : chain_.back().number;
  paradox::StoreCounts(header_, fixed_header_.data());
  file_->WriteAt(0, fixed_header_);
}

void ParadoxTable::Append(const Record& record) {
  EnsureWritable(&record);
  const bool into_last = !chain_.empty() && chain_.back().count < RecordsPerBlock(header_);
  if (into_last) JoinsHeldGroup(chain_.size() - 1);
  const std::string bytes = Encode(record);
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  if (into_last && journal_.active()) {
    // In a group the block's records and count change in memory together.
    Block& last = chain_.back();
    char* block = GroupBlock(last.number);
    std::memcpy(block + kBlockHeaderSize + static_cast<std::size_t>(last.count) * record_size, bytes.data(),
                bytes.size());
    ++last.count;
    paradox::StoreLe16(block + 4, static_cast<std::uint16_t>((last.count - 1) * header_.record_size));
  } else if (into_last) {
    Block& last = chain_.back();
    // The record goes past the block's count, where no reader looks, and
    // reaches the disk before the count takes it in: a write cut short by
    // a kill or a power cut never counts a slot whose record is not there.
    file_->WriteAt(BlockOffset(last.number) + kBlockHeaderSize + static_cast<std::size_t>(last.count) * record_size,
                   bytes);
    if (!Held(chain_.size() - 1)) SyncNewBlock();
    ++last.count;
    WriteRecordCount(last);
  } else {
    if (header_.file_blocks >= kMaxBlockNumber) {
      RefuseFull(path_);
    }
    const int number = header_.file_blocks + 1;
    const int prev = chain_.empty() ? 0 : chain_.back().number;
    chain_.push_back({number, 1});
    header_.file_blocks = number;
    std::string written;
    if (journal_.active()) {
      // In a group the new block is the one kept in memory.
      FlushGroupBlock();
      LinkHeldBlocks();
      group_block_number_ = number;
    }
    std::string& block = journal_.active() ? group_block_ : written;
    block.assign(static_cast<std::size_t>(header_.block_size), '\0');
    StoreBlockHeader(block.data(), 0, prev, 1, header_.record_size);
    std::memcpy(block.data() + kBlockHeaderSize, bytes.data(), bytes.size());
    if (!journal_.active()) {
      file_->WriteAt(BlockOffset(number), block);
      if (prev != 0 && Held(chain_.size() - 2)) {
        file_->WriteAt(BlockOffset(prev), Le16(number));  // both off the chain on the disk yet
      } else if (!holding_) {
        SyncNewBlock();
        LinkHeldBlocks();
      }
    }
  }
  ++record_count_;
  header_.auto_increment = std::max(header_.auto_increment, codec_->MaxAutoIncrement(record));
  WriteCounts();
}

void ParadoxTable::OverwriteRecord(std::size_t position, const Record& record, const std::vector<bool>* changed) {
  Locate(position, "overwrite");  // refuse a bad position before any rewrite
  EnsureWritable(&record);
  const auto [index, slot] = Locate(position, "overwrite");
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  const std::size_t at = kBlockHeaderSize + static_cast<std::size_t>(slot) * record_size;
  if (!JoinsHeldGroup(index) && !journal_.active() && !Held(index) &&
      CrossesSector(BlockOffset(chain_[index].number) + at, record_size)) {
    WriteAlone(journal_, [&] { OverwriteRecord(position, record, changed); });  // a disk writes a sector whole, not a record
    return;
  }
  std::string previous;
  if (codec_->has_memo_fields() || changed) {
    previous = journal_.active() ? std::string(GroupBlock(chain_[index].number) + at, record_size)
                                 : file_->ReadAt(BlockOffset(chain_[index].number) + at, record_size);
  }
  const std::string bytes = Encode(record, previous.empty() ? nullptr : previous.data(), changed);
  if (journal_.active()) {
    std::memcpy(GroupBlock(chain_[index].number) + at, bytes.data(), bytes.size());
  } else {
    if (!Held(index)) SyncNewMemos();
    file_->WriteAt(BlockOffset(chain_[index].number) + at, bytes);
  }
  if (!previous.empty()) ReleaseMemos(previous.data(), codec_->MemoTails(bytes.data()));
  const std::uint32_t auto_increment = codec_->MaxAutoIncrement(record);
  if (auto_increment > header_.auto_increment) {
    header_.auto_increment = auto_increment;
    WriteCounts();
  }
}

void ParadoxTable::Remove(std::size_t position) {
  const std::size_t located = Locate(position, "remove").first;  // refuse a bad position before any rewrite
  if (!JoinsHeldGroup(located) && !journal_.active()) {
    // Closing a block up rewrites the records behind the removed one in
    // place, which a cut write would leave half moved.
    WriteAlone(journal_, [&] { Remove(position); });
    return;
  }
  EnsureWritable();
  LinkHeldBlocksSynced();
  const auto [index, slot] = Locate(position, "remove");
  Block& block = chain_[index];
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  if (block.count == 1 && chain_.size() > 1) {
    // Empty the block first, then take it out of the chain: a reader cut
    // in between walks through an empty block.
    FlushGroupBlock();
    const std::string removed =
        memo_writer_ ? file_->ReadAt(BlockOffset(block.number) + kBlockHeaderSize, record_size) : std::string();
    block.count = 0;
    WriteRecordCount(block);
    PositionsChangedFrom(index);
    const int prev = index > 0 ? chain_[index - 1].number : 0;
    const int next = index + 1 < chain_.size() ? chain_[index + 1].number : 0;
    if (prev != 0) file_->WriteAt(BlockOffset(prev), Le16(next));
    if (next != 0) file_->WriteAt(BlockOffset(next) + 2, Le16(prev));
    chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(index));
    linked_ = chain_.size();
    if (!removed.empty()) ReleaseMemos(removed.data());
  } else {
    // The records close up and the count drops in one write.
    const std::uint64_t at = BlockOffset(block.number);
    std::string bytes;
    char* head = nullptr;
    if (journal_.active()) {
      head = GroupBlock(block.number);
    } else {
      bytes = file_->ReadAt(at, kBlockHeaderSize + static_cast<std::size_t>(block.count) * record_size);
      head = bytes.data();
    }
    char* records = head + kBlockHeaderSize;
    const std::string removed(records + static_cast<std::size_t>(slot) * record_size, record_size);
    std::memmove(records + static_cast<std::size_t>(slot) * record_size,
                 records + static_cast<std::size_t>(slot + 1) * record_size,
                 static_cast<std::size_t>(block.count - slot - 1) * record_size);
    std::memset(records + static_cast<std::size_t>(block.count - 1) * record_size, 0, record_size);
    --block.count;
    PositionsChangedFrom(index + 1);
    paradox::StoreLe16(head + 4, static_cast<std::uint16_t>((block.count - 1) * header_.record_size));
    if (!journal_.active()) file_->WriteAt(at, bytes);
    ReleaseMemos(removed.data());
  }
  --record_count_;
  WriteCounts();
}

// The new records go into the last block's free slots and then into new
// blocks written a chunk at a time past the chain's end; linking them to
// the chain and the header's counts come last.
void ParadoxTable::AppendMany(const std::vector<const Record*>& records) {
  if (records.empty()) return;
  EnsureWritable();
  FlushGroupBlock();
  const auto record_size = static_cast<std::size_t>(header_.record_size);
  const auto block_size = static_cast<std::size_t>(header_.block_size);
  const auto per_block = static_cast<std::size_t>(RecordsPerBlock(header_));
  std::size_t next = 0;
  if (!chain_.empty() && static_cast<std::size_t>(chain_.back().count) < per_block) {
    Block& last = chain_.back();
    const std::size_t room = per_block - static_cast<std::size_t>(last.count);
    std::string bytes;
    for (; next < records.size() && next < room; ++next) bytes += Encode(*records[next]);
    file_->WriteAt(BlockOffset(last.number) + kBlockHeaderSize + static_cast<std::size_t>(last.count) * record_size,
                   bytes);
    last.count += static_cast<int>(next);
    WriteRecordCount(last);
  }
  const std::size_t new_blocks = (records.size() - next + per_block - 1) / per_block;
  if (static_cast<std::size_t>(header_.file_blocks) + new_blocks > kMaxBlockNumber) {
    RefuseFull(path_);
  }
  constexpr std::size_t kBlocksPerWrite = 256;
  const int first_new = header_.file_blocks + 1;
  const int last_old = chain_.empty() ? 0 : chain_.back().number;
  for (std::size_t done = 0; done < new_blocks;) {
    const std::size_t chunk = std::min(kBlocksPerWrite, new_blocks - done);
    std::string blocks(chunk * block_size, '\0');
    for (std::size_t b = 0; b < chunk; ++b) {
      const int number = first_new + static_cast<int>(done + b);
      const std::size_t count = std::min(per_block, records.size() - next);
      char* block = blocks.data() + b * block_size;
      StoreBlockHeader(block, done + b + 1 < new_blocks ? number + 1 : 0, number == first_new ? last_old : number - 1,
                       static_cast<int>(count), header_.record_size);
      for (std::size_t i = 0; i < count; ++i, ++next) {
        const std::string bytes = Encode(*records[next]);
        std::memcpy(block + kBlockHeaderSize + i * record_size, bytes.data(), bytes.size());
      }
      chain_.push_back({number, static_cast<int>(count)});
    }
    file_->WriteAt(BlockOffset(first_new + static_cast<int>(done)), blocks);
    done += chunk;
  }
  if (new_blocks > 0) {
    if (last_old != 0) file_->WriteAt(BlockOffset(last_old), Le16(first_new));
    header_.file_blocks = first_new + static_cast<int>(new_blocks) - 1;
  }
  linked_ = chain_.size();
  record_count_ += records.size();
  for (const Record* record : records) {
    header_.auto_increment = std::max(header_.auto_increment, codec_->MaxAutoIncrement(*record));
  }
  WriteCounts();
}

// The memo first: a synced record never points at memo bytes not yet on the disk.
void ParadoxTable::Sync() {
  if (!CommitHeldGroup(journal_)) SyncFiles();
  holding_ = false;
}

void ParadoxTable::SyncFiles() {
  LinkHeldBlocksSynced();
  if (memo_file_) memo_file_->Sync();
  memo_written_ = false;
  if (file_) file_->Sync();
  if (memo_writer_) memo_writer_->Synced();
}

void ParadoxTable::LinkHeldBlocksSynced() {
  if (linked_ == chain_.size()) return;
  SyncNewBlock();
  LinkHeldBlocks();
  WriteCounts();
}

void ParadoxTable::LinkHeldBlocks() {
  if (linked_ == chain_.size()) return;
  if (linked_ > 0) file_->WriteAt(BlockOffset(chain_[linked_ - 1].number), Le16(chain_[linked_].number));
  linked_ = chain_.size();
}

void ParadoxTable::SyncNewMemos() {
  if (journal_.active() || !memo_written_) return;
  memo_file_->Sync();
  memo_written_ = false;
}

void ParadoxTable::SyncNewBlock() {
  if (journal_.active()) return;
  SyncNewMemos();
  file_->Sync();
}

void ParadoxTable::BeginGroup() {
  CommitHeldGroup(journal_);
  EnsureWritable();
  LinkHeldBlocksSynced();
  StartJournal();
}

bool ParadoxTable::JoinsHeldGroup(std::size_t index) {
  if (!holding_ || Held(index)) return false;
  if (journal_.active()) return true;
  EnsureWritable();
  StartJournal();
  LinkHeldBlocks();
  group_counts_changed_ = true;
  return true;
}

void ParadoxTable::StartJournal() {
  journal_.Begin();
  journal_.Track(*file_);
  if (memo_file_) journal_.Track(*memo_file_);
}

void ParadoxTable::CommitGroup() {
  FlushGroupBlock();
  if (std::exchange(group_counts_changed_, false)) WriteCountsNow();
  journal_.Commit();
  if (memo_writer_) memo_writer_->Synced();
}

void ParadoxTable::AbandonGroup() {
  group_block_number_ = 0;
  group_counts_changed_ = false;
  journal_.RollBack();
  Load();
}

}  // namespace

std::unique_ptr<TableFile> OpenParadoxTable(const std::filesystem::path& path) {
  return std::make_unique<ParadoxTable>(path);
}

void CreateParadoxTable(const std::filesystem::path& path, const FieldDefs& fields,
                        const std::vector<Record>& records, int code_page) {
  WriteParadoxTable(path, paradox::NewHeader(fields, code_page), records.size(), Each(records));
}


namespace {

// A new table's bytes with the layout of a header, made as they are
// written; the memo file's bytes collect as the records are encoded.
class ParadoxImage {
 public:
  ParadoxImage(std::filesystem::path path, ParadoxHeader header, std::size_t count, const RecordSource& record)
      : path_(std::move(path)),
        header_(std::move(header)),
        count_(count),
        record_(record),
        codec_(header_.fields, header_.code_page, path_) {
    has_memo_file_ = std::any_of(header_.fields.begin(), header_.fields.end(),
                                 [](const paradox::ParadoxField& f) { return IsBlobType(f.def.type); });
    if (has_memo_file_) memo_image_ = paradox::NewMemoFileHeader();
    per_block_ = RecordsPerBlock(header_);
    block_count_ = (count + static_cast<std::size_t>(per_block_) - 1) / static_cast<std::size_t>(per_block_);
    if (block_count_ > kMaxBlockNumber) RefuseFull(path_);
    header_.record_count = static_cast<std::uint32_t>(count);
    header_.blocks_in_use = header_.file_blocks = header_.last_block = static_cast<int>(block_count_);
    header_.first_block = block_count_ == 0 ? 0 : 1;
    for (std::size_t position = 0; position < count; ++position) {
      header_.auto_increment = std::max(header_.auto_increment, codec_.MaxAutoIncrement(record(position)));
    }
  }
  ParadoxImage(const ParadoxImage&) = delete;
  ParadoxImage& operator=(const ParadoxImage&) = delete;

  bool has_memo_file() const { return has_memo_file_; }

  // Hands the table file's bytes to `write` in file order. The blocks are
  // encoded a run at a time into one buffer, each run written while the
  // next is encoded.
  void Produce(const std::function<void(std::string_view)>& write) {
    const auto block_size = static_cast<std::size_t>(header_.block_size);
    const RecordCodec::MemoSink memo_sink = [this]() -> paradox::MemoWriter& {
      if (!memos_) {
        memos_.emplace(memo_image_.size(), [this](std::uint64_t at, std::string_view bytes) {
          memo_image_.resize(std::max<std::size_t>(memo_image_.size(), at + bytes.size()), '\0');
          std::memcpy(memo_image_.data() + at, bytes.data(), bytes.size());
        });
      }
      return *memos_;
    };
    write(paradox::SerializeHeader(header_));
    constexpr std::size_t kBlocksPerRun = 64;
    std::string run;
    for (std::size_t first_block = 0; first_block < block_count_; first_block += kBlocksPerRun) {
      const std::size_t blocks = std::min(kBlocksPerRun, block_count_ - first_block);
      run.assign(blocks * block_size, '\0');
      for (std::size_t b = first_block; b < first_block + blocks; ++b) {
        const std::size_t first = b * static_cast<std::size_t>(per_block_);
        const std::size_t count = std::min(count_ - first, static_cast<std::size_t>(per_block_));
        char* block = run.data() + (b - first_block) * block_size;
        const int number = static_cast<int>(b + 1);
        StoreBlockHeader(block, b + 1 < block_count_ ? number + 1 : 0, number - 1, static_cast<int>(count),
                         header_.record_size);
        for (std::size_t i = 0; i < count; ++i) {
          codec_.EncodeInto(record_(first + i), memo_sink, block + kBlockHeaderSize + i * codec_.record_size());
        }
      }
      write(run);
    }
  }

  // The files a replacement puts in place: the memo file, complete only
  // once every record is encoded, the table, and the removal of the index
  // files an older table of that name left, which would no longer match.
  std::vector<NewTableFile> Files() {
    auto image = std::make_shared<std::string>();
    image->reserve(static_cast<std::size_t>(header_.header_size) + block_count_ * static_cast<std::size_t>(header_.block_size));
    Produce([&](std::string_view piece) { *image += piece; });
    std::vector<NewTableFile> files;
    if (has_memo_file_) {
      auto memo = std::make_shared<std::string>(std::move(memo_image_));
      const std::filesystem::path memo_path = MemoPathFor(path_);
      files.push_back({memo_path, [memo_path, memo] { return WriteTemporaryFor(memo_path, *memo); }});
    }
    files.push_back({path_, [path = path_, image] { return WriteTemporaryFor(path, *image); }});
    for (const std::filesystem::path& index : IndexCompanions(path_)) files.push_back({index, nullptr});
    return files;
  }

 private:
  std::filesystem::path path_;
  ParadoxHeader header_;
  std::size_t count_;
  const RecordSource& record_;
  RecordCodec codec_;
  bool has_memo_file_ = false;
  std::string memo_image_;
  std::optional<paradox::MemoWriter> memos_;
  int per_block_ = 0;
  std::size_t block_count_ = 0;
};

void WriteParadoxTable(const std::filesystem::path& path, ParadoxHeader header, std::size_t count,
                       const RecordSource& record) {
  ParadoxImage image(path, std::move(header), count, record);
  if (image.has_memo_file() || FindCompanion(path, ".px")) {
    ReplaceTableFiles(path, image.Files());
    return;
  }
  WriteFileAtomically(path, [&](const std::function<void(std::string_view)>& write) { image.Produce(write); });
  RemoveIndexCompanions(path);
}

}  // namespace

std::vector<NewTableFile> NewParadoxTableFiles(const std::filesystem::path& path, const FieldDefs& fields,
                                               const std::vector<Record>& records, int code_page) {
  const RecordSource record = Each(records);
  return ParadoxImage(path, paradox::NewHeader(fields, code_page), records.size(), record).Files();
}

}  // namespace veltra::formats
