#pragma once
// The printer-setup dialog: printer or PDF file, paper and orientation.
// Without an installed printer only the PDF file is offered.
#include <QDialog>

#include <optional>

#include "platform/print/page_output.h"
#include "platform/print/page_setup.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace veltra::print {

struct PrintSetup {
  PageSetup page;
  PrintTarget target;
};

class PrinterSetupDialog : public QDialog {
  Q_OBJECT

 public:
  // `page_editable` false keeps paper and orientation as laid out (shown, not changeable).
  PrinterSetupDialog(const PageSetup& page, bool page_editable, QWidget* parent = nullptr);

  PrintSetup choice() const;

 private:
  bool PdfChosen() const;
  void UpdateState();
  void BrowseFile();

  PageSetup page_;
  QComboBox* printer_;
  QLineEdit* pdf_file_;
  QPushButton* browse_;
  QComboBox* paper_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
  QPushButton* ok_;
};

// Shows the dialog through the print interaction; nullopt when cancelled.
std::optional<PrintSetup> AskPrintSetup(const PageSetup& page, bool page_editable,
                                        QWidget* parent = nullptr);

}  // namespace veltra::print
