#include "platform/formats/paradox_record.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/formats/paradox_codec.h"
#include "platform/formats/record_checks.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::formats::paradox {
namespace {

constexpr double kMsPerDay = 86400000.0;

std::string_view KindName(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::Null: return "null";
    case Value::Kind::Text: return "text";
    case Value::Kind::Float: return "a number";
    case Value::Kind::Integer: return "an integer";
    case Value::Kind::Boolean: return "a logical value";
    case Value::Kind::Date: return "a date";
    case Value::Kind::Time: return "a time";
    case Value::Kind::DateTime: return "a timestamp";
    case Value::Kind::Bytes: return "binary data";
  }
  return "a value";
}

bool KindFits(FieldType type, const Value& v) {
  switch (type) {
    case FieldType::String:
    case FieldType::Memo: return v.kind() == Value::Kind::Text;
    case FieldType::Float:
    case FieldType::Money:
    case FieldType::Bcd: return v.is_number();
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc: return v.kind() == Value::Kind::Integer;
    case FieldType::Date: return v.kind() == Value::Kind::Date;
    case FieldType::Time: return v.kind() == Value::Kind::Time;
    case FieldType::DateTime: return v.kind() == Value::Kind::DateTime;
    case FieldType::Boolean: return v.kind() == Value::Kind::Boolean;
    default: return v.kind() == Value::Kind::Bytes;
  }
}

}  // namespace

RecordCodec::RecordCodec(const std::vector<ParadoxField>& fields, int code_page, std::filesystem::path path)
    : fields_(fields), code_page_(CodePage::ForNumber(code_page)), path_(std::move(path)) {
  for (const ParadoxField& f : fields_) {
    if (IsBlobType(f.def.type)) blob_fields_.push_back(offsets_.size());
    if (f.def.type == FieldType::AutoInc) has_auto_increment_ = true;
    offsets_.push_back(record_size_);
    record_size_ += static_cast<std::size_t>(f.width);
  }
}

Record RecordCodec::Decode(const char* bytes, std::size_t record_number, const MemoSource& memos) const {
  Record record;
  record.reserve(fields_.size());
  std::size_t i = 0;
  try {
    for (; i < fields_.size(); ++i) record.push_back(DecodeField(fields_[i], bytes + offsets_[i], memos));
  } catch (...) {
    RefuseUndecodable(i, record_number);
  }
  return record;
}

void RecordCodec::DecodeFields(const char* bytes, std::size_t record_number, const MemoSource& memos,
                               const std::vector<std::size_t>& fields, Record& record) const {
  std::size_t at = 0;
  try {
    for (; at < fields.size(); ++at) {
      const std::size_t i = fields[at];
      record[i] = DecodeField(fields_[i], bytes + offsets_[i], memos);
    }
  } catch (...) {
    RefuseUndecodable(fields[at], record_number);
  }
}

void RecordCodec::RefuseUndecodable(std::size_t i, std::size_t record_number) const {
  try {
    throw;
  } catch (const CorruptFieldError&) {
    RefuseDamagedRecord(path_, record_number, fields_[i].def.name, "的值不可能");
  } catch (const text::TextError& e) {
    RefuseDamagedRecord(path_, record_number, fields_[i].def.name, "中的文字无法识别：" + std::string(e.what()));
  }
}

