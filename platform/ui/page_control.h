#pragma once
// A page control with tab sheets. Pages can be hidden; the active page
// set by code does not fire OnChange (the windows call their handler
// themselves when they want it), a tab the user picks does. The user
// leaves a page only once the text typed on it is in the record.
#include <QTabWidget>
#include <functional>
#include <string>

namespace veltra::ui {

class PageControl;

class TabSheet : public QWidget {
  Q_OBJECT
 public:
  TabSheet(PageControl* owner, const std::string& name, const std::string& caption);
  // Leaves its page control without firing OnChange: the window that
  // holds both may be half destroyed.
  ~TabSheet() override;
  bool TabVisible() const;
  void SetTabVisible(bool visible);
  int PageIndex() const;

 private:
  friend class PageControl;
  PageControl* owner_;  // null once the page control is being destroyed
};

class PageControl : public QTabWidget {
  Q_OBJECT
 public:
  PageControl(QWidget* parent, const std::string& name);
  // Its pages go after it, without firing OnChange.
  ~PageControl() override;
  TabSheet* ActivePage() const;
  void SetActivePage(TabSheet* page);
  std::function<void()> OnChange;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class TabSheet;
  bool setting_page_ = false;
};

}  // namespace veltra::ui
