#include "platform/ui/event_handler.h"

#include <QCoreApplication>

#include "platform/types/error.h"
#include "platform/ui/ui_service.h"

namespace veltra::ui {

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
    message = e.what();
  } catch (...) {
    message = "Unknown error";
  }
  // Like the form library, the box carries the program's name.
  Ui().ShowMessage({MessageKind::Exception, QCoreApplication::applicationName().toStdString(),
                    message, Buttons::Ok});
}

}  // namespace veltra::ui
