#include "platform/print/page_canvas.h"

#include <QFontInfo>
#include <QImage>

#include <gtest/gtest.h>

#include "platform/print/page_output.h"
#include "platform/print/qt_font.h"
#include "print_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::print {
namespace {

TEST(PageSetup, PaperAndContentInTenthsOfAMillimetre) {
  PageSetup a4;
  EXPECT_EQ(a4.PaperSize(), QSize(2100, 2970));
  EXPECT_EQ(a4.ContentRect(), QRect(100, 100, 1900, 2770));
  PageSetup landscape{Paper::A4, Orientation::Landscape, {15, 20, 5, 10}};
  EXPECT_EQ(landscape.PaperSize(), QSize(2970, 2100));
  EXPECT_EQ(landscape.ContentRect(), QRect(150, 200, 2970 - 150 - 50, 2100 - 200 - 100));
  EXPECT_EQ((PageSetup{Paper::Letter}.PaperSize()), QSize(2159, 2794));
  // Layout pixels are 96 to the inch: 711 pixels are 188.1 mm.
  EXPECT_EQ(UnitsFromPixels(711), 1881);
}

TEST(PrintFonts, WindowsNamesResolveToTheInstalledChineseFonts) {
  EXPECT_EQ(QFontInfo(ToQFont({QStringLiteral("宋体"), 10}, 96)).family(),
            QStringLiteral("AR PL UMing CN"));
  EXPECT_EQ(QFontInfo(ToQFont({QStringLiteral("黑体"), 10}, 96)).family(),
            QStringLiteral("WenQuanYi Zen Hei"));
}

TEST(PrintFonts, ChineseCharactersAreOneEmWideAtTheirPointSize) {
  // 10 pt = 35.3 units; a Chinese character takes one em.
  const QSize one = MeasureText({QStringLiteral("宋体"), 10}, QStringLiteral("宋"));
  EXPECT_NEAR(one.width(), 35, 1);
  EXPECT_NEAR(MeasureText({QStringLiteral("宋体"), 20}, QStringLiteral("宋")).width(), 71, 1);
  EXPECT_EQ(MeasureText({QStringLiteral("宋体"), 10}, QStringLiteral("校验表")).width(),
            3 * one.width());
  // Arial text with Chinese falls back to a Chinese font rather than nothing.
  EXPECT_GE(MeasureText({QStringLiteral("Arial"), 10}, QStringLiteral("企业")).width(), 60);
}

TEST(PageCanvas, RecordsDrawingOnTheCurrentPage) {
  PageCanvas canvas(PageSetup{});
  canvas.SetFont({QStringLiteral("黑体"), 16});
  canvas.TextOut(100, 100, QStringLiteral("校验表"));
  canvas.TextOut(100, 200, QString());  // nothing to draw
  canvas.NewPage();
  canvas.SetPenWidth(3);
  canvas.Line(100, 300, 2000, 300);
  canvas.Frame(QRect(100, 100, 500, 80));
  canvas.Fill(QRect(0, 0, 10, 10), Qt::gray);
  EXPECT_EQ(canvas.PageCount(), 2);
  const Document document = canvas.TakeDocument();
  ASSERT_EQ(document.pages[0].ops.size(), 1u);
  const auto& text = std::get<TextOp>(document.pages[0].ops[0]);
  EXPECT_EQ(text.font, (Font{QStringLiteral("黑体"), 16}));
  ASSERT_EQ(document.pages[1].ops.size(), 3u);
  EXPECT_EQ(std::get<LineOp>(document.pages[1].ops[0]).width, 3);
}

// One sheet with titles, a ruled table and Arial beside Chinese, drawn on an image.
Document SampleSheet(Orientation orientation) {
  PageCanvas canvas(PageSetup{Paper::A4, orientation});
  canvas.SetFont({QStringLiteral("黑体"), 16});
  canvas.TextOut(800, 120, QStringLiteral("校验表"));
  canvas.SetFont({QStringLiteral("宋体"), 10});
  canvas.TextOut(120, 220, QStringLiteral("高新区企业 2011年"));
  canvas.Frame(QRect(110, 300, 1880, 80));
  canvas.Line(400, 300, 400, 380);
  canvas.Fill(QRect(111, 301, 288, 78), QColor(220, 220, 220));
  canvas.TextOut(130, 320, QStringLiteral("报表编号"));
  canvas.TextOut(420, 320, QStringLiteral("企业名称不能为空"));
  canvas.SetFont({QStringLiteral("Arial"), 10});
  canvas.TextOut(130, 420, QStringLiteral("Arial 企业 12345"));
  return canvas.TakeDocument();
}

TEST(PageOutput, ImageHasTheSheetsProportionsAndInkWhereDrawn) {
  const Document document = SampleSheet(Orientation::Portrait);
  const QImage image = RenderPageImage(document, 0, 96);
  EXPECT_EQ(image.size(), QSize(793, 1122));
  ASSERT_TRUE(image.save(QString::fromStdString(testing::OutputPath("sample_sheet.png").string())));
  // The frame's top edge at 30 mm, the grey fill inside it, white elsewhere.
  EXPECT_LT(qGray(image.pixel(300, 113)), 128);
  EXPECT_EQ(image.pixel(20, 113), qRgb(255, 255, 255));
  EXPECT_EQ(qGray(image.pixel(100, 130)), 220);
  // The title is inked: some dark pixels in its box (80-190 mm x 12-17 mm).
  int dark = 0;
  for (int y = 45; y < 66; ++y)
    for (int x = 302; x < 420; ++x) dark += qGray(image.pixel(x, y)) < 100;
  EXPECT_GT(dark, 100);
  EXPECT_EQ(RenderPageImage(SampleSheet(Orientation::Landscape), 0, 96).size(), QSize(1122, 793));
}

TEST(PageOutput, PdfHasThePagesSizeAndChineseText) {
  Document document = SampleSheet(Orientation::Landscape);
  document.pages.push_back(SampleSheet(Orientation::Landscape).pages[0]);
  const auto pdf = testing::OutputPath("sample_sheet.pdf");
  WritePdf(document, pdf, {1, 1});
  const std::string text = testing::PdfText(pdf);
  EXPECT_NE(text.find("校验表"), std::string::npos) << text;
  EXPECT_NE(text.find("企业名称不能为空"), std::string::npos) << text;
  EXPECT_NE(text.find("Arial 企业 12345"), std::string::npos) << text;
  EXPECT_EQ(text.find('\f'), text.rfind('\f')) << "one page only";
}

TEST(PageOutput, RangeOutsideThePrintoutIsRefusedAndLeavesNoFile) {
  const Document document = SampleSheet(Orientation::Portrait);
  const auto pdf = testing::OutputPath("refused.pdf");
  std::filesystem::remove(pdf);
  EXPECT_THROW(WritePdf(document, pdf, {0, 1}), EngineError);
  EXPECT_THROW(WritePdf(document, pdf, {1, 0}), EngineError);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

// A printer that cannot print is named in the user's words as they stand:
// it is no table that failed.
TEST(PageOutput, APrinterThatCannotPrintIsNamed) {
  try {
    PrintDocument(SampleSheet(Orientation::Portrait), {QStringLiteral("无此打印机"), {}}, {0, 0});
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.worded());
    EXPECT_STREQ(e.what(), "打印机“无此打印机”不能打印");
  }
}

TEST(PageOutput, UnwritableFolderNamesTheFile) {
  EXPECT_TRUE(veltra::testing::ThrowsEngineError(
      [] { WritePdf(SampleSheet(Orientation::Portrait), testing::OutputPath("no_such_dir") / "x.pdf"); },
      EngineError::Kind::Io, {"no_such_dir"}));
}

}  // namespace
}  // namespace veltra::print
