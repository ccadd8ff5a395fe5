#pragma once
// Plain edits and memos.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <vector>

namespace veltra::ui {

class Edit : public QLineEdit {
  Q_OBJECT
 public:
  Edit(QWidget* parent, const std::string& name);
  std::string Text() const;
  void SetText(const std::string& text);
  void SetPasswordChar(bool hidden);
  // Runs for every key pressed in the edit, before the edit sees it (the
  // windows react to Enter, 13, here).
  std::function<void(int key)> OnKeyDown;
  std::function<void()> OnChange;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class Memo : public QPlainTextEdit {
  Q_OBJECT
 public:
  Memo(QWidget* parent, const std::string& name);
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
};

// The character code a key press stands for: 13 for Enter, 9 for Tab, 27
// for Escape, else the first typed character (0 for none).
int KeyCode(const QKeyEvent& event);

}  // namespace veltra::ui
