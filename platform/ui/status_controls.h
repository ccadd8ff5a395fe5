#pragma once
// The one-panel status bar and the progress bar of the windows.
#include <QLabel>
#include <QProgressBar>
#include <functional>
#include <string>

namespace veltra::ui {

// A status line showing one simple text.
class StatusBar : public QLabel {
  Q_OBJECT
 public:
  StatusBar(QWidget* parent, const std::string& name);
  std::string SimpleText() const { return text().toStdString(); }
  void SetSimpleText(const std::string& text);
  std::function<void()> OnDblClick;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Imports step it without returning to the event loop; Qt's bar repaints
// itself at once whenever a change of position moves what it draws.
class ProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  ProgressBar(QWidget* parent, const std::string& name);
  void SetPosition(int position);
  void SetMax(int max);
  int Position() const { return value(); }
};

}  // namespace veltra::ui
