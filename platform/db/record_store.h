#pragma once
// The records of one table in memory, in file order, with the indexes
// built over them and, for a table, the file they mirror. Every change is
// checked first (unique keys, the primary key first), written to the file
// (whose format refuses text its code page cannot hold), and only then
// applied in memory, so memory and file never disagree. Internal to the
// table engine.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/index_def.h"
#include "platform/db/packed_row.h"
#include "platform/formats/table_file.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::db {

struct StoredRecord {
  std::uint64_t serial;  // rises with file order; never reused
  // Every field once loaded; before, only the fields the store decoded in
  // every record (index keys, counters), the rest cut off.
  PackedRow values;
  bool loaded = true;
};

using RecordRef = std::shared_ptr<StoredRecord>;

class RecordStore;

// The records of a store ordered by an index's key, then by file order.
// Sorted the first time it is used, so that a table opens without sorting
// the indexes nobody reads yet.
class RecordIndex {
 public:
  RecordIndex(IndexDef def, const RecordStore& store);

  const IndexDef& def() const { return def_; }
  const std::vector<int>& key_fields() const { return key_fields_; }
  bool unique() const { return def_.primary || def_.unique; }
  const std::vector<StoredRecord*>& ordered() const {
    Sort();
    return ordered_;
  }

  // Compares the first `count` key fields of two rows.
  int CompareKeys(const Row& a, const Row& b, std::size_t count) const;
  int CompareKeys(const PackedRow& a, const Row& b, std::size_t count) const;
  int CompareKeys(const PackedRow& a, const PackedRow& b, std::size_t count) const;
  // Full key, then file order.
  bool Less(const StoredRecord& a, const StoredRecord& b) const;
  // First position whose first `count` key fields are not less than those of `key`.
  std::size_t LowerBound(const Row& key, std::size_t count) const;
  std::size_t UpperBound(const Row& key, std::size_t count) const;
  // Another record with the same key; null keys never clash in a secondary index.
  const StoredRecord* FindClash(const Row& values, const StoredRecord* self) const;

  // The records were replaced wholesale: sorted again when next used.
  void Reset();
  // A record not among the store's records yet, or still among them.
  void Insert(StoredRecord* record);
  void Erase(StoredRecord* record);  // with the values it was inserted with

 private:
  void Sort() const;
  template <typename A, typename B>
  int CompareKeysOf(const A& a, const B& b, std::size_t count) const;
  std::size_t PositionOf(const StoredRecord& record) const;
  IndexDef def_;
  std::vector<int> key_fields_;
  const RecordStore& store_;
  mutable std::vector<StoredRecord*> ordered_;
  mutable bool sorted_ = false;
};

class RecordStore {
 public:
  // A store of records with no file behind it (statement results).
  RecordStore(std::string name, FieldDefs fields, std::vector<Row> rows);
  // The records of a table file; the file's key fields give a primary index.
  explicit RecordStore(std::unique_ptr<formats::TableFile> file, std::string name);

  const std::string& name() const { return name_; }
  const FieldDefs& fields() const { return fields_; }
  std::size_t size() const { return records_.size(); }
  const RecordRef& at(std::size_t position) const { return records_[position]; }
  // A large table's records are read from the file as they are first
  // wanted: the values of a record of this store, read now if need be, and
  // the like for every record at once.
  const PackedRow& Loaded(const StoredRecord& record) const;
  void LoadAll() const;
  // Makes `fields` readable in every record, loaded or not (an index's keys).
  void DecodeFields(const std::vector<int>& fields) const;
  // Rises with every change, so cursors know when to re-read.
  std::uint64_t version() const { return version_; }
  bool has_file() const { return file_ != nullptr; }

  // Adds the indexes this store lacks (by name); a primary index replaces
  // one taken from the file's header.
  void EnsureIndexes(const IndexDefs& defs);
  const RecordIndex* FindIndex(std::string_view name) const;
  const RecordIndex* Primary() const;
  const std::vector<std::unique_ptr<RecordIndex>>& indexes() const { return indexes_; }

