#pragma once
// Message boxes of the windows, shown through the ui service.
#include <string>

#include "platform/ui/ui_service.h"

namespace veltra::ui {

// A box with an OK button ("提示窗口" notices, "错误窗口" errors ...).
void ShowNotice(const std::string& text, const std::string& title,
                MessageKind kind = MessageKind::Information);

// A Yes/No question; true when the answer is Yes. Questions whose Yes
// deletes, empties or discards default to No, so that Enter keeps the data.
bool AskYesNo(const std::string& text, const std::string& title, Answer default_answer = Answer::Yes);

}  // namespace veltra::ui
