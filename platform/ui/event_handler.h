#pragma once
// Runs the windows' event handlers. An exception that escapes a handler is
// shown in a message box and the program goes on; a silent abort ends the
// handler without a word.
#include <exception>
#include <functional>

namespace veltra::ui {

// Calls `handler` (when set), showing what escapes it. Returns false when
// it ended with an exception.
bool RunHandler(const std::function<void()>& handler);

// The exception display: a box with the exception's message.
void ShowException(const std::exception_ptr& error);

}  // namespace veltra::ui
