#include "mainunit/ui_prompts.h"

#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"

namespace veltra::mainunit {

void UiPrompts::Notice(const std::string& text, const std::string& title) { ui::ShowNotice(text, title); }

void UiPrompts::Error(const std::string& text, const std::string& title) {
  ui::ShowNotice(text, title, ui::MessageKind::Error);
}

bool UiPrompts::AskYesNo(const std::string& text, const std::string& title) { return ui::AskYesNo(text, title); }

bool UiPrompts::Confirm(const std::string& text, const std::string& title) {
  return ui::AskYesNo(text, title, ui::Answer::No);
}

bool UiPrompts::Execute(ui::FileDialog& dialog) { return dialog.Execute(); }

}  // namespace veltra::mainunit
