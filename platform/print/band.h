#pragma once
// The pieces a banded report layout is made of. Positions are in units of
// the virtual page (0.1 mm), relative to the band's top-left corner, which
// lies on the left margin.
#include <QLine>
#include <QRect>
#include <QString>

#include <string>
#include <variant>
#include <vector>

#include "platform/print/document.h"

namespace veltra::print {

enum class Alignment { Left, Center, Right };

// Where a text stands: from `left` over `width` (0: as wide as the text,
// which then starts at `left` whatever the alignment).
struct TextBox {
  int left = 0;
  int top = 0;
  int width = 0;
  Alignment alignment = Alignment::Left;
  Font font;
  // A line wider than the box is printed in a smaller size of the font, so
  // that it stays whole and clear of its neighbours.
  bool shrink_to_fit = false;
};

// Fixed text; '\n' breaks it into lines, each aligned in the box.
struct Label {
  TextBox box;
  QString text;
};

// A field of the report's data set, found by name without regard to ASCII
// case. A null value prints nothing; a number goes through `mask` when set.
struct DataText {
  TextBox box;
  std::string field;
  std::string mask;
};

// An expression over the report's data sets (see expression.h).
struct ExpressionText {
  TextBox box;
  std::string expression;
  std::string mask;
};

// "{page}" and "{pages}" in `format` become the page number and the page count.
struct PageNumberText {
  TextBox box;
  QString format = QStringLiteral("{page}");
};

struct FrameShape {
  QRect rect;
  int width = 1;
};

struct RuleShape {
  QLine line;
  int width = 1;
};

using BandItem = std::variant<Label, DataText, ExpressionText, PageNumberText, FrameShape, RuleShape>;

// A band of zero height is absent from the report.
struct Band {
  int height = 0;
  std::vector<BandItem> items;
  bool present() const { return height > 0; }
};

}  // namespace veltra::print
