#include "app/ui_prompts.h"

#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"

namespace veltra::app {

void UiPrompts::Notice(const std::string& text, const std::string& title) { ui::ShowNotice(text, title); }

bool UiPrompts::AskYesNo(const std::string& text, const std::string& title) { return ui::AskYesNo(text, title); }

bool UiPrompts::Execute(FileDialogState& dialog) {
  ui::OpenDialog open;
  open.title = dialog.title;
  open.filter = dialog.filter;
  open.file_name = dialog.file_name;
  open.default_extension = dialog.default_extension;
  if (!open.Execute()) return false;
  dialog.file_name = open.file_name;
  return true;
}

}  // namespace veltra::app
