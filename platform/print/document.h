#pragma once
// A laid-out printout: pages of drawing operations in units of the virtual
// page. The same document is drawn on the preview, a printer or a PDF file,
// and tests read its pages to check what a layout put where.
#include <QColor>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>

#include <variant>
#include <vector>

#include "platform/print/page_setup.h"

namespace veltra::print {

// A font by its Windows name ("宋体", "黑体", "Arial"); fontconfig maps the
// names to installed fonts and falls back for characters a font lacks.
struct Font {
  QString family = QStringLiteral("宋体");
  double point_size = 9;
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// Text whose cell starts at `top_left` (as Windows' TextOut places it).
struct TextOp {
  QPoint top_left;
  QString text;
  Font font;
  QColor color = Qt::black;
};

struct LineOp {
  QLine line;
  int width = 1;
  QColor color = Qt::black;
};

// The outline of a rectangle.
struct FrameOp {
  QRect rect;
  int width = 1;
  QColor color = Qt::black;
};

struct FillOp {
  QRect rect;
  QColor color;
};

using DrawOp = std::variant<TextOp, LineOp, FrameOp, FillOp>;

struct Page {
  std::vector<DrawOp> ops;
};

struct Document {
  PageSetup setup;
  std::vector<Page> pages;
};

// The pages of a printout as a preview, a printer or a PDF file takes them,
// one at a time: a long report draws each page only when it is asked for.
class PageSource {
 public:
  virtual ~PageSource() = default;
  virtual const PageSetup& Setup() const = 0;
  virtual int PageCount() const = 0;
  // 0-based, below PageCount(); valid until the next call.
  virtual const Page& PageAt(int index) = 0;
};

// The pages of a document laid out beforehand; the document must outlive it.
class DocumentPages : public PageSource {
 public:
  explicit DocumentPages(const Document& document) : document_(document) {}
  const PageSetup& Setup() const override { return document_.setup; }
  int PageCount() const override { return static_cast<int>(document_.pages.size()); }
  const Page& PageAt(int index) override { return document_.pages.at(static_cast<std::size_t>(index)); }

 private:
  const Document& document_;
};

}  // namespace veltra::print
