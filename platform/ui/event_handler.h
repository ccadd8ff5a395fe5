#pragma once
// Runs the windows' event handlers. An exception that escapes a handler is
// shown in a message box and the program goes on; a silent abort ends the
// handler without a word.
#include <exception>
#include <functional>

class QWidget;

namespace veltra::ui {

// Marks `window` as one that shows a table's own field names, so that the
// errors shown while it is the active window name fields so too.
void ShowsFieldNames(QWidget& window);

// Calls `handler` (when set), showing what escapes it. Returns false when
// it ended with an exception.
bool RunHandler(const std::function<void()>& handler);

// The exception display: a box with the exception's message.
void ShowException(const std::exception_ptr& error);

}  // namespace veltra::ui
