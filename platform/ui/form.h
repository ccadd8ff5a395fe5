#pragma once
// The base of every window: created once and reused. Close hides it and
// keeps its state; ShowModal nests and returns the modal result; Show
// leaves the caller running beside it.
#include <QFont>
#include <QWidget>
#include <functional>
#include <string>

class QEventLoop;

namespace veltra::ui {

enum ModalResult : int { kModalNone = 0, kModalOk = 1, kModalCancel = 2, kModalYes = 6, kModalNo = 7 };

// The system's font "宋体", `pixels` high (the form library's negative
// font height: "宋体" -14 is SongFont(14)).
QFont SongFont(int pixels);

class Form : public QWidget {
  Q_OBJECT

 public:
  // `name` is the component name tests find it by ("F_kfq").
  explicit Form(const std::string& name, QWidget* parent = nullptr);
  ~Form() override;

  // Runs on every show, and again whenever the form becomes the active one
  // after another (a nested modal form closing, the user coming back).
  std::function<void()> OnActivate;
  // Runs before the form closes; clearing `allow` keeps it open.
  std::function<void(bool& allow)> OnClose;
  // With key preview on: every character typed anywhere in the form, before
  // the control that has the focus. Setting `key` to 0 swallows it.
  std::function<void(int& key)> OnKeyPress;

  int ShowModal();
  void Show();
  // Runs OnClose; when allowed, hides the form (ending its modal run with
  // kModalCancel unless a result was set). False when refused.
  bool Close();
  // A modal form closes once given a result other than kModalNone.
  void SetModalResult(int result);
  int modal_result() const { return modal_result_; }
  // True from ShowModal until the form has closed.
  bool in_modal_run() const { return modal_running_; }

  void SetCaption(const std::string& caption);
  std::string Caption() const;
  void SetClientSize(int width, int height);
  // Centred on the screen (the ui service's width) each time it is shown.
  void SetCentred(bool centred) { centred_ = centred; }
  void SetKeyPreview(bool on);
  // The form and its controls in SongFont(pixels).
  void SetFontHeight(int pixels);
  // Moves the focus as the "next dialog control" message does: Tab order.
  void FocusNextControl();
  // The main form ends the program's loop when it closes.
  void SetQuitsOnClose(bool quits) { quits_on_close_ = quits; }

  // The form that last became active.
  static Form* Active();
  // For the ui service: waits in an event loop until the modal run ends.
  void WaitForModalEnd();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowAndActivate();
  void RequestWindowActivation();
  void Activate();
  void EndModalRun();

  int modal_result_ = kModalNone;
  bool modal_running_ = false;
  bool centred_ = false;
  bool key_preview_ = false;
  bool quits_on_close_ = false;
  // The window system's answer to our own activation request is no new
  // activation; it may arrive after another form has been shown.
  bool awaiting_activation_echo_ = false;
  QEventLoop* modal_loop_ = nullptr;
};

}  // namespace veltra::ui
