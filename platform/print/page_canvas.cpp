#include "platform/print/page_canvas.h"

#include <QFontMetricsF>
#include <QImage>

#include <cmath>

#include "platform/print/qt_font.h"

namespace veltra::print {
namespace {

// A device of one pixel per unit, only for measuring.
const QImage& MeasuringDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_RGB32);
    const int dots_per_metre = static_cast<int>(kUnitsPerMm * 1000);
    image.setDotsPerMeterX(dots_per_metre);
    image.setDotsPerMeterY(dots_per_metre);
    return image;
  }();
  return device;
}

}  // namespace

QSize MeasureText(const Font& font, const QString& text) {
  const QImage& device = MeasuringDevice();
  const QFontMetricsF metrics(ToQFont(font, device.logicalDpiY()), &device);
  return QSize(static_cast<int>(std::lround(metrics.horizontalAdvance(text))),
               static_cast<int>(std::lround(metrics.height())));
}

PageCanvas::PageCanvas(const PageSetup& setup) {
  document_.setup = setup;
  document_.pages.emplace_back();
}

QSize PageCanvas::TextExtent(const QString& text) const { return MeasureText(font_, text); }

void PageCanvas::TextOut(int x, int y, const QString& text) {
  if (text.isEmpty()) return;
  current().ops.push_back(TextOp{QPoint(x, y), text, font_});
}

void PageCanvas::Line(int x1, int y1, int x2, int y2) {
  current().ops.push_back(LineOp{QLine(x1, y1, x2, y2), pen_width_});
}

void PageCanvas::Frame(const QRect& rect) {
  current().ops.push_back(FrameOp{rect, pen_width_});
}

void PageCanvas::Fill(const QRect& rect, const QColor& color) {
  current().ops.push_back(FillOp{rect, color});
}

void PageCanvas::NewPage() { document_.pages.emplace_back(); }

}  // namespace veltra::print
