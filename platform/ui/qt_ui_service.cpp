#include "platform/ui/qt_ui_service.h"

#include <QFileDialog>
#include <algorithm>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>

#include "platform/ui/file_list_columns.h"
#include "platform/ui/form.h"

namespace veltra::ui {
namespace {

QString ToQt(const std::string& s) { return QString::fromStdString(s); }

QString QtFilter(const FileFilter& filter) {
  QStringList patterns;
  for (const std::string& pattern : filter.patterns) patterns << ToQt(pattern);
  return ToQt(filter.description) + " (" + patterns.join(' ') + ")";
}

}  // namespace

std::unique_ptr<QMessageBox> QtUiService::MessageBoxFor(const MessageRequest& request) {
  auto box = std::make_unique<QMessageBox>();
  // Qt puts the program's name in an empty title bar; a box without a
  // title shows none.
  box->setWindowTitle(request.title.empty() ? QStringLiteral(" ") : ToQt(request.title));
  box->setText(ToQt(request.text));
  switch (request.kind) {
    case MessageKind::Information: box->setIcon(QMessageBox::Information); break;
    case MessageKind::Question: box->setIcon(QMessageBox::Question); break;
    case MessageKind::Error:
    case MessageKind::Exception: box->setIcon(QMessageBox::Critical); break;
  }
  if (request.buttons == Buttons::YesNo) {
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(request.default_answer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
  } else {
    box->setStandardButtons(QMessageBox::Ok);
  }
  return box;
}

Answer QtUiService::ShowMessage(const MessageRequest& request) {
  const std::unique_ptr<QMessageBox> box = MessageBoxFor(request);
  const int pressed = box->exec();
  if (request.buttons != Buttons::YesNo) return Answer::Ok;
  return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::unique_ptr<QFileDialog> QtUiService::FileDialogFor(const FileDialogRequest& request) {
  auto dialog = std::make_unique<QFileDialog>(nullptr, ToQt(request.title), QString(), QString());
  FitFileDialog(*dialog);
  QStringList filters;
  for (const FileFilter& filter : request.filters) filters << QtFilter(filter);
  dialog->setNameFilters(filters);
  if (request.filter_index >= 1 && request.filter_index <= filters.size()) {
    dialog->selectNameFilter(filters[request.filter_index - 1]);
  }
  dialog->setDefaultSuffix(ToQt(request.default_extension));
  if (!request.file_name.empty()) dialog->selectFile(ToQt(request.file_name));
  if (request.kind == FileDialogKind::Save) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
  } else {
    dialog->setFileMode(QFileDialog::ExistingFile);
  }
  return dialog;
}

std::optional<FileDialogResult> QtUiService::RunFileDialog(const FileDialogRequest& request) {
  const std::unique_ptr<QFileDialog> dialog = FileDialogFor(request);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  const int chosen_filter = static_cast<int>(dialog->nameFilters().indexOf(dialog->selectedNameFilter())) + 1;
  return FileDialogResult{dialog->selectedFiles().front().toStdString(), std::max(chosen_filter, 1)};
}

std::optional<std::string> QtUiService::ChooseFolder(const std::string& title,
                                                     const std::string& start) {
  QFileDialog dialog(nullptr, ToQt(title), ToQt(start));
  FitFileDialog(dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

int QtUiService::RunModal(Form& form) {
  form.WaitForModalEnd();
  return form.modal_result();
}

int QtUiService::ScreenWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().width() : 0;
}

}  // namespace veltra::ui
