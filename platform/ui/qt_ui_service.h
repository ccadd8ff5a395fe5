#pragma once
// The service of a running program: real Qt message boxes and dialogs.
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
};

}  // namespace veltra::ui
