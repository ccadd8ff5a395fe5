#pragma once
// In place of the drive box and folder list: the chosen folder and a
// button that asks for another one through the ui service.
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

namespace veltra::ui {

class FolderPicker : public QWidget {
  Q_OBJECT
 public:
  FolderPicker(QWidget* parent, const std::string& name, const std::string& folder);
  std::string Folder() const;
  void SetFolder(const std::string& folder);
  // The caption of the folder dialog.
  void SetTitle(const std::string& title) { title_ = title; }
  // Asks for a folder; true when one was chosen.
  bool Browse();

 private:
  std::string title_;
  QLineEdit shown_;
  QPushButton browse_;
};

}  // namespace veltra::ui
