#include "platform/ui/error_text.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <cerrno>
#include <filesystem>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "platform/types/error.h"

namespace veltra::ui {
namespace {

FieldCaptionLookup& CaptionLookup() {
  static FieldCaptionLookup lookup;
  return lookup;
}

bool IsPlainAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// A table by its file name; a file that is no table (a PDF, an attachment) as a file.
std::string TableText(const ErrorSubject& subject) {
  if (subject.table.empty()) return "数据表";
  static constexpr std::array<std::string_view, 6> kTableExtensions = {"", ".db", ".dbf", ".txt", ".mb", ".dbt"};
  const std::string extension = text::ToAsciiLower(std::filesystem::path(subject.table).extension().string());
  const bool table = std::find(kTableExtensions.begin(), kTableExtensions.end(), extension) != kTableExtensions.end();
  return (table ? "表" : "文件") + FileName(subject.table);
}

bool& NamesAsWritten() {
  static bool as_written = false;
  return as_written;
}

std::string FieldText(const ErrorSubject& subject) {
  std::string caption;
  if (CaptionLookup() && !NamesAsWritten()) caption = CaptionLookup()(FileName(subject.table), subject.field);
  return "字段“" + (caption.empty() ? subject.field : caption) + "”";
}

std::string StatementPlace(const ErrorSubject& subject) {
  return "SQL语句第" + std::to_string(subject.line) + "行第" + std::to_string(subject.column) + "列";
}

// "：why" after a statement of what failed, or nothing when no why is known.
std::string Why(const std::string& reason) { return reason.empty() ? std::string() : "：" + reason; }

// Why the system refused a read or write, from its error number.
std::string IoCause(const ErrorSubject& s) {
  switch (s.os_error) {
    case ENOSPC:
    case EDQUOT: return "磁盘空间已满";
    case EACCES:
    case EPERM:
    case EROFS: return "没有读写权限（文件或所在文件夹是只读的）";
    case EFBIG: return "文件超出了系统允许的大小";
    case ENOENT: {
      const std::filesystem::path folder = std::filesystem::path(s.table).parent_path();
      std::error_code ignored;
      if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        return "文件夹“" + folder.string() + "”不存在";
      }
      return "文件不存在";
    }
    case 0: return s.reason;
    default: return "系统错误（错误号" + std::to_string(s.os_error) + "）";
  }
}

// A value refused by a field, or by an expression when no field is named.
std::string RefusedValue(const ErrorSubject& s, const char* without_field) {
  if (!s.field.empty() && s.value.empty()) return TableText(s) + "的" + FieldText(s) + s.reason;
  if (!s.field.empty()) return TableText(s) + "的" + FieldText(s) + "不能取值“" + s.value + "”" + Why(s.reason);
  if (!s.table.empty()) return TableText(s) + Why(s.reason.empty() ? without_field : s.reason);
  return s.reason.empty() ? std::string(without_field) : s.reason;
}

// What an operation the engine does not offer is about: a statement's
// word, a table's field, or a table.
std::string Unsupported(const ErrorSubject& s) {
  if (s.line > 0) return StatementPlace(s) + (s.reason.empty() ? "的“" + s.value + "”不受支持" : Why(s.reason));
  if (!s.field.empty()) return TableText(s) + "的" + FieldText(s) + s.reason;
  if (!s.table.empty()) return TableText(s) + s.reason;
  return s.reason.empty() ? std::string("不支持此操作") : s.reason;
}

std::string EngineText(const EngineError& error) {
  using Kind = EngineError::Kind;
  const ErrorSubject& s = error.subject();
  const bool field = !s.field.empty();
  // Whatever its kind, a refusal at a place in a statement says where.
  if (s.line > 0 && !s.reason.empty()) return StatementPlace(s) + Why(s.reason);
  switch (error.kind()) {
    case Kind::KeyViolation: return TableText(s) + "中已有关键字相同的记录";
    case Kind::IndexViolation: return TableText(s) + "中已有记录在唯一索引" + s.field + "上的值与此相同";
    // A constraint's message is the rule's own text.
    case Kind::ConstraintFailed:
      return s.table.empty() ? error.what() : "记录不满足" + TableText(s) + "的校验条件：" + error.what();
    case Kind::NoSuchTable: return s.table.empty() ? "数据表不存在" : TableText(s) + "不存在";
    case Kind::NoSuchField:
      if (!s.reason.empty()) return FieldText(s) + s.reason;
      return field ? TableText(s) + "中没有" + FieldText(s) : TableText(s) + "中没有所需的字段";
    case Kind::NoSuchIndex: return TableText(s) + "中没有索引" + s.field;
    case Kind::Syntax:
      if (s.line > 0) return StatementPlace(s) + (s.value.empty() ? "处不完整" : "“" + s.value + "”附近有语法错误");
      return s.reason.empty() ? std::string("SQL语句有错，不能执行") : s.reason;
    case Kind::Unsupported: return Unsupported(s);
    case Kind::TypeMismatch:
      if (!field && s.table.empty() && !s.reason.empty()) return "数据类型不符" + Why(s.reason);
      return RefusedValue(s, "数据类型不符");
    case Kind::InvalidValue: return RefusedValue(s, "输入的值无效");
    case Kind::InvalidName: return "名称“" + s.value + "”不能用作表名或字段名" + Why(s.reason);
    case Kind::FileFormat: return TableText(s) + "的文件已损坏或不是可读的表" + Why(s.reason);
    case Kind::Io: return TableText(s) + "读写失败" + Why(IoCause(s));
    case Kind::TableBusy: return TableText(s) + "正在使用中，请先关闭";
    case Kind::State:
      if (!s.reason.empty()) return (s.table.empty() ? std::string() : TableText(s)) + s.reason;
      return s.table.empty() ? "当前状态下不能进行此操作" : TableText(s) + "未打开或不在可进行此操作的状态";
  }
  return "程序错误：未知的错误类别";
}

}  // namespace

void SetFieldCaptionLookup(FieldCaptionLookup lookup) { CaptionLookup() = std::move(lookup); }

FieldNamesAsWritten::FieldNamesAsWritten(bool on) : previous_(NamesAsWritten()) { NamesAsWritten() = previous_ || on; }

FieldNamesAsWritten::~FieldNamesAsWritten() { NamesAsWritten() = previous_; }

std::string UserText(const std::exception& error) {
  // A damaged file's raw bytes may be quoted in a message: shown escaped.
  const std::string message = text::EscapeInvalidUtf8(error.what());
  if (const auto* engine = dynamic_cast<const EngineError*>(&error)) {
    return engine->worded() ? message : text::EscapeInvalidUtf8(EngineText(*engine));
  }
  // The windows' own refusals are written in the user's words.
  if (!IsPlainAscii(message)) return message;
  return "程序错误：" + message;
}

}  // namespace veltra::ui