Value RecordCodec::DecodeField(const ParadoxField& f, const char* p, const MemoSource& memos) const {
  switch (f.def.type) {
    case FieldType::String: {
      const std::size_t n = strnlen(p, static_cast<std::size_t>(f.width));
      return n == 0 ? Value() : Value::Text(code_page_.DecodeView({p, n}, text_scratch_));
    }
    case FieldType::Bytes: {
      // Fixed width: trailing zero bytes belong to the value; all zero is blank.
      const std::string_view stored(p, static_cast<std::size_t>(f.width));
      return stored.find_first_not_of('\0') == std::string_view::npos ? Value() : Value::FromBytes(std::string(stored));
    }
    case FieldType::Float:
    case FieldType::Money: {
      const auto v = DecodeDouble(p);
      return v ? Value::Float(*v) : Value();
    }
    case FieldType::Bcd: {
      const auto v = DecodeBcd(p);
      return v ? Value::Float(*v) : Value();
    }
    case FieldType::SmallInt: {
      const auto v = DecodeShort(p);
      return v ? Value::Integer(*v) : Value();
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
      const auto v = DecodeLong(p);
      return v ? Value::Integer(*v) : Value();
    }
    case FieldType::Date: {
      const auto v = DecodeLong(p);
      return v ? Value::FromDate(Date{*v}) : Value();
    }
    case FieldType::Time: {
      const auto v = DecodeLong(p);
      if (v && (*v < 0 || *v >= kMsPerDay)) throw CorruptFieldError("time out of range");
      return v ? Value::FromTime(Time{*v}) : Value();
    }
    case FieldType::DateTime: {
      const auto v = DecodeDouble(p);
      if (!v) return Value();
      const double day = std::floor(*v / kMsPerDay);
      if (!(day >= 0 && day <= std::numeric_limits<std::int32_t>::max())) {
        throw CorruptFieldError("timestamp out of range");
      }
      const auto ms = static_cast<std::int32_t>(std::llround(*v - day * kMsPerDay));
      return Value::FromDateTime({Date{static_cast<std::int32_t>(day)}, Time{std::min(ms, 86399999)}});
    }
    case FieldType::Boolean:
      if (p[0] == 0) return Value();
      return Value::Boolean(p[0] != static_cast<char>(0x80));
    default: break;
  }
  // Memo and blob kinds: leader, then the tail.
  const int leader = f.width - kBlobTailSize;
  const BlobTail tail = LoadBlobTail(p + leader);
  std::string data;
  if (tail.length <= static_cast<std::uint32_t>(leader)) {
    data.assign(p, tail.length);
  } else if (const MemoReader* reader = memos()) {
    data = reader->Read(tail, f.def.type == FieldType::Graphic);
  } else {
    return Value();
  }
  if (f.def.type == FieldType::Memo) return Value::Text(code_page_.DecodeView(data, text_scratch_));
  return Value::FromBytes(std::move(data));
}

std::string RecordCodec::Encode(const Record& record, const MemoSink& memos, const char* previous,
                                const std::vector<bool>* changed) const {
  std::string bytes = changed ? std::string(previous, record_size_) : std::string(record_size_, '\0');
  EncodeInto(record, memos, bytes.data(), previous, changed);
  return bytes;
}

void RecordCodec::EncodeInto(const Record& record, const MemoSink& memos, char* bytes, const char* previous,
                             const std::vector<bool>* changed) const {
  CheckRecordWidth(path_, record, fields_.size());
  std::vector<std::pair<std::size_t, std::string>> blobs;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const ParadoxField& f = fields_[i];
    const Value& v = record[i];
    if (changed) {
      if (i < changed->size() && !(*changed)[i]) continue;
      std::memset(bytes + offsets_[i], 0, static_cast<std::size_t>(f.width));
    }
    if (v.is_null()) continue;
    if (!KindFits(f.def.type, v)) {
      throw EngineError(EngineError::Kind::TypeMismatch,
                        "field " + f.def.name + " of " + path_.string() + " holds " +
                            std::string(FieldTypeName(f.def.type)) + ", not " + std::string(KindName(v.kind())));
    }
    std::string blob;
    try {
      EncodeField(f, v, bytes + offsets_[i], blob);
    } catch (const text::TextError& e) {
      RefuseUnstorableText(path_, f.def.name, v.ToDisplayText(), e.what());
    }
    if (!blob.empty()) blobs.emplace_back(i, std::move(blob));
  }
  for (auto& [i, blob] : blobs) {
    const ParadoxField& f = fields_[i];
    char* p = bytes + offsets_[i];
    const std::size_t leader = static_cast<std::size_t>(f.width - kBlobTailSize);
    std::memcpy(p, blob.data(), std::min(leader, blob.size()));
    BlobTail tail{0, static_cast<std::uint32_t>(blob.size()), 0};
    if (blob.size() > leader) {
      const char* before = previous ? previous + offsets_[i] : nullptr;
      const bool unchanged = before && std::memcmp(before, p, leader) == 0 &&
                             memos().Holds(LoadBlobTail(before + leader), blob);
      tail = unchanged ? LoadBlobTail(before + leader) : memos().Store(blob);
    }
    StoreBlobTail(tail, p + leader);
  }
}

