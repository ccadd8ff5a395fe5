#include "platform/ui/message_box.h"

namespace veltra::ui {

void ShowNotice(const std::string& text, const std::string& title, MessageKind kind) {
  Ui().ShowMessage({kind, title, text, Buttons::Ok});
}

bool AskYesNo(const std::string& text, const std::string& title) {
  return Ui().ShowMessage({MessageKind::Question, title, text, Buttons::YesNo}) == Answer::Yes;
}

}  // namespace veltra::ui
