#include "platform/ui/lists.h"

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"

namespace veltra::ui {

ComboBox::ComboBox(QWidget* parent, const std::string& name, const std::vector<std::string>& items)
    : QComboBox(parent) {
  NameComponent(*this, name);
  for (const std::string& item : items) addItem(ToQString(item));
  connect(this, &QComboBox::activated, this, [this] { RunHandler(OnChange); });
}

ListBox::ListBox(QWidget* parent, const std::string& name) : QListWidget(parent) {
  NameComponent(*this, name);
  connect(this, &QListWidget::itemClicked, this, [this] { RunHandler(OnClick); });
  connect(this, &QListWidget::itemDoubleClicked, this, [this] { RunHandler(OnDblClick); });
}

std::string ListBox::Item(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr ? entry->text().toStdString() : std::string();
}

void ListBox::Add(const std::string& text) { addItem(ToQString(text)); }

void ListBox::Delete(int index) { delete takeItem(index); }

std::vector<std::string> ListBox::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < count(); ++i) items.push_back(Item(i));
  return items;
}

CheckListBox::CheckListBox(QWidget* parent, const std::string& name) : ListBox(parent, name) {}

void CheckListBox::Add(const std::string& text) {
  auto* entry = new QListWidgetItem(ToQString(text), this);
  entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
  entry->setCheckState(Qt::Unchecked);
}

bool CheckListBox::Checked(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr && entry->checkState() == Qt::Checked;
}

void CheckListBox::SetChecked(int index, bool checked) {
  if (QListWidgetItem* entry = item(index)) entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace veltra::ui
