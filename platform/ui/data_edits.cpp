#include "platform/ui/data_edits.h"

#include <QKeyEvent>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::ui {

DBEdit::DBEdit(QWidget* parent, const std::string& name)
    : FieldLineEdit(parent), FieldBinding([this] { ShowField(); }, [this] { WriteField(); }) {
  NameComponent(*this, name);
}

void DBEdit::ShowField() {
  link_.DropPending();
  ShowValue(link_.Field());
}

void DBEdit::WriteField() {
  db::Field* field = link_.TakePendingField();
  if (field == nullptr) return;
  try {
    StoreInto(*field);
  } catch (...) {
    // The typed text stays pending: the record cannot be posted without
    // it until the user mends or cancels it.
    link_.BeginTyping();
    throw;
  }
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
  // Windows give fields their masks after the tables open.
  const db::Field* field = link_.Field();
  if (!link_.Pending() && field != nullptr && field->EditMask() != Mask().spec()) ShowField();
  if (!ChangesText(*event)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (isReadOnly() || !link_.BeginTyping()) return;
  TypeKey(event);
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
  // Another window coming up (a message box) is no leaving of the edit.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
    QLineEdit::focusOutEvent(event);
    return;
  }
  const bool written = RunHandler([this] { WriteField(); });
  QLineEdit::focusOutEvent(event);
  // A value the field cannot take keeps the focus for its correction.
  if (!written) setFocus(Qt::OtherFocusReason);
}

DBMemo::DBMemo(QWidget* parent, const std::string& name)
    : QPlainTextEdit(parent), FieldBinding([this] { ShowField(); }, [this] { WriteField(); }) {
  NameComponent(*this, name);
}

void DBMemo::ShowField() {
  link_.DropPending();
  const db::Field* field = link_.Field();
  setPlainText(field != nullptr ? ToQString(field->AsString()) : QString());
}

void DBMemo::WriteField() {
  if (db::Field* field = link_.TakePendingField()) StoreText(*field, Text());
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
  if (ChangesText(*event) || event->key() == Qt::Key_Return) {
    if (isReadOnly() || !link_.BeginTyping()) return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
  RunHandler([this] { WriteField(); });
  QPlainTextEdit::focusOutEvent(event);
}

}  // namespace veltra::ui
