#include "platform/ui/typed_text.h"

#include <QApplication>

#include "platform/ui/event_handler.h"

namespace veltra::ui {

bool HandOverFocusedText(const QWidget& within) {
  QWidget* focused = QApplication::focusWidget();
  if (focused == nullptr || !within.isAncestorOf(focused)) return true;
  for (QWidget* control = focused; control != nullptr; control = control->parentWidget()) {
    auto* holder = dynamic_cast<TypedTextHolder*>(control);
    if (holder == nullptr) continue;
    if (RunHandler([holder] { holder->HandOverTypedText(); })) return true;
    focused->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

}  // namespace veltra::ui
