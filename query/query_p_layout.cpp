#include "query/query_p_layout.h"

#include <algorithm>

#include "platform/text/gbk.h"

namespace veltra::query {
namespace {

// Columns from `first` that fit beside the fixed column; always at least one.
std::vector<int> ColumnBand(const std::vector<PrintColumn>& columns, std::size_t first, int available,
                            const TextWidth& width) {
  std::vector<int> x{0};
  for (std::size_t c = first; c < columns.size(); ++c) {
    const int next = x.back() + width(PaddedCaption(columns[c]));
    if (next >= available && x.size() > 1) break;
    x.push_back(next);
    if (next >= available) break;  // a column wider than the page gets a page of its own
  }
  return x;
}

}  // namespace

std::string PaddedCaption(const PrintColumn& column) {
  std::string padded = column.caption;
  const std::size_t length = text::GbkLength(padded);
  if (column.width_chars > 0 && length < static_cast<std::size_t>(column.width_chars)) {
    padded.append(static_cast<std::size_t>(column.width_chars) - length, ' ');
  }
  return padded + "  ";
}

int FixedColumnWidth(const std::vector<PrintColumn>& columns, bool fixed_left_column, const TextWidth& width) {
  return fixed_left_column && !columns.empty() ? width(PaddedCaption(columns.front())) : 0;
}

int PrintoutLayout::PagesPerBand() const {
  return std::max(1, (record_count_ + rows_per_page_ - 1) / rows_per_page_);
}

int PrintoutLayout::PageCount() const { return static_cast<int>(bands_.size()) * PagesPerBand(); }

PrintedPage PrintoutLayout::Page(int index) const {
  const Band& band = bands_.at(static_cast<std::size_t>(index / PagesPerBand()));
  PrintedPage page{band.column_x, band.first_column};
  page.first_row = index % PagesPerBand() * rows_per_page_;
  page.row_count = std::min(rows_per_page_, record_count_ - page.first_row);
  return page;
}

PrintoutLayout Paginate(const std::vector<PrintColumn>& columns, int record_count, bool fixed_left_column,
                        const PageGeometry& geometry, const TextWidth& width) {
  const int available = geometry.printable_width - 10 - FixedColumnWidth(columns, fixed_left_column, width);
  PrintoutLayout layout;
  layout.record_count_ = std::max(0, record_count);
  // Below the caption row a row still starts while y < row_limit; a page
  // takes one row whatever its height.
  const int row_limit = geometry.usable_height - geometry.title_band_height - 2 * geometry.row_height;
  const int row_height = std::max(1, geometry.row_height);
  if (row_limit > row_height) layout.rows_per_page_ = (row_limit + row_height - 1) / row_height - 1;
  for (std::size_t column = fixed_left_column ? 1 : 0; column < columns.size();) {
    PrintoutLayout::Band band{ColumnBand(columns, column, available, width), static_cast<int>(column)};
    column += band.column_x.size() - 1;
    layout.bands_.push_back(std::move(band));
  }
  return layout;
}

std::optional<PageRange> PrintRange(int from, int to, int page_count) {
  if (from < 1 || from > to || to > page_count) return std::nullopt;
  return PageRange{from - 1, to - 1};
}

}  // namespace veltra::query
