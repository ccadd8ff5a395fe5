#include "platform/ui/event_handler.h"

#include <QApplication>
#include <QWidget>

#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "platform/ui/ui_service.h"

namespace veltra::ui {

namespace {

constexpr const char* kShowsFieldNames = "veltraShowsFieldNames";

bool ActiveWindowShowsFieldNames() {
  const QWidget* active = QApplication::activeWindow();
  return active != nullptr && active->property(kShowsFieldNames).toBool();
}

}  // namespace

void ShowsFieldNames(QWidget& window) { window.setProperty(kShowsFieldNames, true); }

bool RunHandler(const std::function<void()>& handler) {
  if (!handler) return true;
  try {
    handler();
    return true;
  } catch (...) {
    ShowException(std::current_exception());
    return false;
  }
}

void ShowException(const std::exception_ptr& error) {
  std::string message;
  try {
    std::rethrow_exception(error);
  } catch (const SilentAbort&) {
    return;
  } catch (const std::exception& e) {
    const FieldNamesAsWritten naming(ActiveWindowShowsFieldNames());
    message = UserText(e);
  } catch (...) {
    message = "未知错误";
  }
  Ui().ShowMessage({MessageKind::Exception, "错误窗口", message, Buttons::Ok});
}

}  // namespace veltra::ui
