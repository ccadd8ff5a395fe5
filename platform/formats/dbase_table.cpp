#include "platform/formats/dbase_table.h"

#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <unistd.h>

#include "platform/formats/dbase_cell.h"
#include "platform/formats/dbase_header.h"
#include "platform/formats/dbase_memo.h"
#include "platform/formats/file_io.h"
#include "platform/formats/record_checks.h"
#include "platform/formats/rollback_journal.h"
#include "platform/formats/table_recovery.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats {
namespace {

constexpr char kLive = ' ';
constexpr char kDeleted = '*';
constexpr char kEndOfFile = 0x1A;
// Records read from disk at a time when scanning a large table.
constexpr std::size_t kScanBytes = 1 << 20;

// Bytes of a memo value as stored: text in the table's code page, raw
// bytes as they are.
std::string MemoBytes(const Value& value, const CodePage& code_page) {
  if (value.kind() == Value::Kind::Bytes) return std::string(value.bytes());
  return code_page.Encode(value.ToDisplayText());
}

// One record's bytes; `store_memo` keeps a memo's bytes for a field and
// returns its block.
template <typename StoreMemo>
std::string EncodeRecord(const DbfHeader& header, const Record& record, const CodePage& code_page,
                         const std::filesystem::path& file, StoreMemo&& store_memo) {
  CheckRecordWidth(file, record, header.fields.size());
  std::string bytes(header.record_length, ' ');
  bytes[0] = kLive;
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    const DbfField& field = header.fields[i];
    try {
      std::string cell;
      if (field.type == 'M') {
        cell = EncodeMemoPointer(record[i].is_null()
                                     ? std::nullopt
                                     : std::optional(store_memo(field, MemoBytes(record[i], code_page))));
      } else {
        cell = EncodeCell(field, record[i], code_page);
      }
      bytes.replace(static_cast<std::size_t>(field.offset), cell.size(), cell);
    } catch (const CellError& e) {
      RefuseValue(file, field.name, record[i].ToDisplayText(), e.what());
    } catch (const text::TextError& e) {
      RefuseUnstorableText(file, field.name, record[i].ToDisplayText(), e.what());
    }
  }
  return bytes;
}

// Writes `records` under `header` (version, language driver and fields
// kept as they are), the memo file in the style the version calls for.
void WriteDBaseTable(const std::filesystem::path& path, DbfHeader header, const std::vector<Record>& records,
                     const CodePage& code_page);

class DBaseTable final : public TableFile {
 public:
  explicit DBaseTable(const std::filesystem::path& path)
      : path_(path), file_(OpenForWriteIfAllowed(path)) {
    const std::uint64_t size = file_.Size();
    const std::string first = file_.ReadAt(0, std::min<std::uint64_t>(size, kDbfHeaderSize));
    const std::uint16_t header_length = ParseHeaderLength(first, path_);
    header_ = ParseDbfHeader(file_.ReadAt(0, std::min<std::uint64_t>(size, header_length)), size, path_);
    code_page_ = CodePage::ForLanguageDriver(header_.language_driver);
    fields_ = ToFieldDefs(header_.fields);
    if (header_.has_memo()) OpenMemo();
    ScanDeletionFlags();
    count_on_disk_ = header_.record_count;
  }
  ~DBaseTable() override {
    SettleHeldPostsOnClose(journal_, [this] { CountHeldRecords(); });
  }
  DBaseTable(const DBaseTable&) = delete;
  DBaseTable& operator=(const DBaseTable&) = delete;

  TableKind kind() const override { return TableKind::DBase; }
  const std::filesystem::path& path() const override { return path_; }
  const FieldDefs& fields() const override { return fields_; }
  int key_field_count() const override { return 0; }
  std::size_t record_count() const override { return live_.size(); }
  CodePage code_page() const override { return code_page_; }
  void CheckWritable() const override {
    if (header_.has_memo() && !memo_) RefuseChangeWithoutMemoFile(path_, MemoPathFor(path_));
  }

  void Rewrite(const std::vector<Record>& records) override {
    CommitHeldGroup(journal_);  // its journal would roll back over the new file
    WriteDBaseTable(path_, header_, records, code_page_);
  }

  std::vector<Record> ReadAll() override {
    std::vector<Record> records;
    records.reserve(live_.size());
    ForEachRecordChunk([&](std::uint64_t first, std::string_view chunk) {
      for (std::size_t at = 0; at < chunk.size(); at += header_.record_length) {
        if (chunk[at] == kLive) records.push_back(DecodeRecord(first + at / header_.record_length,
                                                               chunk.substr(at, header_.record_length)));
      }
    });
    return records;
  }

