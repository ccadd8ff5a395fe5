#include "platform/ui/text_controls.h"

#include <QKeyEvent>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::ui {

int KeyCode(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Escape: return 27;
    default: return event.text().isEmpty() ? 0 : event.text().at(0).unicode();
  }
}

Edit::Edit(QWidget* parent, const std::string& name) : QLineEdit(parent) {
  NameComponent(*this, name);
  connect(this, &QLineEdit::textEdited, this, [this] { RunHandler(OnChange); });
}

std::string Edit::Text() const { return text().toStdString(); }

void Edit::SetText(const std::string& text) { setText(ToQString(text)); }

void Edit::SetPasswordChar(bool hidden) {
  setEchoMode(hidden ? Password : Normal);
  // The form library shows a typed password as asterisks.
  setStyleSheet(hidden ? QStringLiteral("lineedit-password-character: 42") : QString());
}

void Edit::keyPressEvent(QKeyEvent* event) {
  if (OnKeyDown) {
    const int key = KeyCode(*event);
    RunHandler([&] { OnKeyDown(key); });
  }
  QLineEdit::keyPressEvent(event);
}

Memo::Memo(QWidget* parent, const std::string& name) : QPlainTextEdit(parent) {
  NameComponent(*this, name);
}

std::vector<std::string> Memo::Lines() const {
  std::vector<std::string> lines;
  const QString text = toPlainText();
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
  return lines;
}

void Memo::SetLines(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined << ToQString(line);
  setPlainText(joined.join('\n'));
}

}  // namespace veltra::ui
