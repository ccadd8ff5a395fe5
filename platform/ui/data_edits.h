#pragma once
// Data-aware edit and memo. Typing puts the data set into edit (or, on an
// empty one, insert) state; the text goes to the field when the record
// posts or the control loses the focus. A string field's GBK size limits
// what can be typed, and the field's edit mask shapes it.
#include <QPlainTextEdit>
#include <string>

#include "platform/ui/field_line_edit.h"
#include "platform/ui/field_link.h"
#include "platform/ui/typed_text.h"

namespace veltra::ui {

class DBEdit : public FieldLineEdit, public FieldBinding, public TypedTextHolder {
  Q_OBJECT
 public:
  DBEdit(QWidget* parent, const std::string& name);

  std::string Text() const { return text().toStdString(); }
  void HandOverTypedText() override { WriteField(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowField();
  void WriteField();
};

class DBMemo : public QPlainTextEdit, public FieldBinding, public TypedTextHolder {
  Q_OBJECT
 public:
  DBMemo(QWidget* parent, const std::string& name);

  std::string Text() const { return toPlainText().toStdString(); }
  void HandOverTypedText() override { WriteField(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowField();
  void WriteField();
};

}  // namespace veltra::ui
