#include "platform/ui/ui_service.h"

#include "platform/ui/qt_ui_service.h"

namespace veltra::ui {
namespace {

UiService* installed = nullptr;

}  // namespace

UiService& Ui() {
  static QtUiService qt_service;
  return installed != nullptr ? *installed : qt_service;
}

UiService* InstallUiService(UiService* service) {
  UiService* previous = installed;
  installed = service;
  return previous;
}

}  // namespace veltra::ui
