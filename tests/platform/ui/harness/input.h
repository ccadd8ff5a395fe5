#pragma once
// Driving real controls the way a user does, and reading what they show.
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace veltra::ui {
class ComboBox;
class RadioGroup;
class ListBox;
class CheckListBox;
class DBGrid;
class PageControl;
}  // namespace veltra::ui

namespace veltra::ui::testing {

// The control named `name` inside `root`; fails the test when missing.
template <typename Control = QWidget>
Control& Find(QWidget& root, const std::string& name) {
  auto* control = root.findChild<Control*>(QString::fromStdString(name));
  if (control == nullptr) {
    ADD_FAILURE() << "no control " << name << " in " << root.objectName().toStdString();
    throw std::runtime_error("no control " + name);
  }
  return *control;
}

// A mouse click on a button; false (nothing happens) when the control is
// disabled or not shown.
[[nodiscard]] bool Click(QWidget& control);
// Gives the control the focus (activating its window) and types `text`.
void Type(QWidget& control, const std::string& text);
// Types over all the control holds, as a user who selects it first; an
// empty `text` deletes it.
void Retype(QWidget& control, const std::string& text);
// Enter to the focused control of the active window.
void PressEnter();
void ChooseItem(ComboBox& box, const std::string& item);
void ChooseItem(RadioGroup& group, int index);
// A click on the entry's tick box.
void TickItem(CheckListBox& list, int index);
// A double click (after its first click) on the entry's text, or on its tick box.
void DoubleClickItem(ListBox& list, int index);
void DoubleClickTickBox(CheckListBox& list, int index);
void DoubleClick(QWidget& control);
// Clicks the cell, which moves the grid's data set to its row.
void SelectCell(DBGrid& grid, int row, int column);
void DoubleClickCell(DBGrid& grid, int row, int column);
// Selects the cell and types `text` into its editor, which stays open with
// the text, as a user leaves it before pressing a button.
void TypeIntoCell(DBGrid& grid, int row, int column, const std::string& text);
// A mouse click on the tab of page `index`.
void ClickTab(PageControl& pages, int index);
// One notch of the mouse wheel over the middle of `widget`.
void TurnWheel(QWidget& widget);
// Activates the window of `control` and focuses it.
void Focus(QWidget& control);

std::string FocusedName();
std::string TextOf(const QWidget& control);

}  // namespace veltra::ui::testing
