#pragma once
// The print layer's contact with the user: showing its windows modally,
// asking for a file name and reporting a failure. The window layer installs
// its own, so that tests answer these through one service; until then the
// default shows real dialogs.
#include <QString>

#include <filesystem>

class QDialog;
class QWidget;

namespace veltra::print {

inline const QString kSavePdfCaption = QStringLiteral("保存为PDF文件");
inline const QString kPdfFilter = QStringLiteral("PDF 文件 (*.pdf)");

class PrintInteraction {
 public:
  virtual ~PrintInteraction() = default;
  // Shows `dialog` modally; returns its result (QDialog::Accepted or Rejected).
  virtual int ShowModal(QDialog& dialog);
  // The file to write, or an empty path when the user cancels.
  virtual std::filesystem::path AskSaveFileName(QWidget* parent, const QString& caption,
                                                const QString& filter);
  virtual void ShowError(QWidget* parent, const QString& message);
};

// The interaction in use.
PrintInteraction& CurrentPrintInteraction();
// Installs `interaction` (nullptr: the default) and returns the one it replaces.
PrintInteraction* SetPrintInteraction(PrintInteraction* interaction);

}  // namespace veltra::print
