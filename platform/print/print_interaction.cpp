#include "platform/print/print_interaction.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/ui/file_list_columns.h"

namespace veltra::print {
namespace {

PrintInteraction& DefaultInteraction() {
  static PrintInteraction interaction;
  return interaction;
}

PrintInteraction* installed = nullptr;

}  // namespace

int PrintInteraction::ShowModal(QDialog& dialog) { return dialog.exec(); }

std::filesystem::path PrintInteraction::AskSaveFileName(QWidget* parent, const QString& caption,
                                                        const QString& filter) {
  QFileDialog dialog(parent, caption, QString(), filter);
  ui::FitFileDialog(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void PrintInteraction::ShowError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, QStringLiteral("错误窗口"), message);
}

PrintInteraction& CurrentPrintInteraction() {
  return installed != nullptr ? *installed : DefaultInteraction();
}

PrintInteraction* SetPrintInteraction(PrintInteraction* interaction) {
  PrintInteraction* previous = installed;
  installed = interaction;
  return previous;
}

}  // namespace veltra::print
