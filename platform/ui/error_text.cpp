#include "platform/ui/error_text.h"

#include <algorithm>
#include <filesystem>

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

std::string TableText(const ErrorSubject& subject) {
  return subject.table.empty() ? std::string("数据表") : "表" + subject.table;
}

std::string FieldText(const ErrorSubject& subject) {
  std::string caption;
  if (CaptionLookup()) caption = CaptionLookup()(std::filesystem::path(subject.table).filename().string(), subject.field);
  return "字段“" + (caption.empty() ? subject.field : caption) + "”";
}

std::string StatementPlace(const ErrorSubject& subject) {
  return "SQL语句第" + std::to_string(subject.line) + "行第" + std::to_string(subject.column) + "列";
}

std::string EngineText(const EngineError& error) {
  using Kind = EngineError::Kind;
  const ErrorSubject& s = error.subject();
  const bool field = !s.field.empty();
  switch (error.kind()) {
    case Kind::KeyViolation: return TableText(s) + "中已有关键字相同的记录";
    case Kind::IndexViolation: return TableText(s) + "中已有记录在唯一索引" + s.field + "上的值与此相同";
    case Kind::ConstraintFailed: return "记录不满足" + TableText(s) + "的校验条件：" + error.what();
    case Kind::NoSuchTable: return s.table.empty() ? "数据表不存在" : TableText(s) + "不存在";
    case Kind::NoSuchField: return field ? TableText(s) + "中没有" + FieldText(s) : TableText(s) + "中没有所需的字段";
    case Kind::NoSuchIndex: return TableText(s) + "中没有索引" + s.field;
    case Kind::Syntax:
      if (s.line > 0) return StatementPlace(s) + (s.value.empty() ? "处不完整" : "“" + s.value + "”附近有语法错误");
      return std::string("SQL语句有错，不能执行：") + error.what();
    case Kind::Unsupported:
      if (s.line > 0) return StatementPlace(s) + "的“" + s.value + "”不受支持";
      return std::string("SQL语句有错，不能执行：") + error.what();
    case Kind::TypeMismatch: return TableText(s) + "的字段类型不符";
    case Kind::InvalidValue:
      if (!field) return "输入的值无效";
      return TableText(s) + "的" + FieldText(s) + "不能取值“" + s.value + "”" + (s.reason.empty() ? "" : "：" + s.reason);
    case Kind::InvalidName: return "名称“" + s.value + "”不能用作表名或字段名";
    case Kind::FileFormat: return TableText(s) + "的文件已损坏或不是可读的表";
    case Kind::Io: return TableText(s) + "读写失败";
    case Kind::TableBusy: return TableText(s) + "正在使用中，请先关闭";
    case Kind::State: return s.table.empty() ? "当前状态下不能进行此操作" : TableText(s) + "未打开或不在可进行此操作的状态";
  }
  return error.what();
}

}  // namespace

void SetFieldCaptionLookup(FieldCaptionLookup lookup) { CaptionLookup() = std::move(lookup); }

std::string UserText(const std::exception& error) {
  const std::string message = error.what();
  const auto* engine = dynamic_cast<const EngineError*>(&error);
  // An error that names what it is about is the engine's own, whatever
  // characters the refused value brings into its message.
  if (engine != nullptr &&
      (!engine->subject().table.empty() || !engine->subject().field.empty() || engine->subject().line > 0)) {
    return EngineText(*engine);
  }
  if (!IsPlainAscii(message)) return message;
  if (engine != nullptr) return EngineText(*engine);
  return "程序错误：" + message;
}

}  // namespace veltra::ui
