#include "platform/ui/status_controls.h"

#include <algorithm>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::ui {

StatusBar::StatusBar(QWidget* parent, const std::string& name) : QLabel(parent) {
  NameComponent(*this, name);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void StatusBar::SetSimpleText(const std::string& text) { setText(ToQString(text)); }

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  RunHandler(OnDblClick);
}

ProgressBar::ProgressBar(QWidget* parent, const std::string& name) : QProgressBar(parent) {
  NameComponent(*this, name);
  setRange(0, 100);
  setTextVisible(false);  // a plain bar, without a percentage
}

void ProgressBar::SetPosition(int position) { setValue(position); }

void ProgressBar::SetMax(int max) {
  // Qt draws a range of nothing as a busy animation; a bar with nothing to
  // do yet is empty.
  setMaximum(std::max(max, minimum() + 1));
}

}  // namespace veltra::ui
