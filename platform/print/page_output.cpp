#include "platform/print/page_output.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/formats/file_io.h"
#include "platform/print/qt_font.h"
#include "platform/types/error.h"

namespace veltra::print {
namespace {

constexpr int kPdfResolution = 1200;

QPageSize ToQPageSize(Paper paper) {
  switch (paper) {
    case Paper::A4: return QPageSize(QPageSize::A4);
    case Paper::A3: return QPageSize(QPageSize::A3);
    case Paper::A5: return QPageSize(QPageSize::A5);
    case Paper::B5: return QPageSize(QPageSize::JisB5);
    case Paper::Letter: return QPageSize(QPageSize::Letter);
  }
  return QPageSize(QPageSize::A4);
}

QPageLayout ToQPageLayout(const PageSetup& setup) {
  return QPageLayout(ToQPageSize(setup.paper),
                     setup.orientation == Orientation::Portrait ? QPageLayout::Portrait
                                                                : QPageLayout::Landscape,
                     QMarginsF(0, 0, 0, 0));
}

// A pen at least one device pixel wide, so thin rules show on a screen.
QPen RulePen(const QColor& color, int width_units, double scale) {
  QPen pen(color, std::max(width_units * scale, 1.0));
  pen.setCosmetic(true);
  pen.setCapStyle(Qt::SquareCap);
  return pen;
}

PageRange Resolve(const PageSource& pages, PageRange range) {
  const int count = pages.PageCount();
  if (range.last < 0) range.last = count - 1;
  if (range.first < 0 || range.first > range.last || range.last >= count)
    throw EngineError(EngineError::Kind::InvalidValue,
                      "pages " + std::to_string(range.first + 1) + " to " + std::to_string(range.last + 1) +
                          " are not in the printout of " + std::to_string(count) + " pages",
                      {"", "", "", 0, 0,
                       "打印的页码须在1至" + std::to_string(count) + "之间，不能是" +
                           std::to_string(range.first + 1) + "至" + std::to_string(range.last + 1)});
  return range;
}

void DrawPages(QPainter& painter, QPagedPaintDevice& device, PageSource& pages, PageRange range) {
  const double dpi = device.logicalDpiY();
  for (int i = range.first; i <= range.last; ++i) {
    if (i > range.first) device.newPage();
    DrawPage(painter, pages.PageAt(i), dpi);
  }
}

void PrintOnPrinter(PageSource& pages, const QString& printer_name, PageRange range) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPrinterName(printer_name);
  printer.setFullPage(true);
  printer.setPageLayout(ToQPageLayout(pages.Setup()));
  QPainter painter;
  if (!printer.isValid() || !painter.begin(&printer))
    throw EngineError(EngineError::Kind::Io, EngineError::Words{"打印机“" + printer_name.toStdString() + "”不能打印"});
  DrawPages(painter, printer, pages, range);
  painter.end();
}

}  // namespace

void DrawPage(QPainter& painter, const Page& page, double device_dpi) {
  const double scale = device_dpi / kUnitsPerInch;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.scale(scale, scale);
  for (const DrawOp& op : page.ops) {
    if (const auto* text = std::get_if<TextOp>(&op)) {
      painter.setFont(ToQFont(text->font, device_dpi));
      painter.setPen(text->color);
      painter.drawText(QRectF(text->top_left, QSizeF(1e6, 1e6)),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                       text->text);
    } else if (const auto* line = std::get_if<LineOp>(&op)) {
      painter.setPen(RulePen(line->color, line->width, scale));
      painter.drawLine(line->line);
    } else if (const auto* frame = std::get_if<FrameOp>(&op)) {
      painter.setPen(RulePen(frame->color, frame->width, scale));
      painter.setBrush(Qt::NoBrush);
      // QRect's right edge is one unit inside; draw the exact outline.
      painter.drawRect(QRectF(frame->rect.topLeft(), QSizeF(frame->rect.size())));
    } else if (const auto* fill = std::get_if<FillOp>(&op)) {
      painter.fillRect(fill->rect, fill->color);
    }
  }
  painter.restore();
}

QImage RenderPageImage(const PageSetup& setup, const Page& page, double dpi) {
  const QSize sheet = setup.PaperSize();
  const double scale = dpi / kUnitsPerInch;
  QImage image(static_cast<int>(sheet.width() * scale), static_cast<int>(sheet.height() * scale),
               QImage::Format_RGB32);
  const int dots_per_metre = static_cast<int>(std::lround(dpi / 0.0254));
  image.setDotsPerMeterX(dots_per_metre);
  image.setDotsPerMeterY(dots_per_metre);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawPage(painter, page, image.logicalDpiY());
  return image;
}

QImage RenderPageImage(const Document& document, int page_index, double dpi) {
  return RenderPageImage(document.setup, document.pages.at(page_index), dpi);
}

void WritePdf(PageSource& pages, const std::filesystem::path& path, PageRange range) {
  range = Resolve(pages, range);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(ToQPageLayout(pages.Setup()));
    writer.setCreator(QStringLiteral("Veltra"));
    QPainter painter;
    if (!painter.begin(&writer))
      throw EngineError(EngineError::Kind::Io, "cannot start the PDF file " + path.string(), {path.string()});
    DrawPages(painter, writer, pages, range);
    painter.end();
  }
  formats::WriteFileAtomically(path, std::string_view(buffer.data().constData(),
                                                      static_cast<std::size_t>(buffer.size())));
}

void WritePdf(const Document& document, const std::filesystem::path& path, PageRange range) {
  DocumentPages pages(document);
  WritePdf(pages, path, range);
}

void PrintDocument(PageSource& pages, const PrintTarget& target, PageRange range) {
  if (target.ToPdf()) {
    WritePdf(pages, target.pdf_file, range);
    return;
  }
  PrintOnPrinter(pages, target.printer_name, Resolve(pages, range));
}

void PrintDocument(const Document& document, const PrintTarget& target, PageRange range) {
  DocumentPages pages(document);
  PrintDocument(pages, target, range);
}

}  // namespace veltra::print
