#pragma once
// The printer canvas: what a printout draws with, in units of the virtual
// page (0.1 mm from the sheet's corner). Text is measured on a fixed
// virtual resolution, so a layout that depends on text widths paginates the
// same wherever it runs. The drawing is recorded into a Document.
#include <QSize>
#include <QString>

#include <utility>

#include "platform/print/document.h"

namespace veltra::print {

class PageCanvas {
 public:
  // Starts the document with its first page.
  explicit PageCanvas(const PageSetup& setup);

  const PageSetup& setup() const { return document_.setup; }
  QSize PaperSize() const { return document_.setup.PaperSize(); }

  void SetFont(const Font& font) { font_ = font; }
  const Font& font() const { return font_; }
  // Line width in units; 1 is the thinnest rule.
  void SetPenWidth(int units) { pen_width_ = units; }

  // Width and height of `text` in the current font.
  QSize TextExtent(const QString& text) const;
  void TextOut(int x, int y, const QString& text);
  void Line(int x1, int y1, int x2, int y2);
  void Frame(const QRect& rect);
  void Fill(const QRect& rect, const QColor& color);

  void NewPage();
  int PageCount() const { return static_cast<int>(document_.pages.size()); }

  Document TakeDocument() { return std::move(document_); }

 private:
  Page& current() { return document_.pages.back(); }

  Document document_;
  Font font_;
  int pen_width_ = 1;
};

// Width and height of `text` in `font`, in units, on the virtual resolution.
QSize MeasureText(const Font& font, const QString& text);

}  // namespace veltra::print
