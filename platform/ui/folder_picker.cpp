#include "platform/ui/folder_picker.h"

#include <QHBoxLayout>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"
#include "platform/ui/ui_service.h"

namespace veltra::ui {

FolderPicker::FolderPicker(QWidget* parent, const std::string& name, const std::string& folder)
    : QWidget(parent), browse_("...") {
  NameComponent(*this, name);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  shown_.setReadOnly(true);
  layout->addWidget(&shown_);
  layout->addWidget(&browse_);
  SetFolder(folder);
  connect(&browse_, &QPushButton::clicked, this, [this] { RunHandler([this] { Browse(); }); });
}

std::string FolderPicker::Folder() const { return shown_.text().toStdString(); }

void FolderPicker::SetFolder(const std::string& folder) { shown_.setText(ToQString(folder)); }

bool FolderPicker::Browse() {
  const std::optional<std::string> chosen = Ui().ChooseFolder(title_, Folder());
  if (!chosen) return false;
  SetFolder(*chosen);
  return true;
}

}  // namespace veltra::ui
