#include "platform/ui/field_line_edit.h"

#include <QKeyEvent>
#include <QValidator>

#include "platform/db/dataset.h"
#include "platform/types/error.h"
#include "platform/ui/component.h"
#include "platform/ui/gbk_size_validator.h"

namespace veltra::ui {

bool ChangesText(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete) return true;
  if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut)) return true;
  const QString typed = event.text();
  return !typed.isEmpty() && typed.at(0) >= QChar(' ') && typed.at(0) != QChar(0x7f);
}

void StoreText(db::Field& field, const std::string& text) {
  if (text.empty()) field.Clear();
  else field.SetAsString(text);
}

FieldLineEdit::FieldLineEdit(QWidget* parent) : QLineEdit(parent) {}

FieldLineEdit::~FieldLineEdit() { setValidator(nullptr); }

void FieldLineEdit::ShowValue(const db::Field* field) {
  setValidator(nullptr);
  size_limit_.reset();
  if (field == nullptr) {
    mask_ = EditMask();
    clear();
    return;
  }
  mask_ = EditMask(field->EditMask());
  const std::string value = field->AsString();
  if (!mask_.empty()) {
    setText(QString::fromStdU32String(mask_.Format(value)));
  } else {
    setText(ToQString(value));
    if (field->DataType() == FieldType::String && field->Size() > 0) {
      size_limit_ = std::make_unique<GbkSizeValidator>(field->Size());
      setValidator(size_limit_.get());
    }
  }
  // A text longer than the edit shows its start, not its end.
  setCursorPosition(0);
}

void FieldLineEdit::StoreInto(db::Field& field) const {
  std::string value = text().toStdString();
  if (!mask_.empty()) {
    const std::optional<std::string> stored = mask_.Unformat(text().toStdU32String());
    if (!stored) {
      throw EngineError(EngineError::Kind::InvalidValue,
                        "Invalid input value for field " + field.FieldName() + ": \"" + value +
                            "\" does not fit the edit mask \"" + mask_.spec() + "\"",
                        {field.Owner().DisplayName(), field.FieldName(), value, 0, 0,
                         "须按格式“" + QString::fromStdU32String(mask_.Format("")).toStdString() +
                             "”填写：" + mask_.Describe()});
    }
    value = *stored;
  }
  StoreText(field, value);
}

void FieldLineEdit::TypeKey(QKeyEvent* event) {
  if (mask_.empty()) QLineEdit::keyPressEvent(event);
  else TypeMasked(*event);
}

// A character the first place of the selection does not take leaves the
// selection as it was, rather than blanking it for nothing.
bool FieldLineEdit::RefusedOverSelection(const QKeyEvent& event) const {
  const QString typed = event.text();
  if (typed.isEmpty() || event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete) return false;
  int pos = selectionStart();
  while (pos < static_cast<int>(mask_.length()) && !mask_.IsInput(pos)) ++pos;
  return pos < static_cast<int>(mask_.length()) && !mask_.Accept(pos, typed.at(0).unicode());
}

void FieldLineEdit::TypeMasked(const QKeyEvent& event) {
  QString shown = text();
  const int length = static_cast<int>(mask_.length());
  int pos = cursorPosition();
  if (hasSelectedText() && RefusedOverSelection(event)) return;
  if (hasSelectedText()) {
    // Typing over a selection replaces it, as in any edit.
    pos = selectionStart();
    const int end = pos + static_cast<int>(selectedText().size());
    for (int i = pos; i < end && i < length; ++i) {
      if (mask_.IsInput(i)) shown[i] = QChar(mask_.blank());
    }
    setText(shown);
    setCursorPosition(pos);
    if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete) return;
  }
  if (event.key() == Qt::Key_Backspace) {
    while (--pos >= 0 && !mask_.IsInput(pos)) {}
    if (pos < 0) return;
    shown[pos] = QChar(mask_.blank());
    setText(shown);
    setCursorPosition(pos);
    return;
  }
  while (pos < length && !mask_.IsInput(pos)) ++pos;
  if (pos >= length) return;
  if (event.key() == Qt::Key_Delete) {
    shown[pos] = QChar(mask_.blank());
    setText(shown);
    setCursorPosition(pos);
    return;
  }
  const QString typed = event.text();
  if (typed.isEmpty()) return;  // a paste: the mask takes typed places only
  const std::optional<char32_t> accepted = mask_.Accept(pos, typed.at(0).unicode());
  if (!accepted) return;
  shown[pos] = QChar(*accepted);
  setText(shown);
  ++pos;
  while (pos < length && !mask_.IsInput(pos)) ++pos;
  setCursorPosition(pos);
}

void FieldLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (mask_.empty() || hasSelectedText()) return;
  // A click beyond what was typed puts the cursor where typing goes on.
  const QString shown = text();
  for (int i = 0; i < cursorPosition() && i < shown.size(); ++i) {
    if (mask_.IsInput(i) && shown[i] == QChar(mask_.blank())) {
      setCursorPosition(i);
      return;
    }
  }
}

}  // namespace veltra::ui
