#include "platform/formats/record_checks.h"

#include <string>

#include "platform/types/error.h"

namespace veltra::formats {

void CheckRecordWidth(const std::filesystem::path& file, const Record& record, std::size_t fields) {
  if (record.size() != fields) {
    throw EngineError(EngineError::Kind::InvalidValue,
                      file.string() + ": a record of " + std::to_string(record.size()) +
                          " values for " + std::to_string(fields) + " fields");
  }
}

void RefuseChangeWithoutMemoFile(const std::filesystem::path& table, const std::filesystem::path& memo) {
  ErrorSubject subject;
  subject.table = table.string();
  subject.reason = "备注文件" + memo.filename().string() + "不存在：备注字段读不出，表只能查看，不能修改";
  throw EngineError(EngineError::Kind::FileFormat, table.string() + ": " + subject.reason, subject);
}

void RefuseChangeToDamagedTable(const std::filesystem::path& table, const std::string& what) {
  ErrorSubject subject;
  subject.table = table.string();
  subject.reason = what + "，表只能查看，不能修改";
  throw EngineError(EngineError::Kind::FileFormat, "表" + table.string() + "已损坏（" + what + "）：表只能查看，不能修改",
                    subject);
}

void RefuseValue(const std::filesystem::path& table, const std::string& field, const std::string& value,
                 const std::string& why) {
  throw EngineError(EngineError::Kind::InvalidValue,
                    "表" + table.string() + "的字段“" + field + "”不能取值“" + value + "”：" + why,
                    {table.filename().string(), field, value, 0, 0, why});
}

void RefuseUnstorableText(const std::filesystem::path& table, const std::string& field, const std::string& value,
                          const std::string& why) {
  RefuseValue(table, field, value, why);
}

void RefuseDamagedRecord(const std::filesystem::path& table, std::size_t record, const std::string& field,
                         const std::string& why) {
  ErrorSubject subject;
  subject.table = table.string();
  subject.field = field;
  subject.reason = "第" + std::to_string(record + 1) + "条记录的字段“" + field + "”" + why;
  throw EngineError(EngineError::Kind::FileFormat, table.string() + ": " + subject.reason, subject);
}

void CheckRecordPosition(const std::filesystem::path& file, std::size_t position, std::size_t count) {
  if (position >= count) {
    throw EngineError(EngineError::Kind::State, file.string() + ": no record at position " +
                                                    std::to_string(position) + " of " +
                                                    std::to_string(count));
  }
}

}  // namespace veltra::formats