  void Append(const Record& record) override {
    CheckWritable();
    FlushRun();
    const std::string bytes = Encode(record);
    const std::uint32_t index = header_.record_count;
    file_.WriteAt(RecordOffset(index), bytes + kEndOfFile);
    live_.push_back(index);
    header_.record_count = index + 1;
    if (!holding_ || journal_.active()) CountHeldRecords();
  }

  void Overwrite(std::size_t position, const Record& record) override {
    CheckWritable();
    const std::uint32_t index = LiveIndex(position);
    if (!JoinsHeldGroup(index) && !journal_.active() && index < count_on_disk_ &&
        CrossesSector(RecordOffset(index), header_.record_length)) {
      // A disk writes a sector whole, not a record that spans two.
      WriteAlone(journal_, [&] { Overwrite(position, record); });
      return;
    }
    const std::string previous = header_.has_memo() ? RecordBytes(index) : std::string();
    std::string bytes = Encode(record, previous);
    if (!journal_.active()) {
      if (index < count_on_disk_) SyncBeforePublishing(false);
      file_.WriteAt(RecordOffset(index), bytes);
      ReleaseReplacedMemos(previous, bytes);
      return;
    }
    // In a group, records changed one after another go out in one write.
    if (run_.empty() || index != run_first_ + run_.size() / header_.record_length || run_.size() >= kScanBytes) {
      FlushRun();
      run_first_ = index;
    }
    run_ += bytes;
    ReleaseReplacedMemos(previous, bytes);  // only once the record no longer points there
  }

