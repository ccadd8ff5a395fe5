#include "tests/platform/ui/harness/input.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "platform/ui/buttons.h"
#include "platform/ui/lists.h"

namespace veltra::ui::testing {

bool Click(QWidget& control) {
  if (!control.isEnabled() || !control.isVisible()) return false;
  QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, control.rect().center());
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
  QTest::keyClicks(&control, QString::fromStdString(text));
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

void TickItem(CheckListBox& list, int index) {
  ASSERT_LT(index, list.Count());
  QListWidgetItem* entry = list.item(index);
  entry->setCheckState(entry->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  list.setCurrentRow(index);
  emit list.itemClicked(entry);
}

void DoubleClickItem(ListBox& list, int index) {
  ASSERT_LT(index, list.Count());
  const QRect place = list.visualItemRect(list.item(index));
  list.setCurrentRow(index);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

void DoubleClick(QWidget& control) {
  QTest::mouseDClick(&control, Qt::LeftButton, Qt::NoModifier, control.rect().center());
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
