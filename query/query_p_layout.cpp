#include "query/query_p_layout.h"

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

std::vector<PrintedPage> Paginate(const std::vector<PrintColumn>& columns, int record_count,
                                  bool fixed_left_column, const PageGeometry& geometry, const TextWidth& width) {
  const int available = geometry.printable_width - 10 - FixedColumnWidth(columns, fixed_left_column, width);
  const int row_limit = geometry.usable_height - geometry.title_band_height - 2 * geometry.row_height;
  std::vector<PrintedPage> pages;
  std::size_t column = fixed_left_column ? 1 : 0;
  while (column < columns.size()) {
    PrintedPage page;
    page.column_x = ColumnBand(columns, column, available, width);
    page.first_column = static_cast<int>(column);
    column += static_cast<std::size_t>(page.ColumnCount());

    int y = geometry.row_height;  // below the caption row
    for (int record = 0; record < record_count; ++record) {
      if (y >= row_limit && page.row_count > 0) {
        pages.push_back(page);
        page.first_row = record;
        page.row_count = 0;
        y = geometry.row_height;
      }
      ++page.row_count;
      y += geometry.row_height;
    }
    pages.push_back(std::move(page));
  }
  return pages;
}

std::optional<PageRange> PrintRange(int from, int to, int page_count) {
  if (from < 1 || from > to || to > page_count) return std::nullopt;
  return PageRange{from - 1, to - 1};
}

}  // namespace veltra::query
