#pragma once
// Building blocks of the fixed printouts: their fonts, ruled rows of cells
// and titles, in units of the virtual page (0.1 mm). A cell shows fixed
// text or a field of the report's table; a row is framed and ruled between
// its cells, so rows stacked without a gap form a ruled grid.
#include <QString>

#include <string>
#include <vector>

#include "platform/print/band.h"
#include "platform/print/band_report.h"

namespace veltra::reports {

print::Font Song(double points);
print::Font Hei(double points);
print::Font Arial(double points);

// Height of one line of `font`.
int LineHeight(const print::Font& font);
// Width that `text` needs in `font`, with the cell's padding on both sides.
int CellWidthFor(const QString& text, const print::Font& font);

struct SheetCell {
  int width = 0;
  QString caption;    // fixed text, when `field` is empty
  std::string field;  // a field of Table1
  print::Alignment alignment = print::Alignment::Left;
  std::string mask;   // display mask of a numeric field
  std::string expression;  // an expression over the report's tables, instead
};

// Fixed text and field cells.
SheetCell Caption(int width, const QString& text, print::Alignment alignment = print::Alignment::Left);
SheetCell Text(int width, std::string field);
SheetCell Number(int width, std::string field, std::string mask = "");
SheetCell Expression(int width, std::string expression, print::Alignment alignment);

// The cell's text, vertically centred in the rectangle; lines of a
// caption break at '\n'.
void AddCellText(print::Band& band, const QRect& cell, const SheetCell& content, const print::Font& font);

// A framed row of cells from the band's left edge at `top`, ruled between
// its cells; the band grows to hold it.
void AddRuledRow(print::Band& band, int top, int height, const std::vector<SheetCell>& cells,
                 const print::Font& font);

// Text centred over `width` at `top`; the band grows to hold it.
void AddCentredTitle(print::Band& band, int top, int width, const QString& text, const print::Font& font);

// Height of a row of the one-record sheets (11 point text).
inline constexpr int kSheetRowHeight = 70;

// The title of a one-record sheet, centred at the top of the report's title
// band; returns where the sheet's grid starts under it.
int AddSheetTitle(print::BandReport& report, const QString& title);

void AddFrame(print::Band& band, const QRect& rect);
void AddRule(print::Band& band, int x1, int y1, int x2, int y2);

}  // namespace veltra::reports
