#pragma once
// A line edit that shows one field's value and gives back what to store:
// the field's edit mask shapes what is typed, a string field's GBK size
// limits it. The data-aware edit and the grid's cell editor are both one.
#include <QLineEdit>
#include <memory>
#include <string>

#include "platform/db/field.h"
#include "platform/ui/edit_mask.h"

class QValidator;

namespace veltra::ui {

class FieldLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit FieldLineEdit(QWidget* parent);
  ~FieldLineEdit() override;

  // Shows the field's value in its mask (null: shows nothing).
  void ShowValue(const db::Field* field);
  // The mask the text was shown in.
  const EditMask& Mask() const { return mask_; }
  // Puts the text into `field` (empty text is null); throws, naming the
  // field, when the text does not fill its mask or the field refuses it.
  void StoreInto(db::Field& field) const;

 protected:
  // Types a key that changes the text, through the mask when there is one.
  void TypeKey(QKeyEvent* event);
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void TypeMasked(const QKeyEvent& event);
  bool RefusedOverSelection(const QKeyEvent& event) const;

  EditMask mask_;
  std::unique_ptr<QValidator> size_limit_;
};

// True for a key that changes an edit's text.
bool ChangesText(const QKeyEvent& event);
// Puts typed text into a field; empty text is null.
void StoreText(db::Field& field, const std::string& text);

}  // namespace veltra::ui
