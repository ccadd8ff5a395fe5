#include "platform/ui/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>
#include <stdexcept>

#include "platform/ui/event_handler.h"
#include "platform/ui/ui_service.h"

namespace veltra::ui {
namespace {

Form* active_form = nullptr;

}  // namespace

Form::Form(const std::string& name, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QString::fromStdString(name));
  // However the focus moves (Enter, Tab, a refusal taking it back), the
  // control that has it is scrolled into view on a long page.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == nullptr || now->window() != this) return;
    for (QWidget* outer = now->parentWidget(); outer != nullptr; outer = outer->parentWidget()) {
      auto* area = qobject_cast<QScrollArea*>(outer);
      if (area == nullptr || area->widget() == nullptr || !area->widget()->isAncestorOf(now)) continue;
      // The whole control, frame included, not only its text cursor.
      const QPoint centre = now->mapTo(area->widget(), now->rect().center());
      area->ensureVisible(centre.x(), centre.y(), now->width() / 2 + 2, now->height() / 2 + 2);
    }
  });
}

Form::~Form() {
  if (active_form == this) active_form = nullptr;
}

Form* Form::Active() { return active_form; }

int Form::ShowModal() {
  if (isVisible()) {
    throw std::logic_error("Cannot show the visible form " + objectName().toStdString() +
                           " modally");
  }
  Form* previous = active_form;
  modal_result_ = kModalNone;
  modal_running_ = true;
  setWindowModality(Qt::ApplicationModal);
  ShowAndActivate();
  const int result = Ui().RunModal(*this);
  if (modal_running_) EndModalRun();  // a service may end the run itself
  setWindowModality(Qt::NonModal);
  if (previous != nullptr && previous != this && previous->isVisible()) previous->Activate();
  return result;
}

void Form::Show() {
  if (!isVisible()) {
    ShowAndActivate();
    return;
  }
  RequestWindowActivation();
  Activate();
}

bool Form::Close() {
  bool allow = true;
  if (OnClose) OnClose(allow);
  if (!allow) {
    if (modal_running_) modal_result_ = kModalNone;
    return false;
  }
  if (modal_running_) {
    if (modal_result_ == kModalNone) modal_result_ = kModalCancel;
    EndModalRun();
  } else {
    hide();
  }
  if (active_form == this) active_form = nullptr;
  if (quits_on_close_) QCoreApplication::quit();
  return true;
}

void Form::SetModalResult(int result) {
  modal_result_ = result;
  if (modal_running_ && result != kModalNone) Close();
}

void Form::EndModalRun() {
  modal_running_ = false;
  hide();
  if (modal_loop_ != nullptr) modal_loop_->quit();
}

void Form::WaitForModalEnd() {
  QEventLoop loop;
  modal_loop_ = &loop;
  if (modal_running_) loop.exec(QEventLoop::DialogExec);
  modal_loop_ = nullptr;
}

void Form::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

std::string Form::Caption() const { return windowTitle().toStdString(); }

void Form::SetClientSize(int width, int height) { resize(width, height); }

QFont SongFont(int pixels) {
  QFont font;
  // UMing, which stands in for 宋体, draws l like 1, and its digits are
  // wider than the forms' columns allow: Latin text on screen takes a
  // narrow face with the original's widths, Chinese stays in 宋体.
  font.setFamilies({QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("宋体")});
  font.setPixelSize(pixels);
  return font;
}

void Form::SetFontHeight(int pixels) { setFont(SongFont(pixels)); }

void Form::SetKeyPreview(bool on) {
  if (on == key_preview_) return;
  key_preview_ = on;
  if (on) qApp->installEventFilter(this);
  else qApp->removeEventFilter(this);
}

void Form::FocusNextControl() { focusNextPrevChild(true); }

void Form::ShowAndActivate() {
  if (centred_) {
    if (layout() != nullptr) layout()->activate();  // the size it will show in
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screen_height = screen != nullptr ? screen->availableGeometry().height() : height();
    move(std::max(0, (Ui().ScreenWidth() - width()) / 2), std::max(0, (screen_height - height()) / 2));
  }
  show();
  RequestWindowActivation();
  active_form = nullptr;  // every show counts as an activation
  Activate();
}

void Form::RequestWindowActivation() {
  raise();
  if (QApplication::activeWindow() == this) return;
  awaiting_activation_echo_ = true;
  activateWindow();
}

void Form::Activate() {
  if (active_form == this) return;
  active_form = this;
  RunHandler(OnActivate);
}

bool Form::event(QEvent* event) {
  // The user coming back to a form; modal forms keep the others inactive.
  if (event->type() == QEvent::WindowActivate && isVisible()) {
    const QWidget* modal = QApplication::activeModalWidget();
    if (awaiting_activation_echo_) awaiting_activation_echo_ = false;
    else if (modal == nullptr || modal == this) Activate();
  }
  return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event) {
  // The window manager's close button goes the same way as Close().
  event->ignore();
  RunHandler([this] { Close(); });
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !OnKeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only the first delivery, to the focused control, is previewed; the
  // same event bubbling up to the parents is not seen again.
  const QWidget* focused = QApplication::focusWidget();
  if (widget == nullptr || widget->window() != this || (focused != nullptr && widget != focused) ||
      (focused == nullptr && widget != this)) {
    return false;
  }
  const QString text = static_cast<QKeyEvent*>(event)->text();
  if (text.isEmpty()) return false;
  int key = text.at(0).unicode();
  RunHandler([&] { OnKeyPress(key); });
  return key == 0;
}

}  // namespace veltra::ui
