#pragma once
// Drop-down lists, list boxes and check-list boxes. Change and click
// events fire for the user's choices, not when code sets the index; hidden
// list boxes serve the windows as working lists.
#include <QComboBox>
#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

namespace veltra::ui {

class ComboBox : public QComboBox {
  Q_OBJECT
 public:
  ComboBox(QWidget* parent, const std::string& name, const std::vector<std::string>& items);
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int index) { setCurrentIndex(index); }
  std::string Text() const { return currentText().toStdString(); }
  std::function<void()> OnChange;
};

class ListBox : public QListWidget {
  Q_OBJECT
 public:
  ListBox(QWidget* parent, const std::string& name);
  int Count() const { return count(); }
  std::string Item(int index) const;
  virtual void Add(const std::string& text);
  void Delete(int index);
  void Clear() { clear(); }
  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int index) { setCurrentRow(index); }
  std::vector<std::string> Items() const;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
};

// A click on an entry, its tick box included, makes it the current one, so
// the double-click handlers that toggle ItemIndex toggle the entry under
// the mouse; a double click on the box counts once, not once per click.
class CheckListBox : public ListBox {
  Q_OBJECT
 public:
  CheckListBox(QWidget* parent, const std::string& name);
  void Add(const std::string& text) override;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  // Ticks or unticks the current entry (the double-click handlers).
  void ToggleCurrent();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int ticked_by_click_ = -1;  // the entry whose box the last click toggled
};

}  // namespace veltra::ui
