#include "platform/print/preview_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/print/page_canvas.h"
#include "platform/print/printer_setup_dialog.h"
#include "print_test_support.h"

namespace veltra::print {
namespace {

using testing::ScriptedUser;

Document NumberedPages(int count) {
  PageCanvas canvas(PageSetup{});
  for (int page = 1; page <= count; ++page) {
    if (page > 1) canvas.NewPage();
    canvas.TextOut(200, 200, QStringLiteral("第%1页 企业").arg(page));
  }
  return canvas.TakeDocument();
}

template <typename Widget>
Widget* Child(QWidget& parent, const char* name) {
  auto* child = parent.findChild<Widget*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void Click(QWidget& window, const char* name) {
  QPushButton* button = Child<QPushButton>(window, name);
  ASSERT_TRUE(button->isEnabled()) << name;
  button->click();
}

TEST(PreviewWindow, DefaultShowBlocksUntilTheWindowCloses) {
  bool closed_by_user = false;
  QTimer::singleShot(0, [&] {
    QWidget* window = QApplication::activeModalWidget();
    ASSERT_NE(qobject_cast<PreviewWindow*>(window), nullptr);
    closed_by_user = true;
    Click(*window, "close");
  });
  ShowPreview(NumberedPages(1));
  EXPECT_TRUE(closed_by_user);
}

TEST(PreviewWindow, NavigatesWithinThePages) {
  PreviewWindow preview(NumberedPages(3));
  EXPECT_EQ(preview.currentPage(), 0);
  EXPECT_FALSE(Child<QPushButton>(preview, "priorPage")->isEnabled());
  EXPECT_EQ(Child<QLabel>(preview, "pageCount")->text(), QStringLiteral("/ 3"));
  Click(preview, "nextPage");
  EXPECT_EQ(preview.currentPage(), 1);
  Click(preview, "lastPage");
  EXPECT_EQ(preview.currentPage(), 2);
  EXPECT_FALSE(Child<QPushButton>(preview, "nextPage")->isEnabled());
  Click(preview, "firstPage");
  EXPECT_EQ(preview.currentPage(), 0);

  QLineEdit* page = Child<QLineEdit>(preview, "pageNumber");
  for (const auto& [typed, expected] :
       std::vector<std::pair<QString, int>>{{"3", 2}, {"4", 2}, {"0", 2}, {"x", 2}, {"2", 1}}) {
    page->setText(typed);
    QTest::keyClick(page, Qt::Key_Return);
    EXPECT_EQ(preview.currentPage(), expected) << typed.toStdString();
    EXPECT_EQ(page->text(), QString::number(expected + 1));
  }
}

TEST(PreviewWindow, ZoomScalesThePageImage) {
  PreviewWindow preview(NumberedPages(1));
  QLabel* image = Child<QLabel>(preview, "pageImage");
  EXPECT_EQ(image->pixmap().width(), 793);
  QComboBox* zoom = Child<QComboBox>(preview, "zoom");
  zoom->setCurrentIndex(zoom->findData(200));
  EXPECT_EQ(image->pixmap().width(), 1587);
}

TEST(PreviewWindow, WithoutPagesOffersNothingToPrint) {
  PreviewWindow preview(Document{});
  EXPECT_EQ(preview.currentPage(), -1);
  EXPECT_FALSE(Child<QPushButton>(preview, "print")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(preview, "savePdf")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(preview, "nextPage")->isEnabled());
}

TEST(PreviewWindow, SavesAllPagesAsPdfAndReportsAFailure) {
  ScriptedUser user;
  const auto pdf = testing::OutputPath("preview_saved.pdf");
  std::filesystem::remove(pdf);
  user.file_answers = {pdf, testing::OutputPath("no_such_dir") / "x.pdf"};
  PreviewWindow preview(NumberedPages(2));
  Click(preview, "savePdf");
  const std::string text = testing::PdfText(pdf);
  EXPECT_NE(text.find("第1页 企业"), std::string::npos) << text;
  EXPECT_NE(text.find("第2页 企业"), std::string::npos) << text;
  EXPECT_TRUE(user.errors.empty());
  Click(preview, "savePdf");
  ASSERT_EQ(user.errors.size(), 1u);
  EXPECT_TRUE(user.errors[0].contains(QStringLiteral("no_such_dir"))) << user.errors[0].toStdString();
  Click(preview, "savePdf");  // cancelled: nothing happens
  EXPECT_EQ(user.errors.size(), 1u);
  EXPECT_EQ(user.file_questions, 3);
}

TEST(PreviewWindow, PrintGoesThroughTheSetupDialog) {
  ScriptedUser user;
  const auto pdf = testing::OutputPath("preview_printed.pdf");
  std::filesystem::remove(pdf);
  user.on_modal = [&](QDialog& dialog) {
    auto* setup = qobject_cast<PrinterSetupDialog*>(&dialog);
    EXPECT_NE(setup, nullptr);
    if (setup == nullptr) return int(QDialog::Rejected);
    QComboBox* printer = Child<QComboBox>(dialog, "printer");
    printer->setCurrentIndex(printer->count() - 1);  // the PDF file
    // The page is laid out already: paper and orientation are not offered.
    EXPECT_FALSE(Child<QComboBox>(dialog, "paper")->isEnabled());
    Child<QLineEdit>(dialog, "pdfFile")->setText(QString::fromStdString(pdf.string()));
    return int(QDialog::Accepted);
  };
  PreviewWindow preview(NumberedPages(2));
  Click(preview, "print");
  EXPECT_EQ(user.modal_count, 1);
  EXPECT_NE(testing::PdfText(pdf).find("第2页 企业"), std::string::npos);
}

TEST(PrinterSetupDialog, PdfTargetNeedsAFileAndPageChoicesComeBack) {
  ScriptedUser user;
  const auto pdf = testing::OutputPath("chosen.pdf");
  user.file_answers = {pdf};
  PrinterSetupDialog dialog(PageSetup{Paper::A4, Orientation::Portrait, {15, 10, 10, 10}}, true);
  QComboBox* printer = Child<QComboBox>(dialog, "printer");
  printer->setCurrentIndex(printer->count() - 1);
  EXPECT_EQ(printer->currentText(), QStringLiteral("PDF 文件"));
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    EXPECT_EQ(printer->count(), 1);
  }
  EXPECT_FALSE(Child<QPushButton>(dialog, "ok")->isEnabled());
  Click(dialog, "browse");
  EXPECT_TRUE(Child<QPushButton>(dialog, "ok")->isEnabled());
  QComboBox* paper = Child<QComboBox>(dialog, "paper");
  paper->setCurrentIndex(paper->findText(QStringLiteral("A3")));
  Child<QRadioButton>(dialog, "landscape")->setChecked(true);
  const PrintSetup choice = dialog.choice();
  EXPECT_EQ(choice.target.pdf_file, pdf);
  EXPECT_TRUE(choice.target.ToPdf());
  EXPECT_EQ(choice.page.paper, Paper::A3);
  EXPECT_EQ(choice.page.orientation, Orientation::Landscape);
  EXPECT_EQ(choice.page.margins.left_mm, 15);
}

TEST(PrinterSetupDialog, CancelGivesNoChoice) {
  ScriptedUser user;
  EXPECT_FALSE(AskPrintSetup(PageSetup{}, true).has_value());
  EXPECT_EQ(user.modal_count, 1);
}

}  // namespace
}  // namespace veltra::print
