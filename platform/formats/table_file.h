#pragma once
// Record-level access to one table file (Paradox .db, dBase .dbf, text
// .txt). The file is a sequence of records addressed by position in file
// order: Append adds at the end, Remove(i) closes the gap so that later
// records move down by one. Every write has reached the file (the
// operating system's cache, not only ours) when it returns, and leaves the
// header counts true, so a killed process leaves a readable file holding
// every completed write.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/formats/code_page.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::formats {

class RollbackJournal;

using Record = std::vector<Value>;

enum class TableKind { Paradox, DBase, Text };

// The record at a position, good until the next call; a writer asks for
// them in order.
using RecordSource = std::function<const Record&(std::size_t position)>;

// What a scan reads, one flag per field: the `tested` fields of a record
// are decoded and `test` decides whether it is wanted; only then are the
// rest of the `used` fields decoded and `visit` called. Fields in neither
// may be null; the record passed is reused.
struct RecordScan {
  std::vector<bool> tested;
  std::function<bool(const Record&)> test;
  std::vector<bool> used;
  std::function<void(const Record&)> visit;
};

class TableFile {
 public:
  virtual ~TableFile() = default;

  virtual TableKind kind() const = 0;
  virtual const std::filesystem::path& path() const = 0;
  virtual const FieldDefs& fields() const = 0;
  // Leading fields that form the primary key of a keyed table written
  // elsewhere (Paradox header); 0 for every table we write.
  virtual int key_field_count() const = 0;
  virtual std::size_t record_count() const = 0;
  // The code page of the file's text, in which every change is written.
  virtual CodePage code_page() const { return CodePage::Gbk(); }
  // Throws EngineError naming the file and the reason when it must be
  // neither changed nor rewritten with what ReadAll gives (a Paradox table
  // whose .mb is missing, fields that are only read).
  virtual void CheckWritable() const {}

  // The last value a counter (auto-increment) field handed out, as the file
  // keeps it even when the record that got it is gone; 0 when none is kept.
  virtual std::int64_t last_counter_value() const { return 0; }

  // Every live record in file order (deleted dBase records are skipped).
  virtual std::vector<Record> ReadAll() = 0;
  // Every live record handed over to `take` with its position in file
  // order, perhaps from several threads at once, so that a reader can keep
  // each in a form of its own without the table being held twice.
  virtual void ReadEach(const std::function<void(std::size_t, Record&&)>& take);
  // Every live record in file order, one at a time, for reading only.
  virtual void ScanRecords(const RecordScan& scan);
  // Whether ReadRange reads only the records it is asked for, so that a
  // large table can be read a part at a time as it is used.
  virtual bool ReadsInParts() const { return false; }
  // The `count` live records from position `first` on, in file order.
  virtual std::vector<Record> ReadRange(std::size_t first, std::size_t count);
  // Replaces the file as a whole with `records`, keeping what the file is:
  // its level or version, code page, memo style and the last counter value
  // handed out. Index files beside it that would no longer match are
  // removed. The object is spent afterwards: open the file again to go on.
  virtual void Rewrite(const std::vector<Record>& records) = 0;
  // The same with the `count` records `record` gives, so that a writer
  // that encodes them one by one never needs them all at once.
  virtual void RewriteWith(std::size_t count, const RecordSource& record);
  virtual void Append(const Record& record) = 0;
  virtual void Overwrite(std::size_t position, const Record& record) = 0;
  // The same where only the fields marked in `changed` differ from the
  // record at `position`, so that a writer may encode just those.
  virtual void OverwriteFields(std::size_t position, const Record& record, const std::vector<bool>& changed);
  virtual void Remove(std::size_t position) = 0;
  // Adds records at the end in a few large writes.
  virtual void AppendMany(const std::vector<const Record*>& records);
  // Forces the completed writes to the disk itself, so that they survive
  // a power cut as well as a kill.
  virtual void Sync() = 0;
  // Records appended from now on outside a group are written at once but
  // taken into the table (counted, linked) only by the next Sync, which
  // then syncs once more: a long run of appends costs two syncs in all
  // instead of one each, a power cut still leaves every record whole, and
  // a kill before that Sync loses them. The first change to what is
  // already in the table (an overwrite, a delete) begins a group that
  // takes in every later change and the held records too, and that Sync
  // commits: a power cut or kill leaves the table as at the last Sync or
  // as at this one. A change that fails leaves the group open without it.
  // Closing the file syncs them too.
  virtual void HoldAppendsUntilSync() {}

  // Runs `writes` (calls of the methods above) so that they reach the file
  // all or none: a failure undoes those already done and rethrows, and a
  // kill is undone when the table is next opened. The files are synced
  // once at the end.
  void WriteAllOrNothing(const std::function<void()>& writes);

 protected:
  // From BeginGroup to CommitGroup the writes are kept undoable;
  // AbandonGroup undoes them, file and object alike.
  virtual void BeginGroup() = 0;
  virtual void CommitGroup() = 0;
  virtual void AbandonGroup() = 0;
  // One record's change in place as a group of its own, whose journal file
  // is not kept beside the table afterwards.
  void WriteAlone(RollbackJournal& journal, const std::function<void()>& write);
  // Commits the group that held appends began, if any, and removes its
  // journal file; whether there was one.
  bool CommitHeldGroup(RollbackJournal& journal);
  // For a table closing: commits the held group, or else has `take_in`
  // count or link the held appends. A failure leaves them as a kill would:
  // the appends not taken in, the group rolled back at the next open.
  void SettleHeldPostsOnClose(RollbackJournal& journal, const std::function<void()>& take_in) noexcept;
};

// Opens an existing table file; the kind follows the extension (.db,
// .dbf, .txt, any case). Throws EngineError (FileFormat, Io) naming the file.
std::unique_ptr<TableFile> OpenTableFile(const std::filesystem::path& path);

// Writes a new table with these fields and records, replacing any file of
// that name (and its memo companion) through a temporary file renamed
// over it. Text tables are always GBK; the others take `code_page`. Throws EngineError (InvalidName for a field name the format
// cannot store, InvalidValue, Io) and leaves any old file untouched.
void CreateTableFile(const std::filesystem::path& path, TableKind kind, const FieldDefs& fields,
                     const std::vector<Record>& records = {}, const CodePage& code_page = CodePage::Gbk());

// The kind that an extension selects: .dbf dBase, .txt text, else Paradox.
TableKind KindForPath(const std::filesystem::path& path);

}  // namespace veltra::formats
