#include "platform/print/printer_setup_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include "platform/print/print_interaction.h"

namespace veltra::print {

PrinterSetupDialog::PrinterSetupDialog(const PageSetup& page, bool page_editable, QWidget* parent)
    : QDialog(parent), page_(page) {
  setWindowTitle(QStringLiteral("打印设置"));
  auto* form = new QFormLayout(this);

  printer_ = new QComboBox(this);
  printer_->setObjectName(QStringLiteral("printer"));
  const QString default_printer = QPrinterInfo::defaultPrinterName();
  for (const QString& name : QPrinterInfo::availablePrinterNames()) printer_->addItem(name, name);
  printer_->addItem(QStringLiteral("PDF 文件"), QString());
  const int default_index = printer_->findData(default_printer);
  printer_->setCurrentIndex(default_index >= 0 && !default_printer.isEmpty() ? default_index : 0);
  form->addRow(QStringLiteral("打印机"), printer_);

  pdf_file_ = new QLineEdit(this);
  pdf_file_->setObjectName(QStringLiteral("pdfFile"));
  browse_ = new QPushButton(QStringLiteral("浏览..."), this);
  browse_->setObjectName(QStringLiteral("browse"));
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(pdf_file_);
  file_row->addWidget(browse_);
  form->addRow(QStringLiteral("文件"), file_row);

  paper_ = new QComboBox(this);
  paper_->setObjectName(QStringLiteral("paper"));
  for (Paper paper : AllPapers())
    paper_->addItem(QString::fromStdString(PaperName(paper)), static_cast<int>(paper));
  paper_->setCurrentIndex(paper_->findData(static_cast<int>(page.paper)));
  form->addRow(QStringLiteral("纸张"), paper_);

  portrait_ = new QRadioButton(QStringLiteral("纵向"), this);
  portrait_->setObjectName(QStringLiteral("portrait"));
  landscape_ = new QRadioButton(QStringLiteral("横向"), this);
  landscape_->setObjectName(QStringLiteral("landscape"));
  (page.orientation == Orientation::Portrait ? portrait_ : landscape_)->setChecked(true);
  auto* orientation_row = new QHBoxLayout;
  orientation_row->addWidget(portrait_);
  orientation_row->addWidget(landscape_);
  form->addRow(QStringLiteral("方向"), orientation_row);
  paper_->setEnabled(page_editable);
  portrait_->setEnabled(page_editable);
  landscape_->setEnabled(page_editable);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("ok"));
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  form->addRow(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(printer_, &QComboBox::currentIndexChanged, this, [this] { UpdateState(); });
  connect(pdf_file_, &QLineEdit::textChanged, this, [this] { UpdateState(); });
  connect(browse_, &QPushButton::clicked, this, [this] { BrowseFile(); });
  UpdateState();
}

bool PrinterSetupDialog::PdfChosen() const { return printer_->currentData().toString().isEmpty(); }

void PrinterSetupDialog::UpdateState() {
  pdf_file_->setEnabled(PdfChosen());
  browse_->setEnabled(PdfChosen());
  ok_->setEnabled(!PdfChosen() || !pdf_file_->text().trimmed().isEmpty());
}

void PrinterSetupDialog::BrowseFile() {
  const std::filesystem::path file =
      CurrentPrintInteraction().AskSaveFileName(this, kSavePdfCaption, kPdfFilter);
  if (!file.empty()) pdf_file_->setText(QString::fromStdString(file.string()));
}

PrintSetup PrinterSetupDialog::choice() const {
  PrintSetup setup;
  setup.page = page_;
  setup.page.paper = static_cast<Paper>(paper_->currentData().toInt());
  setup.page.orientation = portrait_->isChecked() ? Orientation::Portrait : Orientation::Landscape;
  if (PdfChosen())
    setup.target.pdf_file = pdf_file_->text().trimmed().toStdString();
  else
    setup.target.printer_name = printer_->currentData().toString();
  return setup;
}

std::optional<PrintSetup> AskPrintSetup(const PageSetup& page, bool page_editable,
                                        QWidget* parent) {
  PrinterSetupDialog dialog(page, page_editable, parent);
  if (CurrentPrintInteraction().ShowModal(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.choice();
}

}  // namespace veltra::print
