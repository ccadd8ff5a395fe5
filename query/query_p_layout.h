#pragma once
// Page layout of the generic printout, in printer pixels. Fields are laid
// out left to right in column bands as wide as the page allows, and rows
// down each band over as many pages as needed: all pages of the first band
// come first, then those of the next. With the fixed left column, field 0
// is printed at the left of every page and the bands start at field 1.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::query {

// One printed column: its caption and its width in single-byte characters
// (a Chinese character counts two).
struct PrintColumn {
  std::string caption;
  int width_chars = 0;
};

// Width in printer pixels of a text in the body font.
using TextWidth = std::function<int(std::string_view)>;

struct PageGeometry {
  int printable_width = 0;    // page width - 10
  int usable_height = 0;      // printable height - page-number height - 20
  int title_band_height = 0;  // title text height + 25, or 15 without a title
  int row_height = 0;         // body text height + 10
};

struct PrintedPage {
  std::vector<int> column_x;  // X0 = 0, X1 ... XN: start of each column and end of the last
  int first_column = 0;       // field index of the page's first column
  int first_row = 0;          // 0-based record index
  int row_count = 0;

  int ColumnCount() const { return static_cast<int>(column_x.size()) - 1; }
};

// The caption padded with blanks to its width in bytes, then two blanks:
// what a column's width is measured on.
std::string PaddedCaption(const PrintColumn& column);

// Width of the fixed left column, 0 when it is not shown.
int FixedColumnWidth(const std::vector<PrintColumn>& columns, bool fixed_left_column, const TextWidth& width);

// The page table. Every page of a band holds the same number of rows, so
// a page is found from its number alone: laying out visits the columns
// once and no record.
class PrintoutLayout {
 public:
  int PageCount() const;
  PrintedPage Page(int index) const;  // 0 <= index < PageCount()

 private:
  friend PrintoutLayout Paginate(const std::vector<PrintColumn>&, int, bool, const PageGeometry&, const TextWidth&);
  struct Band {
    std::vector<int> column_x;
    int first_column = 0;
  };
  int PagesPerBand() const;

  std::vector<Band> bands_;
  int record_count_ = 0;
  int rows_per_page_ = 1;
};

// `columns` holds one entry per field of the printed table, in field order.
// Every page holds at least one column and, when there are records, at
// least one row, however large the font.
PrintoutLayout Paginate(const std::vector<PrintColumn>& columns, int record_count, bool fixed_left_column,
                        const PageGeometry& geometry, const TextWidth& width);

// Pages `from` to `to` (1-based, as typed) as 0-based indexes; nothing
// when they are not 1 <= from <= to <= page count.
struct PageRange {
  int first = 0;
  int last = 0;
};
std::optional<PageRange> PrintRange(int from, int to, int page_count);

}  // namespace veltra::query
