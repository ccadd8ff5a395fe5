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

void RefuseLinkedFile(const std::filesystem::path& table, const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) return;
  ErrorSubject subject;
  subject.table = table.string();
  subject.reason = "的文件“" + file.string() + "”是符号链接：来自别处的目录中，表的文件不经符号链接写入或替换";
  throw EngineError(EngineError::Kind::Unsupported, file.string() + " is a symbolic link in a folder from elsewhere", subject);
}

void RefuseLinkedFiles(const std::filesystem::path& table) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(table.has_parent_path() ? table.parent_path() : ".", error), end;
       !error && it != end; it.increment(error)) {
    if (IsFileOfTableSet(table, it->path().filename().string())) RefuseLinkedFile(table, it->path());
  }
}

void RefuseNameOutsideFolder(const std::filesystem::path& table, const std::filesystem::path& folder, std::string_view name) {
  RefuseLeftover(table, "目录" + folder.string() + "中断的成组替换留下的替换记录记有该目录以外的文件“" + std::string(name) +
                            "”，已按损坏处理，未作恢复",
                 name);
}

}  // namespace veltra::formats