  void Remove(std::size_t position) override {
    CheckWritable();
    const std::uint32_t index = LiveIndex(position);
    JoinsHeldGroup(index);
    FlushRun();
    CountHeldRecords();
    file_.WriteAt(RecordOffset(index), std::string(1, kDeleted));
    live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(position));
  }

  // The records go past the last one a chunk at a time; the count in the
  // header, written last, takes them in.
  void AppendMany(const std::vector<const Record*>& records) override {
    FlushRun();
    const std::size_t per_write = std::max<std::size_t>(1, kScanBytes / header_.record_length);
    std::uint32_t index = header_.record_count;
    for (std::size_t done = 0; done < records.size();) {
      const std::size_t chunk = std::min(per_write, records.size() - done);
      std::string bytes;
      bytes.reserve(chunk * header_.record_length + 1);
      for (std::size_t i = 0; i < chunk; ++i) bytes += Encode(*records[done + i]);
      if (done + chunk == records.size()) bytes += kEndOfFile;
      file_.WriteAt(RecordOffset(index), bytes);
      index += static_cast<std::uint32_t>(chunk);
      done += chunk;
    }
    for (std::uint32_t i = header_.record_count; i < index; ++i) live_.push_back(i);
    WriteCount(index);
  }

  // The memo first: a synced record never points at memo bytes not yet on the disk.
  void Sync() override {
    if (CommitHeldGroup(journal_)) {
      holding_ = false;
      return;
    }
    CountHeldRecords();
    if (memo_) memo_->Sync();
    memo_written_ = false;
    file_.Sync();
    if (memo_) memo_->RecordsSynced();
    holding_ = false;
  }
  void HoldAppendsUntilSync() override { holding_ = true; }

 protected:
  void BeginGroup() override {
    CommitHeldGroup(journal_);
    CheckWritable();
    CountHeldRecords();
    StartJournal();
  }

  void CommitGroup() override {
    FlushRun();
    journal_.Commit();
    if (memo_) memo_->RecordsSynced();
  }

  void AbandonGroup() override {
    run_.clear();
    journal_.RollBack();
    if (memo_) memo_->Forget();
    header_.record_count = count_on_disk_ = group_start_.first;
    live_ = std::move(group_start_.second);
  }

 private:
  // Read-only files still open for reading; their writes fail with Io.
  static RandomAccessFile OpenForWriteIfAllowed(const std::filesystem::path& path) {
    if (::access(path.c_str(), W_OK) == 0) return RandomAccessFile(path, RandomAccessFile::Mode::ReadWrite);
    return RandomAccessFile(path, RandomAccessFile::Mode::ReadOnly);
  }

  // Without it memos read as blank and CheckWritable refuses every change.
  void OpenMemo() {
    const auto memo_path = FindMemoFile(path_);
    if (!memo_path) return;
    memo_.emplace(*memo_path, header_.dbase3_memo() ? MemoStyle::DBase3 : MemoStyle::DBase4,
                  ::access(memo_path->c_str(), W_OK) == 0 ? RandomAccessFile::Mode::ReadWrite
                                                           : RandomAccessFile::Mode::ReadOnly);
  }

  std::uint64_t RecordOffset(std::uint32_t index) const {
    return header_.header_length + static_cast<std::uint64_t>(index) * header_.record_length;
  }

  template <typename Visit>
  void ForEachRecordChunk(Visit&& visit) {
    const std::uint32_t per_chunk = std::max<std::uint32_t>(1, kScanBytes / header_.record_length);
    for (std::uint32_t first = 0; first < header_.record_count; first += per_chunk) {
      const std::uint32_t count = std::min(per_chunk, header_.record_count - first);
      visit(first, file_.ReadAt(RecordOffset(first), std::size_t{count} * header_.record_length));
    }
  }

  void ScanDeletionFlags() {
    ForEachRecordChunk([&](std::uint32_t first, std::string_view chunk) {
      for (std::size_t at = 0; at < chunk.size(); at += header_.record_length) {
        const std::uint32_t index = first + static_cast<std::uint32_t>(at / header_.record_length);
        if (chunk[at] == kLive) {
          live_.push_back(index);
        } else if (chunk[at] != kDeleted) {
          ErrorSubject subject;
          subject.table = path_.string();
          subject.reason = "第" + std::to_string(index + 1) + "条记录既没有有效标记也没有删除标记";
          throw EngineError(EngineError::Kind::FileFormat, path_.string() + ": " + subject.reason, subject);
        }
      }
    });
  }

  Record DecodeRecord(std::uint64_t index, std::string_view bytes) const {
    Record record;
    record.reserve(header_.fields.size());
    for (const DbfField& field : header_.fields) {
      const std::string_view raw = bytes.substr(static_cast<std::size_t>(field.offset),
                                                static_cast<std::size_t>(field.length));
      try {
        record.push_back(field.type == 'M' ? ReadMemo(raw) : DecodeCell(field, raw, code_page_));
      } catch (const CellError& e) {
        RefuseDamagedRecord(path_, index, field.name, e.what());
      }
    }
    return record;
  }

  Value ReadMemo(std::string_view pointer) const {
    const auto block = DecodeMemoPointer(pointer);
    if (!block || !memo_) return Value::Null();
    try {
      return Value::Text(code_page_.Decode(memo_->Read(*block)));
    } catch (const text::TextError& e) {
      throw CellError(std::string("中的备注文字无法识别：") + e.what());
    }
  }

  // `previous`: the bytes of the record this one replaces, whose memos
  // keep their place when unchanged.
  std::string Encode(const Record& record, std::string_view previous = {}) {
    return EncodeRecord(header_, record, code_page_, path_, [&](const DbfField& field, std::string_view bytes) {
      if (!previous.empty()) {
        const auto block = MemoPointerIn(previous, field);
        if (block && memo_->Holds(*block, bytes)) return *block;
      }
      if (!memo_->learnt()) LearnMemoSpace();
      memo_written_ = true;
      return memo_->Store(bytes);
    });
  }

  static std::optional<std::uint32_t> MemoPointerIn(std::string_view record, const DbfField& field) {
    return DecodeMemoPointer(record.substr(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length)));
  }

  // A record's bytes as written so far, in a group's pending run too.
  std::string RecordBytes(std::uint32_t index) {
    const std::uint32_t in_run = index - run_first_;
    if (!run_.empty() && index >= run_first_ && in_run < run_.size() / header_.record_length) {
      return run_.substr(std::size_t{in_run} * header_.record_length, header_.record_length);
    }
    return file_.ReadAt(RecordOffset(index), header_.record_length);
  }

  // Every record's memos, deleted ones too, hold their blocks.
  void LearnMemoSpace() {
    std::vector<std::uint32_t> in_use;
    ForEachRecordChunk([&](std::uint64_t, std::string_view chunk) {
      for (std::size_t at = 0; at < chunk.size(); at += header_.record_length) {
        for (const DbfField& field : header_.fields) {
          if (field.type != 'M') continue;
          if (const auto block = MemoPointerIn(chunk.substr(at, header_.record_length), field)) in_use.push_back(*block);
        }
      }
    });
    memo_->LearnFreeSpace(in_use);
  }

  void ReleaseReplacedMemos(std::string_view previous, std::string_view now) {
    if (previous.empty()) return;
    for (const DbfField& field : header_.fields) {
      if (field.type != 'M') continue;
      const auto old_block = MemoPointerIn(previous, field);
      if (old_block && old_block != MemoPointerIn(now, field)) memo_->Release(*old_block);
    }
  }

  // Outside a group a post writes what is new (memo values, a record past
  // the count) and syncs it before the write that makes a record point to
  // it or the count take it in, so that a power cut leaves the record old
  // or new whatever part of the writes since the last sync reached the disk.
  void SyncBeforePublishing(bool record_written) {
    if (journal_.active()) return;
    if (memo_written_) memo_->Sync();
    memo_written_ = false;
    if (record_written) file_.Sync();
  }

  void StartJournal() {
    journal_.Begin();
    journal_.Track(file_);
    if (memo_) memo_->Journal(journal_);
    group_start_ = {header_.record_count, live_};
  }

  // While appends are held, a change to a counted record begins the group
  // that the next Sync commits; the held records are counted in it.
  // Whether the change is to go into that group.
  bool JoinsHeldGroup(std::uint32_t index) {
    if (!holding_ || index >= count_on_disk_) return false;
    if (journal_.active()) return true;
    CheckWritable();
    StartJournal();
    CountHeldRecords();
    return true;
  }

  // The header's count takes in the records written past it.
  void CountHeldRecords() {
    if (count_on_disk_ == header_.record_count) return;
    SyncBeforePublishing(true);
    WriteCount(header_.record_count);
  }

  std::uint32_t LiveIndex(std::size_t position) const {
    CheckRecordPosition(path_, position, live_.size());
    return live_[position];
  }

  void FlushRun() {
    if (run_.empty()) return;
    file_.WriteAt(RecordOffset(run_first_), run_);
    run_.clear();
  }

  void WriteCount(std::uint32_t count) {
    file_.WriteAt(1, EncodeDateAndCount(count));
    header_.record_count = count_on_disk_ = count;
  }

  std::filesystem::path path_;
  RandomAccessFile file_;
  DbfHeader header_;
  CodePage code_page_ = CodePage::Gbk();
  FieldDefs fields_;
  std::optional<DBaseMemoFile> memo_;
  bool memo_written_ = false;  // since the memo file was last synced
  std::uint32_t count_on_disk_ = 0;  // below header_.record_count while appends are held
  bool holding_ = false;             // HoldAppendsUntilSync until the next sync
  std::vector<std::uint32_t> live_;  // file index of each live record, in order
  RollbackJournal journal_{path_};  // active while a group of writes is under way
  std::pair<std::uint32_t, std::vector<std::uint32_t>> group_start_;  // count and live_ when it began
  std::uint32_t run_first_ = 0;  // in a group: records changed in a row, not yet written
  std::string run_;
};

}  // namespace