  // Both take `values` over when they succeed and leave them as they were
  // when they throw.
  RecordRef Insert(Row& values);
  // `changed`, when given, marks the fields whose values differ from the
  // record's; the others are neither checked nor set again.
  void Update(const RecordRef& record, Row& values, const std::vector<bool>* changed = nullptr);
  void Remove(const RecordRef& record);
  // Several changes applied as a whole or not at all, in memory and in the
  // file alike; the file is synced once at the end.
  void InsertMany(std::vector<Row> rows);
  void UpdateMany(std::vector<std::pair<std::size_t, Row>> changes);
  void RemoveMany(std::vector<std::size_t> positions);
  // Runs `updates` (calls of Update only) so that they reach the file all
  // or none, in a few large writes; when it fails the records get their
  // old values back.
  void UpdateAllOrNothing(const std::function<void()>& updates);
  // Forces the file's completed writes to the disk itself.
  void Sync();
  void HoldAppendsUntilSync();

  // Records before this position hold a value in `column`, so that a
  // search for nulls (the stamping of validation faults) starts there.
  std::size_t FilledPrefix(std::size_t column) const;

  // For a table rebuilt as a whole: held aside, the store starts empty and
  // keeps its changes in memory while its file keeps the old records;
  // PutInPlace writes the records as the file's one replacement, synced.
  void HoldAside();
  bool held_aside() const { return held_aside_; }
  void PutInPlace();
  // For a table held aside: the records put in the order of `order`
  // (fields, each descending or not; ties keep file order), and
  // `number_field` set to each one's place from 1.
  void SortAndNumber(const std::vector<std::pair<std::string, bool>>& order, std::string_view number_field);

  std::size_t PositionOf(const StoredRecord& record) const;

  // Cursors that hold the table open; whole-file rewrites wait for none.
  int cursors = 0;

 private:
  void FitToLayout(Row& values) const;
  // Both look only at the fields marked in `changed` when it is given.
  void CheckEncodable(const Row& values, const std::vector<bool>* changed = nullptr) const;
  void CheckKeys(const Row& values, const StoredRecord* self, const std::vector<bool>* changed = nullptr) const;
  void IndexRecord(StoredRecord* record);
  void UnindexRecord(StoredRecord* record);
  RecordRef MakeRecord(PackedRow values);
  // Gives the record `values` and returns its old ones.
  PackedRow ReplaceValues(StoredRecord& record, PackedRow values);
  // Sets only the fields marked in `changed`.
  void ChangeValues(StoredRecord& record, Row& values, const std::vector<bool>& changed);
  // Takes the record out of the indexes where `values` give it another key.
  template <typename Values>
  std::vector<RecordIndex*> UnindexMoved(StoredRecord& record, const Values& values, const std::vector<bool>* changed);
  void RefuseInUpdateGroup(std::string_view action) const;
  bool WritesFile() const { return file_ != nullptr && !held_aside_; }
  // A change at `position`: records from there on may hold nulls again.
  void ForgetFilledFrom(std::size_t position);
  // Loads the record at `position` and the unloaded ones after it.
  void LoadFrom(std::size_t position) const;
  // Packs a record read from the file into its place; it touches that
  // record alone, so that readers in several threads may call it.
  void TakeLoaded(StoredRecord& record, Row values) const;
  void CheckSameCount(std::size_t read) const;
  // Before the file changes: an index sorted afterwards reads no file.
  void DecodeIndexKeys() const;

  std::string name_;
  FieldDefs fields_;
  std::unique_ptr<formats::TableFile> file_;
  std::vector<RecordRef> records_;
  std::vector<std::unique_ptr<RecordIndex>> indexes_;  // primary first
  bool primary_from_file_ = false;
  std::uint64_t next_serial_ = 1;
  std::uint64_t version_ = 0;
  std::int64_t next_auto_inc_ = 1;
  std::vector<std::pair<RecordRef, PackedRow>>* update_group_ = nullptr;  // old values of the grouped updates
  bool held_aside_ = false;
  mutable std::vector<std::size_t> filled_prefix_;  // by column; see FilledPrefix
  mutable std::size_t unloaded_ = 0;                 // records still to be read from the file
  mutable std::vector<bool> decoded_;                // by field: readable in every unloaded record
};

}  // namespace veltra::db
