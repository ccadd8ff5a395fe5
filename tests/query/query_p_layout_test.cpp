#include "query/query_p_layout.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace veltra::query {
namespace {

// Ten printer pixels per byte: a 10-character column with its two closing
// blanks is 120 pixels wide.
int TenPerByte(std::string_view text) { return static_cast<int>(text::GbkLength(text)) * 10; }

// 390 pixels for columns (three of 120 fit); rows while y < 500 - 15 - 40,
// so 22 rows per page (y = 20, 40, ... 440).
constexpr PageGeometry kPage{400, 500, 15, 20};
constexpr int kRowsPerPage = 22;

std::vector<PrintColumn> Columns(int count, int width = 10) {
  std::vector<PrintColumn> columns;
  for (int i = 0; i < count; ++i) columns.push_back({"F" + std::to_string(i), width});
  return columns;
}

struct Shape {
  int first_column, columns, first_row, rows;
  friend bool operator==(const Shape&, const Shape&) = default;
};
std::ostream& operator<<(std::ostream& out, const Shape& s) {
  return out << "{col " << s.first_column << " x" << s.columns << ", row " << s.first_row << " x" << s.rows << "}";
}
std::vector<Shape> Shapes(const PrintoutLayout& layout) {
  std::vector<Shape> shapes;
  for (int i = 0; i < layout.PageCount(); ++i) {
    const PrintedPage p = layout.Page(i);
    shapes.push_back({p.first_column, p.ColumnCount(), p.first_row, p.row_count});
  }
  return shapes;
}

TEST(QueryPLayoutTest, CaptionsArePaddedToTheirWidthInBytes) {
  EXPECT_EQ(PaddedCaption({"编号", 6}), "编号    ");
  EXPECT_EQ(PaddedCaption({"企业名称", 6}), "企业名称  ");  // already 8 bytes
  EXPECT_EQ(PaddedCaption({"QA01", 0}), "QA01  ");
}

TEST(QueryPLayoutTest, PagesGoDownThenAcross) {
  const auto pages = Paginate(Columns(7), 50, false, kPage, TenPerByte);
  EXPECT_EQ(Shapes(pages), (std::vector<Shape>{{0, 3, 0, 22}, {0, 3, 22, 22}, {0, 3, 44, 6},
                                               {3, 3, 0, 22}, {3, 3, 22, 22}, {3, 3, 44, 6},
                                               {6, 1, 0, 22}, {6, 1, 22, 22}, {6, 1, 44, 6}}));
  EXPECT_EQ(pages.Page(0).column_x, (std::vector<int>{0, 120, 240, 360}));
  EXPECT_EQ(pages.Page(7).column_x, (std::vector<int>{0, 120}));
}

TEST(QueryPLayoutTest, ExactlyFullPageOpensNoEmptyOne) {
  EXPECT_EQ(Shapes(Paginate(Columns(1), kRowsPerPage, false, kPage, TenPerByte)),
            (std::vector<Shape>{{0, 1, 0, kRowsPerPage}}));
}

TEST(QueryPLayoutTest, FixedLeftColumnNarrowsEveryBand) {
  auto columns = Columns(7);
  EXPECT_EQ(FixedColumnWidth(columns, true, TenPerByte), 120);
  EXPECT_EQ(FixedColumnWidth(columns, false, TenPerByte), 0);
  // 270 pixels are left beside the fixed column: two columns a page, from field 1.
  EXPECT_EQ(Shapes(Paginate(columns, 5, true, kPage, TenPerByte)),
            (std::vector<Shape>{{1, 2, 0, 5}, {3, 2, 0, 5}, {5, 2, 0, 5}}));
}

TEST(QueryPLayoutTest, FixedLeftColumnAloneLaysOutNoPage) {
  EXPECT_EQ(Paginate(Columns(1), 5, true, kPage, TenPerByte).PageCount(), 0);
  EXPECT_EQ(Paginate({}, 5, false, kPage, TenPerByte).PageCount(), 0);
}

TEST(QueryPLayoutTest, ColumnWiderThanThePageGetsAPageOfItsOwn) {
  const std::vector<PrintColumn> columns{{"A", 10}, {"WIDE", 100}, {"B", 10}};
  const auto pages = Paginate(columns, 1, false, kPage, TenPerByte);
  EXPECT_EQ(Shapes(pages), (std::vector<Shape>{{0, 1, 0, 1}, {1, 1, 0, 1}, {2, 1, 0, 1}}));
  EXPECT_EQ(pages.Page(1).column_x, (std::vector<int>{0, 1020}));
}

TEST(QueryPLayoutTest, NoRecordsGiveCaptionOnlyPages) {
  EXPECT_EQ(Shapes(Paginate(Columns(4), 0, false, kPage, TenPerByte)),
            (std::vector<Shape>{{0, 3, 0, 0}, {3, 1, 0, 0}}));
}

TEST(QueryPLayoutTest, HugeFontStillPrintsOneRowPerPage) {
  const PageGeometry tall_rows{400, 500, 15, 300};
  EXPECT_EQ(Shapes(Paginate(Columns(1), 3, false, tall_rows, TenPerByte)),
            (std::vector<Shape>{{0, 1, 0, 1}, {0, 1, 1, 1}, {0, 1, 2, 1}}));
}

TEST(QueryPLayoutTest, ManyPagesAndColumnsAreNotCapped) {
  // Far beyond 2000 pages and 199 columns on one page.
  const auto long_table = Paginate(Columns(1), 50000, false, kPage, TenPerByte);
  EXPECT_EQ(long_table.PageCount(), (50000 + kRowsPerPage - 1) / kRowsPerPage);
  const PrintedPage last = long_table.Page(long_table.PageCount() - 1);
  EXPECT_EQ(last.first_row + last.row_count, 50000);
  const PageGeometry wide_page{100000, 500, 15, 20};
  EXPECT_EQ(Paginate(Columns(300, 1), 1, false, wide_page, TenPerByte).Page(0).ColumnCount(), 300);
}

TEST(QueryPLayoutTest, PrintRangeMustLieWithinThePages) {
  const auto range = PrintRange(2, 3, 3);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 1);
  EXPECT_EQ(range->last, 2);
  EXPECT_TRUE(PrintRange(1, 1, 1));
  EXPECT_FALSE(PrintRange(0, 2, 3));
  EXPECT_FALSE(PrintRange(3, 2, 3));
  EXPECT_FALSE(PrintRange(1, 4, 3));
  EXPECT_FALSE(PrintRange(1, 1, 0));
}

}  // namespace
}  // namespace veltra::query
