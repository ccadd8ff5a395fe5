#pragma once
// Text typed into a control belongs to the record before the user leaves
// it: a post collects it through the data source, and a page change asks
// for it first.
#include <QWidget>

namespace veltra::ui {

// A control that may hold typed text not yet in its field.
class TypedTextHolder {
 public:
  virtual ~TypedTextHolder() = default;
  // Writes the typed text to its field; throws when the field cannot take it.
  virtual void HandOverTypedText() = 0;
};

// Hands the text of the focused control inside `within` (an edit, a memo,
// a grid's open cell) to its record. A refusal is shown, the control keeps
// the focus and the result is false.
bool HandOverFocusedText(const QWidget& within);

}  // namespace veltra::ui
