#include "platform/print/print_interaction.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

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
  const QString name = QFileDialog::getSaveFileName(parent, caption, QString(), filter);
  return std::filesystem::path(name.toStdString());
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
