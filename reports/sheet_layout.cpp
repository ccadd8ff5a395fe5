#include "reports/sheet_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/print/page_setup.h"
#include "platform/text/gbk.h"

namespace veltra::reports {
namespace {

constexpr int kPadding = 15;  // 1.5 mm between a cell's rule and its text

void Grow(print::Band& band, int bottom) { band.height = std::max(band.height, bottom); }

// One point is 1/72 inch.
int PointsToUnits(double points) { return static_cast<int>(std::lround(points * print::kUnitsPerInch / 72.0)); }

}  // namespace

print::Font Song(double points) { return {QStringLiteral("宋体"), points}; }
print::Font Hei(double points) { return {QStringLiteral("黑体"), points}; }
print::Font Arial(double points) { return {QStringLiteral("Arial"), points}; }

int LineHeight(const print::Font& font) { return PointsToUnits(font.point_size * 1.2); }

int CellWidthFor(const QString& text, const print::Font& font) {
  // A Chinese character is one em wide, a Latin letter or digit about half.
  const std::size_t half_ems = text::GbkLength(text.toStdString());
  return static_cast<int>(half_ems * PointsToUnits(font.point_size) / 2) + 2 * kPadding;
}

SheetCell Caption(int width, const QString& text, print::Alignment alignment) {
  return {width, text, "", alignment, ""};
}

SheetCell Text(int width, std::string field) { return {width, {}, std::move(field), print::Alignment::Left, ""}; }

SheetCell Number(int width, std::string field, std::string mask) {
  return {width, {}, std::move(field), print::Alignment::Right, std::move(mask)};
}

SheetCell Expression(int width, std::string expression, print::Alignment alignment) {
  return {width, {}, "", alignment, "", std::move(expression)};
}

void AddCellText(print::Band& band, const QRect& cell, const SheetCell& content, const print::Font& font) {
  const int lines = static_cast<int>(content.caption.count(QLatin1Char('\n'))) + 1;
  const int top = cell.top() + (cell.height() - lines * LineHeight(font)) / 2;
  // A value longer than its cell (an enterprise's or project's full name) is printed smaller.
  const print::TextBox box{cell.left() + kPadding, top, cell.width() - 2 * kPadding, content.alignment, font,
                           content.caption.isEmpty()};
  if (!content.field.empty()) {
    band.items.push_back(print::DataText{box, content.field, content.mask});
  } else if (!content.expression.empty()) {
    band.items.push_back(print::ExpressionText{box, content.expression, content.mask});
  } else {
    band.items.push_back(print::Label{box, content.caption});
  }
}

void AddRuledRow(print::Band& band, int top, int height, const std::vector<SheetCell>& cells,
                 const print::Font& font) {
  int left = 0;
  for (const SheetCell& cell : cells) {
    if (left > 0) AddRule(band, left, top, left, top + height);
    AddCellText(band, QRect(left, top, cell.width, height), cell, font);
    left += cell.width;
  }
  AddFrame(band, QRect(0, top, left, height));
}

void AddCentredTitle(print::Band& band, int top, int width, const QString& text, const print::Font& font) {
  band.items.push_back(print::Label{{0, top, width, print::Alignment::Center, font}, text});
  Grow(band, top + LineHeight(font));
}

int AddSheetTitle(print::BandReport& report, const QString& title) {
  constexpr int kTitleSpace = 110;  // the title and the gap under it
  AddCentredTitle(report.title, 0, report.page.ContentRect().width(), title, Hei(14));
  return kTitleSpace;
}

void AddFrame(print::Band& band, const QRect& rect) {
  band.items.push_back(print::FrameShape{rect});
  Grow(band, rect.top() + rect.height());
}

void AddRule(print::Band& band, int x1, int y1, int x2, int y2) {
  band.items.push_back(print::RuleShape{QLine(x1, y1, x2, y2)});
  Grow(band, std::max(y1, y2));
}

}  // namespace veltra::reports
