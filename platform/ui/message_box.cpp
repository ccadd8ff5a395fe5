#include "platform/ui/message_box.h"

namespace veltra::ui {

void ShowNotice(const std::string& text, const std::string& title, MessageKind kind) {
  Ui().ShowMessage({kind, title, text, Buttons::Ok});
}

bool AskYesNo(const std::string& text, const std::string& title, Answer default_answer) {
  return Ui().ShowMessage({MessageKind::Question, title, text, Buttons::YesNo, default_answer}) == Answer::Yes;
}

}  // namespace veltra::ui
