#pragma once
// Buttons and their kin. Click events run through RunHandler, so what a
// handler throws is shown and the program goes on.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

namespace veltra::ui {

class Button : public QPushButton {
  Q_OBJECT
 public:
  Button(QWidget* parent, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
};

class CheckBox : public QCheckBox {
  Q_OBJECT
 public:
  CheckBox(QWidget* parent, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
};

class RadioButton : public QRadioButton {
  Q_OBJECT
 public:
  RadioButton(QWidget* parent, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
};

// A captioned group of radio buttons, one per item.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(QWidget* parent, const std::string& name, const std::string& caption,
             const std::vector<std::string>& items);
  int ItemIndex() const;
  void SetItemIndex(int index);  // no click event, as when code sets it
  QRadioButton* Item(int index) const;
  int Count() const;
  // Runs when the user picks an item.
  std::function<void()> OnClick;

 private:
  QButtonGroup group_;
};

// A tool bar button: captioned, no icon.
class ToolButton : public QToolButton {
  Q_OBJECT
 public:
  ToolButton(QToolBar* bar, const std::string& name, const std::string& caption);
  std::function<void()> OnClick;
};

}  // namespace veltra::ui
