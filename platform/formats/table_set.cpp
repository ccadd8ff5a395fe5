#include "platform/formats/table_set.h"

#include <string>

#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {

bool IsFileOfTableSet(const std::filesystem::path& table, std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) {
    return false;
  }
  return text::EqualsIgnoreAsciiCase(std::filesystem::path(name).stem().string(), table.stem().string());
}

void RefuseForeignName(const std::filesystem::path& table, std::string_view leftover, std::string_view name) {
  ErrorSubject subject;
  subject.table = table.string();
  subject.reason = "中断的写入留下的" + std::string(leftover) + "记有本表以外的文件“" + std::string(name) + "”，已按损坏处理，未作恢复";
  throw EngineError(EngineError::Kind::FileFormat,
                    table.string() + ": a leftover of an interrupted write names a file outside the table's set: " +
                        std::string(name),
                    subject);
}

}  // namespace veltra::formats
