#include "platform/ui/event_handler.h"

#include "platform/types/error.h"
#include "platform/ui/error_text.h"
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
    message = UserText(e);
  } catch (...) {
    message = "未知错误";
  }
  Ui().ShowMessage({MessageKind::Exception, "错误窗口", message, Buttons::Ok});
}

}  // namespace veltra::ui
