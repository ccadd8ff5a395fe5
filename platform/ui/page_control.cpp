#include "platform/ui/page_control.h"

#include <QKeyEvent>
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

TabSheet::~TabSheet() {
  if (owner_ == nullptr) return;
  owner_->setting_page_ = true;
  owner_->removeTab(PageIndex());
  owner_->setting_page_ = false;
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

PageControl::~PageControl() {
  disconnect(this, &QTabWidget::currentChanged, this, nullptr);
  for (TabSheet* page : findChildren<TabSheet*>()) page->owner_ = nullptr;
}

namespace {

// The keys with which the tab widget itself turns the page.
bool TurnsPage(const QKeyEvent& key) {
  if (!(key.modifiers() & Qt::ControlModifier)) return false;
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    default: return false;
  }
}

}  // namespace

// A refused value keeps the user on its page, whichever way the page is turned.
bool PageControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tabBar()) {
    if (event->type() == QEvent::MouseButtonPress) {
      const int tab = tabBar()->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (tab >= 0 && tab != currentIndex() && !HandOverFocusedText(*this)) return true;
    } else if (event->type() == QEvent::Wheel && !HandOverFocusedText(*this)) {
      return true;
    }
  }
  return QTabWidget::eventFilter(watched, event);
}

void PageControl::keyPressEvent(QKeyEvent* event) {
  if (TurnsPage(*event) && !HandOverFocusedText(*this)) {
    event->accept();
    return;
  }
  QTabWidget::keyPressEvent(event);
}

TabSheet* PageControl::ActivePage() const { return qobject_cast<TabSheet*>(currentWidget()); }

void PageControl::SetActivePage(TabSheet* page) {
  setting_page_ = true;
  if (page != nullptr && !page->TabVisible()) page->SetTabVisible(true);
  setCurrentWidget(page);
  setting_page_ = false;
}

}  // namespace veltra::ui
