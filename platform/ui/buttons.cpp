#include "platform/ui/buttons.h"

#include <QVBoxLayout>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::ui {
namespace {

template <typename Control>
void ForwardClicks(Control& control) {
  QObject::connect(&control, &QAbstractButton::clicked, &control,
                   [&control] { RunHandler(control.OnClick); });
}

}  // namespace

Button::Button(QWidget* parent, const std::string& name, const std::string& caption)
    : QPushButton(ToQString(caption), parent) {
  NameComponent(*this, name);
  ForwardClicks(*this);
}

CheckBox::CheckBox(QWidget* parent, const std::string& name, const std::string& caption)
    : QCheckBox(ToQString(caption), parent) {
  NameComponent(*this, name);
  ForwardClicks(*this);
}

RadioButton::RadioButton(QWidget* parent, const std::string& name, const std::string& caption)
    : QRadioButton(ToQString(caption), parent) {
  NameComponent(*this, name);
  ForwardClicks(*this);
}

RadioGroup::RadioGroup(QWidget* parent, const std::string& name, const std::string& caption,
                       const std::vector<std::string>& items)
    : QGroupBox(ToQString(caption), parent) {
  NameComponent(*this, name);
  auto* layout = new QVBoxLayout(this);
  for (const std::string& item : items) {
    auto* button = new QRadioButton(ToQString(item), this);
    group_.addButton(button, group_.buttons().size());
    layout->addWidget(button);
  }
  connect(&group_, &QButtonGroup::idClicked, this, [this] { RunHandler(OnClick); });
}

int RadioGroup::ItemIndex() const { return group_.checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* button = group_.button(index)) button->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const {
  return static_cast<QRadioButton*>(group_.button(index));
}

int RadioGroup::Count() const { return group_.buttons().size(); }

ToolButton::ToolButton(QToolBar* bar, const std::string& name, const std::string& caption)
    : QToolButton(bar) {
  NameComponent(*this, name);
  setText(ToQString(caption));
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addWidget(this);
  ForwardClicks(*this);
}

}  // namespace veltra::ui
