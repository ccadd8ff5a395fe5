#include "platform/ui/file_dialog.h"

namespace veltra::ui {
namespace {

std::vector<std::string> Split(std::string_view s, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = s.find(separator, start)) != std::string_view::npos; start = end + 1) {
    parts.emplace_back(s.substr(start, end - start));
  }
  parts.emplace_back(s.substr(start));
  return parts;
}

std::string BareExtension(std::string_view extension) {
  while (!extension.empty() && (extension.front() == '*' || extension.front() == '.')) {
    extension.remove_prefix(1);
  }
  return std::string(extension);
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  std::vector<FileFilter> filters;
  if (filter.empty()) return filters;
  const std::vector<std::string> parts = Split(filter, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    FileFilter entry{parts[i], {}};
    // A description without its pattern filters by the description.
    const std::string& patterns = i + 1 < parts.size() ? parts[i + 1] : parts[i];
    for (const std::string& pattern : Split(patterns, ';')) {
      if (!pattern.empty()) entry.patterns.push_back(pattern);
    }
    filters.push_back(std::move(entry));
  }
  return filters;
}

bool FileDialog::Execute() {
  const FileDialogRequest request{kind_, title, ParseFileFilter(filter), filter_index,
                                  BareExtension(default_extension), file_name};
  const std::optional<FileDialogResult> result = Ui().RunFileDialog(request);
  if (!result) return false;
  file_name = result->file_name;
  filter_index = result->filter_index;
  return true;
}

}  // namespace veltra::ui
