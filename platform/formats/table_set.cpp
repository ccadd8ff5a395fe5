#include "platform/formats/table_set.h"

#include <string>
#include <utility>

#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::formats {

namespace {

[[noreturn]] void RefuseLeftover(const std::filesystem::path& table, std::string reason, std::string_view name) {
  ErrorSubject subject;
  subject.table = table.string();
  subject.reason = std::move(reason);
  throw EngineError(EngineError::Kind::FileFormat,
                    table.string() + ": a leftover of an interrupted write names a file it may not touch: " + std::string(name),
                    subject);
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsFileOfTableSet(const std::filesystem::path& table, std::string_view name) {
  return IsPlainFileName(name) && text::EqualsIgnoreAsciiCase(std::filesystem::path(name).stem().string(), table.stem().string());
}

void RefuseForeignName(const std::filesystem::path& table, std::string_view leftover, std::string_view name) {
  RefuseLeftover(table, "中断的写入留下的" + std::string(leftover) + "记有本表以外的文件“" + std::string(name) + "”，已按损坏处理，未作恢复",
                 name);
}

void RefuseNameOutsideFolder(const std::filesystem::path& table, const std::filesystem::path& folder, std::string_view name) {
  RefuseLeftover(table, "目录" + folder.string() + "中断的成组替换留下的替换记录记有该目录以外的文件“" + std::string(name) +
                            "”，已按损坏处理，未作恢复",
                 name);
}

}  // namespace veltra::formats
