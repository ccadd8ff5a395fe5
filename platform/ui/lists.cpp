#include "platform/ui/lists.h"

#include <QMouseEvent>

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

void CheckListBox::ToggleCurrent() {
  const int current = ItemIndex();
  if (current >= 0) SetChecked(current, !Checked(current));
}

void CheckListBox::mousePressEvent(QMouseEvent* event) {
  ticked_by_click_ = -1;
  ListBox::mousePressEvent(event);
  // The box takes its press for itself and leaves the current entry alone.
  const QModelIndex entry = indexAt(event->position().toPoint());
  if (entry.isValid() && entry != currentIndex()) setCurrentIndex(entry);
}

void CheckListBox::mouseReleaseEvent(QMouseEvent* event) {
  const int row = indexAt(event->position().toPoint()).row();
  const bool was_checked = Checked(row);
  ListBox::mouseReleaseEvent(event);
  if (row >= 0 && Checked(row) != was_checked) ticked_by_click_ = row;
}

void CheckListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = indexAt(event->position().toPoint()).row();
  // The double-click handler toggles the entry; the first click's tick is undone.
  if (row >= 0 && row == ticked_by_click_) SetChecked(row, !Checked(row));
  ticked_by_click_ = -1;
  ListBox::mouseDoubleClickEvent(event);
}

}  // namespace veltra::ui
