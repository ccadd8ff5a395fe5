#pragma once
// Open and save dialogs as the windows use them: a title, a filter in the
// form "text|pattern|text|pattern" (several patterns joined by ';'), a
// 1-based filter index, a default extension, and the file name, which is
// kept from one run to the next.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui_service.h"

namespace veltra::ui {

std::vector<FileFilter> ParseFileFilter(std::string_view filter);

class FileDialog {
 public:
  explicit FileDialog(FileDialogKind kind) : kind_(kind) {}

  std::string title;
  std::string filter;
  int filter_index = 1;
  std::string default_extension;  // "db", ".db" or "*.db"
  std::string file_name;

  // Runs the dialog through the ui service. On OK, `file_name` and
  // `filter_index` hold the choice and the result is true.
  bool Execute();

 private:
  FileDialogKind kind_;
};

class OpenDialog : public FileDialog {
 public:
  OpenDialog() : FileDialog(FileDialogKind::Open) {}
};

class SaveDialog : public FileDialog {
 public:
  SaveDialog() : FileDialog(FileDialogKind::Save) {}
};

}  // namespace veltra::ui