std::unique_ptr<TableFile> OpenDBaseTable(const std::filesystem::path& path) {
  return std::make_unique<DBaseTable>(path);
}

void CreateDBaseTable(const std::filesystem::path& path, const FieldDefs& fields,
                      const std::vector<Record>& records, const CodePage& code_page) {
  WriteDBaseTable(path, MakeDbfHeader(fields, path, code_page), records, code_page);
}

namespace {

void WriteDBaseTable(const std::filesystem::path& path, DbfHeader header, const std::vector<Record>& records,
                     const CodePage& code_page) {
  header.record_count = static_cast<std::uint32_t>(records.size());
  const std::filesystem::path memo_path = MemoPathFor(path);
  DBaseMemoBuilder memo(memo_path, header.dbase3_memo() ? MemoStyle::DBase3 : MemoStyle::DBase4);

  std::string content = EncodeDbfHeader(header);
  content.reserve(content.size() + records.size() * header.record_length + 1);
  for (const Record& record : records) {
    content += EncodeRecord(header, record, code_page, path,
                            [&](const DbfField&, std::string_view bytes) { return memo.Add(bytes); });
  }
  content += kEndOfFile;

  if (header.has_memo()) {
    ReplaceTableFiles(path, {{memo_path, memo.Finish()}, {path, std::move(content)}});
  } else {
    WriteFileAtomically(path, content);
    std::error_code ignored;  // a stale memo file of an older table of this name
    if (FindMemoFile(path)) std::filesystem::remove(memo_path, ignored);
  }
}

}  // namespace

}  // namespace veltra::formats
