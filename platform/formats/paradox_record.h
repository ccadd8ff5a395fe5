#pragma once
// Conversion between one Paradox record's bytes and a Record of values.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/formats/paradox_header.h"
#include "platform/formats/paradox_memo.h"
#include "platform/formats/code_page.h"
#include "platform/formats/table_file.h"

namespace veltra::formats::paradox {

class RecordCodec {
 public:
  // The memo file is reached only for a value that does not fit its leader;
  // null when the file is missing, which reads such values as blank.
  using MemoSource = std::function<const MemoReader*()>;
  using MemoSink = std::function<MemoWriter&()>;

  RecordCodec(const std::vector<ParadoxField>& fields, int code_page, std::filesystem::path path);

  // Throws EngineError FileFormat naming the file, record (0-based) and field.
  Record Decode(const char* bytes, std::size_t record_number, const MemoSource& memos) const;
  // Decodes into `record` (one value per field) only the fields whose
  // indexes are listed; the others are left as they are.
  void DecodeFields(const char* bytes, std::size_t record_number, const MemoSource& memos,
                    const std::vector<std::size_t>& fields, Record& record) const;

  // Checks and encodes every value before any memo is stored, so a refused
  // record leaves nothing behind. Text is written in the table's code page.
  // A memo or blob that `previous` (the bytes the record replaces) already
  // holds keeps its place in the memo file. Throws EngineError TypeMismatch
  // or InvalidValue naming the field and file.
  // With `changed`, only the marked fields are encoded over `previous`.
  std::string Encode(const Record& record, const MemoSink& memos, const char* previous = nullptr,
                     const std::vector<bool>* changed = nullptr) const;
  // The same written to `bytes`, record_size() zero bytes (with `changed`,
  // the bytes of `previous`); after a refusal they hold a part of the record.
  void EncodeInto(const Record& record, const MemoSink& memos, char* bytes, const char* previous = nullptr,
                  const std::vector<bool>* changed = nullptr) const;
  std::size_t record_size() const { return record_size_; }
  // Refuses what Encode would refuse, storing nothing.
  void Check(const Record& record) const;

  // Where the values of a record's bytes that live in the memo file are.
  std::vector<BlobTail> MemoTails(const char* bytes) const;
  bool has_memo_fields() const { return !blob_fields_.empty(); }

  // Largest value of the + fields of `record` (0 when none).
  std::uint32_t MaxAutoIncrement(const Record& record) const;

 private:
  Value DecodeField(const ParadoxField& f, const char* p, const MemoSource& memos) const;
  // Called while a failure of DecodeField for field `i` is handled: raises
  // it again named by file, record and field (others pass unchanged).
  [[noreturn]] void RefuseUndecodable(std::size_t i, std::size_t record_number) const;
  void EncodeField(const ParadoxField& f, const Value& v, char* p, std::string& blob) const;

  std::vector<ParadoxField> fields_;
  std::vector<std::size_t> offsets_;
  std::vector<std::size_t> blob_fields_;  // indexes of the memo and blob fields
  std::size_t record_size_ = 0;
  bool has_auto_increment_ = false;
  CodePage code_page_;
  std::filesystem::path path_;
  // Text is decoded here before it is copied into its value; threads that
  // read one table side by side each use a copy of the codec.
  mutable std::string text_scratch_;
};

}  // namespace veltra::formats::paradox
