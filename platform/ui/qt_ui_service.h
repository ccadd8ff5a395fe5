#pragma once
// The service of a running program: real Qt message boxes and dialogs.
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "platform/ui/ui_service.h"

namespace veltra::ui {

class QtUiService : public UiService {
 public:
  Answer ShowMessage(const MessageRequest& request) override;
  std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
  int RunModal(Form& form) override;
  int ScreenWidth() override;

  // The box and the dialog as they are run, for a look without running them.
  static std::unique_ptr<QMessageBox> MessageBoxFor(const MessageRequest& request);
  static std::unique_ptr<QFileDialog> FileDialogFor(const FileDialogRequest& request);
};

}  // namespace veltra::ui
