#include "platform/types/field.h"

#include "platform/text/ascii.h"

namespace veltra {

std::string_view FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::String: return "String";
    case FieldType::Float: return "Float";
    case FieldType::SmallInt: return "SmallInt";
    case FieldType::Integer: return "Integer";
    case FieldType::AutoInc: return "AutoInc";
    case FieldType::Money: return "Money";
    case FieldType::Bcd: return "Bcd";
    case FieldType::Date: return "Date";
    case FieldType::Time: return "Time";
    case FieldType::DateTime: return "DateTime";
    case FieldType::Boolean: return "Boolean";
    case FieldType::Memo: return "Memo";
    case FieldType::FmtMemo: return "FmtMemo";
    case FieldType::Blob: return "Blob";
    case FieldType::Graphic: return "Graphic";
    case FieldType::Ole: return "Ole";
    case FieldType::Bytes: return "Bytes";
  }
  return "Unknown";
}

std::string_view FieldTypeWord(FieldType type) {
  switch (type) {
    case FieldType::String: return "字符";
    case FieldType::Float: return "数值";
    case FieldType::SmallInt: return "短整数";
    case FieldType::Integer: return "整数";
    case FieldType::AutoInc: return "自动编号";
    case FieldType::Money: return "货币";
    case FieldType::Bcd: return "压缩十进制";
    case FieldType::Date: return "日期";
    case FieldType::Time: return "时间";
    case FieldType::DateTime: return "日期时间";
    case FieldType::Boolean: return "逻辑";
    case FieldType::Memo: return "备注";
    case FieldType::FmtMemo: return "格式备注";
    case FieldType::Blob: return "二进制";
    case FieldType::Graphic: return "图形";
    case FieldType::Ole: return "嵌入对象";
    case FieldType::Bytes: return "字节";
  }
  return "未知类型";
}

bool IsTextType(FieldType type) { return type == FieldType::String || type == FieldType::Memo; }

bool IsNumericType(FieldType type) {
  switch (type) {
    case FieldType::Float:
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Money:
    case FieldType::Bcd:
      return true;
    default:
      return false;
  }
}

bool IsBlobType(FieldType type) {
  switch (type) {
    case FieldType::Memo:
    case FieldType::FmtMemo:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Ole:
      return true;
    default:
      return false;
  }
}

int FindField(const FieldDefs& fields, std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (text::EqualsIgnoreAsciiCase(fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace veltra
