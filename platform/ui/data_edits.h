#pragma once
// Data-aware edit and memo. Typing puts the data set into edit (or, on an
// empty one, insert) state; the text goes to the field when the record
// posts or the control loses the focus. A string field's GBK size limits
// what can be typed, and the field's edit mask shapes it.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>
#include <string>

#include "platform/ui/edit_mask.h"
#include "platform/ui/field_link.h"

class QValidator;

namespace veltra::ui {

class DBEdit : public QLineEdit, public FieldBinding {
  Q_OBJECT
 public:
  DBEdit(QWidget* parent, const std::string& name);
  ~DBEdit() override;

  std::string Text() const { return text().toStdString(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowField();
  void WriteField();
  void TypeMasked(const QKeyEvent& event);

  EditMask mask_;
  std::unique_ptr<QValidator> size_limit_;
};

class DBMemo : public QPlainTextEdit, public FieldBinding {
  Q_OBJECT
 public:
  DBMemo(QWidget* parent, const std::string& name);

  std::string Text() const { return toPlainText().toStdString(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowField();
  void WriteField();
};

}  // namespace veltra::ui
