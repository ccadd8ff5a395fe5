#include "tests/platform/ui/harness/input.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include "platform/ui/buttons.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/lists.h"
#include "platform/ui/page_control.h"

namespace veltra::ui::testing {
namespace {

// Key presses carrying each character to whatever has the focus by then (a
// grid's first key opens its cell editor, which takes the rest); QTest's own
// key table knows ASCII only.
void SendCharacters(QWidget& first, const QString& text) {
  for (const QChar c : text) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &first;
    if (c.unicode() < 0x80) QTest::keyClick(target, c.toLatin1());
    else QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

bool Click(QWidget& control) {
  if (!control.isEnabled() || !control.isVisible()) return false;
  // Check and radio buttons react on their box and text, at the left.
  const bool boxed = qobject_cast<QCheckBox*>(&control) || qobject_cast<QRadioButton*>(&control);
  const QPoint place = boxed ? QPoint(std::min(8, control.width() / 2), control.height() / 2)
                             : control.rect().center();
  QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, place);
  return true;
}

void Focus(QWidget& control) {
  QWidget* window = control.window();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  control.setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(&control, QApplication::focusWidget())
      << "cannot focus " << control.objectName().toStdString();
}

void Type(QWidget& control, const std::string& text) {
  Focus(control);
  SendCharacters(control, QString::fromStdString(text));
}

void Retype(QWidget& control, const std::string& text) {
  Focus(control);
  QTest::keyClick(&control, Qt::Key_A, Qt::ControlModifier);
  if (text.empty()) {
    QTest::keyClick(&control, Qt::Key_Backspace);
  } else {
    Type(control, text);
  }
}

void PressEnter() {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = QApplication::activeWindow();
  ASSERT_NE(target, nullptr) << "no window to press Enter in";
  QTest::keyClick(target, Qt::Key_Return);
}

void ChooseItem(ComboBox& box, const std::string& item) {
  const int index = box.findText(QString::fromStdString(item));
  ASSERT_GE(index, 0) << "no item \"" << item << "\" in " << box.objectName().toStdString();
  ASSERT_TRUE(box.isEnabled()) << box.objectName().toStdString() << " is disabled";
  box.setCurrentIndex(index);
  emit box.activated(index);
}

void ChooseItem(RadioGroup& group, int index) {
  QRadioButton* button = group.Item(index);
  ASSERT_NE(button, nullptr) << "no item " << index << " in " << group.objectName().toStdString();
  EXPECT_TRUE(Click(*button));
}

namespace {

QPoint TickBoxOf(CheckListBox& list, int index) {
  list.scrollToItem(list.item(index));
  QStyleOptionViewItem option;
  option.initFrom(list.viewport());
  option.rect = list.visualItemRect(list.item(index));
  option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.text = list.item(index)->text();
  return list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list).center();
}

// A double click follows a click, as the mouse gives them.
void DoubleClickAt(QWidget& target, QPoint place) {
  QTest::mouseClick(&target, Qt::LeftButton, Qt::NoModifier, place);
  QTest::mouseDClick(&target, Qt::LeftButton, Qt::NoModifier, place);
}

}  // namespace

void TickItem(CheckListBox& list, int index) {
  ASSERT_LT(index, list.Count());
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, TickBoxOf(list, index));
}

void DoubleClickItem(ListBox& list, int index) {
  ASSERT_LT(index, list.Count());
  list.scrollToItem(list.item(index));
  DoubleClickAt(*list.viewport(), list.visualItemRect(list.item(index)).center());
}

void DoubleClickTickBox(CheckListBox& list, int index) {
  ASSERT_LT(index, list.Count());
  DoubleClickAt(*list.viewport(), TickBoxOf(list, index));
}

void DoubleClick(QWidget& control) {
  QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, control.rect().center());
  QTest::mouseDClick(&control, Qt::LeftButton, Qt::NoModifier, control.rect().center());
}

void SelectCell(DBGrid& grid, int row, int column) {
  const QModelIndex cell = grid.model()->index(row, column);
  ASSERT_TRUE(cell.isValid()) << "no cell " << row << "," << column << " in "
                              << grid.objectName().toStdString();
  Focus(grid);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.visualRect(cell).center());
}

void DoubleClickCell(DBGrid& grid, int row, int column) {
  const QModelIndex cell = grid.model()->index(row, column);
  ASSERT_TRUE(cell.isValid()) << "no cell " << row << "," << column;
  grid.scrollTo(cell);
  Focus(grid);
  DoubleClickAt(*grid.viewport(), grid.visualRect(cell).center());
}

void ClickTab(PageControl& pages, int index) {
  QTabBar* tabs = pages.tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
  QApplication::processEvents();
}

void TurnWheel(QWidget& widget) {
  const QPointF at = widget.rect().center();
  QWheelEvent wheel(at, widget.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &wheel);
  QApplication::processEvents();
}

void TypeIntoCell(DBGrid& grid, int row, int column, const std::string& text) {
  SelectCell(grid, row, column);
  const QString typed = QString::fromStdString(text);
  ASSERT_FALSE(typed.isEmpty());
  SendCharacters(grid, typed);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_TRUE(editor != nullptr && editor != &grid && grid.isAncestorOf(editor))
      << "cell " << row << "," << column << " of " << grid.objectName().toStdString() << " did not open";
}

std::string FocusedName() {
  const QWidget* focused = QApplication::focusWidget();
  return focused != nullptr ? focused->objectName().toStdString() : std::string();
}

std::string TextOf(const QWidget& control) {
  if (auto* edit = qobject_cast<const QLineEdit*>(&control)) return edit->text().toStdString();
  if (auto* memo = qobject_cast<const QPlainTextEdit*>(&control)) return memo->toPlainText().toStdString();
  if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text().toStdString();
  if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text().toStdString();
  if (auto* box = qobject_cast<const QComboBox*>(&control)) return box->currentText().toStdString();
  return control.windowTitle().toStdString();
}

}  // namespace veltra::ui::testing