std::vector<BlobTail> RecordCodec::MemoTails(const char* bytes) const {
  std::vector<BlobTail> tails;
  for (std::size_t i : blob_fields_) {
    const int leader = fields_[i].width - kBlobTailSize;
    const BlobTail tail = LoadBlobTail(bytes + offsets_[i] + leader);
    if (tail.length > static_cast<std::uint32_t>(leader)) tails.push_back(tail);
  }
  return tails;
}

void RecordCodec::Check(const Record& record) const {
  MemoWriter nowhere(kMemoUnit, [](std::uint64_t, std::string_view) {});
  Encode(record, [&]() -> MemoWriter& { return nowhere; });
}

void RecordCodec::EncodeField(const ParadoxField& f, const Value& v, char* p, std::string& blob) const {
  const auto invalid = [&](const std::string& what) {
    RefuseValue(path_, f.def.name, v.ToDisplayText(), what);
  };
  const auto day_of = [&](Date d) {
    if (d.day < 1) invalid("日期不能早于0001-01-01");
    return d.day;
  };
  switch (f.def.type) {
    case FieldType::String: code_page_.EncodeTruncatedInto(v.text(), static_cast<std::size_t>(f.width), p); return;
    case FieldType::Memo: blob = code_page_.Encode(v.text()); return;
    case FieldType::Bytes:
      if (v.bytes().size() > static_cast<std::size_t>(f.width)) invalid("最多只能存放" + std::to_string(f.width) + "个字节");
      std::memcpy(p, v.bytes().data(), v.bytes().size());
      return;
    case FieldType::Float:
    case FieldType::Money: EncodeDouble(v.AsDouble(), p); return;
    case FieldType::Bcd:
      if (!EncodeBcd(v.AsDouble(), f.size_byte, p)) invalid("超出了32位数字");
      return;
    case FieldType::SmallInt:
      if (v.integer() < -32767 || v.integer() > 32767) invalid("短整数字段只能存放-32767至32767");
      EncodeShort(static_cast<std::int16_t>(v.integer()), p);
      return;
    case FieldType::Integer:
    case FieldType::AutoInc:
      if (v.integer() < -2147483647 || v.integer() > 2147483647) invalid("整数字段只能存放-2147483647至2147483647");
      EncodeLong(static_cast<std::int32_t>(v.integer()), p);
      return;
    case FieldType::Date: EncodeLong(day_of(v.date()), p); return;
    case FieldType::Time:
      if (v.time().millisecond < 0 || v.time().millisecond >= kMsPerDay) invalid("时间须在一天之内");
      EncodeLong(v.time().millisecond, p);
      return;
    case FieldType::DateTime:
      if (v.date_time().time.millisecond < 0 || v.date_time().time.millisecond >= kMsPerDay) invalid("时间须在一天之内");
      EncodeDouble(day_of(v.date_time().date) * kMsPerDay + v.date_time().time.millisecond, p);
      return;
    case FieldType::Boolean: p[0] = static_cast<char>(v.boolean() ? 0x81 : 0x80); return;
    default: blob = v.bytes(); return;  // blob kinds
  }
}

std::uint32_t RecordCodec::MaxAutoIncrement(const Record& record) const {
  std::uint32_t max = 0;
  if (!has_auto_increment_) return max;
  for (std::size_t i = 0; i < fields_.size() && i < record.size(); ++i) {
    if (fields_[i].def.type == FieldType::AutoInc && record[i].kind() == Value::Kind::Integer && record[i].integer() > 0) {
      max = std::max(max, static_cast<std::uint32_t>(record[i].integer()));
    }
  }
  return max;
}

}  // namespace veltra::formats::paradox
