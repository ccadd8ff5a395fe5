#include "platform/ui/page_control.h"

#include <QMouseEvent>
#include <QTabBar>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"
#include "platform/ui/typed_text.h"

namespace veltra::ui {

TabSheet::TabSheet(PageControl* owner, const std::string& name, const std::string& caption)
    : QWidget(owner), owner_(owner) {
  NameComponent(*this, name);
  owner->addTab(this, ToQString(caption));
}

int TabSheet::PageIndex() const { return owner_->indexOf(this); }

bool TabSheet::TabVisible() const { return owner_->isTabVisible(PageIndex()); }

void TabSheet::SetTabVisible(bool visible) { owner_->setTabVisible(PageIndex(), visible); }

PageControl::PageControl(QWidget* parent, const std::string& name) : QTabWidget(parent) {
  NameComponent(*this, name);
  connect(this, &QTabWidget::currentChanged, this, [this] {
    if (!setting_page_) RunHandler(OnChange);
  });
  tabBar()->installEventFilter(this);
}

bool PageControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tabBar() && event->type() == QEvent::MouseButtonPress) {
    const int tab = tabBar()->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    // A refused value keeps the user on its page.
    if (tab >= 0 && tab != currentIndex() && !HandOverFocusedText(*this)) return true;
  }
  return QTabWidget::eventFilter(watched, event);
}

TabSheet* PageControl::ActivePage() const { return qobject_cast<TabSheet*>(currentWidget()); }

void PageControl::SetActivePage(TabSheet* page) {
  setting_page_ = true;
  if (page != nullptr && !page->TabVisible()) page->SetTabVisible(true);
  setCurrentWidget(page);
  setting_page_ = false;
}

}  // namespace veltra::ui
