#include "platform/print/preview_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <exception>

#include "platform/print/page_output.h"
#include "platform/print/print_interaction.h"
#include "platform/print/printer_setup_dialog.h"

namespace veltra::print {
namespace {

constexpr double kScreenDpi = 96;
constexpr int kZoomSteps[] = {50, 75, 100, 125, 150, 200, 300};

QPushButton* AddButton(QWidget* owner, QHBoxLayout* row, const QString& text, const char* name) {
  auto* button = new QPushButton(text, owner);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

// Runs a user action; a failure is reported instead of escaping the event loop.
template <typename Action>
void ReportingFailure(QWidget* parent, Action action) {
  try {
    action();
  } catch (const std::exception& e) {
    CurrentPrintInteraction().ShowError(parent, QString::fromUtf8(e.what()));
  }
}

}  // namespace

PreviewWindow::PreviewWindow(Document document, QWidget* parent)
    : PreviewWindow(std::unique_ptr<PageSource>(), parent) {
  document_ = std::move(document);
  pages_ = std::make_unique<DocumentPages>(document_);
  ShowPage(0);
}

PreviewWindow::PreviewWindow(std::unique_ptr<PageSource> pages, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)) {
  setWindowTitle(QStringLiteral("打印预览"));
  resize(900, 700);
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  layout->addLayout(bar);

  first_ = AddButton(this, bar, QStringLiteral("首页"), "firstPage");
  prior_ = AddButton(this, bar, QStringLiteral("上一页"), "priorPage");
  page_edit_ = new QLineEdit(this);
  page_edit_->setObjectName(QStringLiteral("pageNumber"));
  page_edit_->setMaximumWidth(60);
  bar->addWidget(page_edit_);
  page_count_ = new QLabel(this);
  page_count_->setObjectName(QStringLiteral("pageCount"));
  bar->addWidget(page_count_);
  next_ = AddButton(this, bar, QStringLiteral("下一页"), "nextPage");
  last_ = AddButton(this, bar, QStringLiteral("末页"), "lastPage");
  zoom_ = new QComboBox(this);
  zoom_->setObjectName(QStringLiteral("zoom"));
  for (int percent : kZoomSteps) zoom_->addItem(QStringLiteral("%1%").arg(percent), percent);
  zoom_->setCurrentIndex(zoom_->findData(zoom_percent_));
  bar->addWidget(zoom_);
  print_ = AddButton(this, bar, QStringLiteral("打印"), "print");
  save_pdf_ = AddButton(this, bar, QStringLiteral("存为PDF"), "savePdf");
  QPushButton* close = AddButton(this, bar, QStringLiteral("关闭"), "close");
  bar->addStretch();

  scroll_ = new QScrollArea(this);
  scroll_->setAlignment(Qt::AlignHCenter);
  scroll_->setBackgroundRole(QPalette::Dark);
  image_ = new QLabel;
  image_->setObjectName(QStringLiteral("pageImage"));
  scroll_->setWidget(image_);
  layout->addWidget(scroll_, 1);

  connect(first_, &QPushButton::clicked, this, [this] { ShowPage(0); });
  connect(prior_, &QPushButton::clicked, this, [this] { ShowPage(current_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(current_ + 1); });
  connect(last_, &QPushButton::clicked, this,
          [this] { ShowPage(pages_->PageCount() - 1); });
  connect(page_edit_, &QLineEdit::returnPressed, this, [this] { PageTyped(); });
  connect(zoom_, &QComboBox::currentIndexChanged, this,
          [this] { SetZoom(zoom_->currentData().toInt()); });
  connect(print_, &QPushButton::clicked, this, [this] { PrintClicked(); });
  connect(save_pdf_, &QPushButton::clicked, this, [this] { SavePdfClicked(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  if (pages_) ShowPage(0);
}

void PreviewWindow::ShowPage(int index) {
  const int count = pages_->PageCount();
  if (count == 0) {
    current_ = -1;
  } else if (index >= 0 && index < count) {
    current_ = index;
  }
  Redraw();
}

void PreviewWindow::SetZoom(int percent) {
  if (percent <= 0) return;
  zoom_percent_ = percent;
  Redraw();
}

void PreviewWindow::Redraw() {
  const int count = pages_->PageCount();
  page_edit_->setText(QString::number(current_ + 1));
  page_count_->setText(QStringLiteral("/ %1").arg(count));
  first_->setEnabled(current_ > 0);
  prior_->setEnabled(current_ > 0);
  next_->setEnabled(current_ + 1 < count);
  last_->setEnabled(current_ + 1 < count);
  print_->setEnabled(count > 0);
  save_pdf_->setEnabled(count > 0);
  if (current_ < 0) {
    image_->setPixmap(QPixmap());
    image_->setText(QStringLiteral("没有可打印的内容"));
  } else {
    image_->setPixmap(QPixmap::fromImage(
        RenderPageImage(pages_->Setup(), pages_->PageAt(current_), kScreenDpi * zoom_percent_ / 100.0)));
  }
  image_->adjustSize();
}

void PreviewWindow::PageTyped() {
  bool ok = false;
  const int typed = page_edit_->text().trimmed().toInt(&ok);
  ShowPage(ok ? typed - 1 : current_);
}

void PreviewWindow::PrintClicked() {
  const std::optional<PrintSetup> setup = AskPrintSetup(pages_->Setup(), false, this);
  if (!setup) return;
  ReportingFailure(this, [&] { PrintDocument(*pages_, setup->target); });
}

void PreviewWindow::SavePdfClicked() {
  const std::filesystem::path file =
      CurrentPrintInteraction().AskSaveFileName(this, kSavePdfCaption, kPdfFilter);
  if (file.empty()) return;
  ReportingFailure(this, [&] { WritePdf(*pages_, file); });
}

void ShowPreview(Document document, QWidget* parent) {
  PreviewWindow window(std::move(document), parent);
  CurrentPrintInteraction().ShowModal(window);
}

void ShowPreview(std::unique_ptr<PageSource> pages, QWidget* parent) {
  PreviewWindow window(std::move(pages), parent);
  CurrentPrintInteraction().ShowModal(window);
}

}  // namespace veltra::print
