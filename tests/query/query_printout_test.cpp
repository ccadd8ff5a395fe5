#include "query/query_printout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/print/page_output.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/query/pdf_text.h"

namespace veltra::query {
namespace {

std::vector<std::string> TextsOf(const print::Page& page) {
  std::vector<std::string> texts;
  for (const print::DrawOp& op : page.ops) {
    if (const auto* text = std::get_if<print::TextOp>(&op)) texts.push_back(text->text.toStdString());
  }
  return texts;
}
int LinesOf(const print::Page& page) {
  int lines = 0;
  for (const print::DrawOp& op : page.ops) lines += std::holds_alternative<print::LineOp>(op);
  return lines;
}
bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class QueryPrintoutTest : public ::testing::Test {
 protected:
  QueryPrintoutTest() {
    ui::testing::EnsureApplication();
    for (int i = 0; i < 120; ++i) {
      cells.push_back({"1100" + std::to_string(10 + i), "企业" + std::to_string(i), std::to_string(i * 1.5)});
    }
    style.title = "开发区企业情况表";
  }
  print::PageSetup setup;  // A4 portrait, 10 mm margins
  PrintoutStyle style;
  std::vector<PrintColumn> columns{{"编号", 10}, {"企业名称", 40}, {"收入", 10}};
  std::vector<std::vector<std::string>> cells;
};

TEST_F(QueryPrintoutTest, EveryPageHasTitleCaptionsRowsAndItsNumber) {
  const QueryPrintout printout = LayOutQueryPrintout(setup, style, columns, cells);
  ASSERT_GT(printout.pages.size(), 1u);
  ASSERT_EQ(printout.document.pages.size(), printout.pages.size());
  int rows = 0;
  for (std::size_t p = 0; p < printout.pages.size(); ++p) {
    const auto texts = TextsOf(printout.document.pages[p]);
    EXPECT_EQ(texts.front(), "开发区企业情况表") << p;
    EXPECT_TRUE(Contains(texts, "企业名称")) << p;
    EXPECT_EQ(texts.back(), std::to_string(p + 1));
    const PrintedPage& page = printout.pages[p];
    EXPECT_EQ(page.first_row, rows);
    EXPECT_TRUE(Contains(texts, cells[static_cast<std::size_t>(page.first_row)][1])) << p;
    rows += page.row_count;
  }
  EXPECT_EQ(rows, 120);
}

TEST_F(QueryPrintoutTest, RulesFollowTheirSwitches) {
  style.horizontal_rules = false;
  style.vertical_rules = false;
  EXPECT_EQ(LinesOf(LayOutQueryPrintout(setup, style, columns, cells).document.pages[0]), 0);
  style.vertical_rules = true;
  // One line left of each of the three columns and a closing one.
  EXPECT_EQ(LinesOf(LayOutQueryPrintout(setup, style, columns, cells).document.pages[0]), 4);
}

TEST_F(QueryPrintoutTest, FixedLeftColumnRepeatsOnEveryBand) {
  style.fixed_left_column = true;
  style.body_font.point_size = 40;  // forces the two other columns onto bands of their own
  const QueryPrintout printout = LayOutQueryPrintout(setup, style, columns, {{"110001", "甲企业", "2"}});
  ASSERT_EQ(printout.pages.size(), 2u);
  for (const print::Page& page : printout.document.pages) {
    EXPECT_TRUE(Contains(TextsOf(page), "编号"));
    EXPECT_TRUE(Contains(TextsOf(page), "110001"));
  }
  EXPECT_TRUE(Contains(TextsOf(printout.document.pages[1]), "2"));
}

TEST_F(QueryPrintoutTest, NoPagesGiveAnEmptyDocument) {
  style.fixed_left_column = true;
  const QueryPrintout printout = LayOutQueryPrintout(setup, style, {{"编号", 10}}, {{"110001"}});
  EXPECT_TRUE(printout.pages.empty());
  EXPECT_TRUE(printout.document.pages.empty());
}

TEST(CellTextTest, NullsPrintNothingAndMemosTheirMark) {
  EXPECT_EQ(CellText({"A", FieldType::Float, 0}, Value()), "");
  EXPECT_EQ(CellText({"A", FieldType::Memo, 10}, Value::Text("长文本")), "备注");
  EXPECT_EQ(CellText({"A", FieldType::Float, 0}, Value::Float(2.5)), "2.5");
}

TEST_F(QueryPrintoutTest, PdfHoldsTheChineseTitleAndValuesAndAPageRenders) {
  const QueryPrintout printout = LayOutQueryPrintout(setup, style, columns, cells);
  const auto folder = std::filesystem::temp_directory_path() / ("veltra_query_p_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto pdf = folder / "query_p.pdf";
  print::WritePdf(printout.document, pdf);
  const std::string text = testing::PdfText(pdf, folder / "query_p.txt");
  EXPECT_NE(text.find("开发区企业情况表"), std::string::npos);
  EXPECT_NE(text.find("企业名称"), std::string::npos);
  EXPECT_NE(text.find("企业119"), std::string::npos);

  const QImage page = print::RenderPageImage(printout.document, 0, 96);
  EXPECT_TRUE(page.save(QString::fromStdString((folder / "query_p_page1.png").string())));
  int dark = 0;
  for (int y = 0; y < page.height(); y += 2) {
    for (int x = 0; x < page.width(); x += 2) dark += qGray(page.pixel(x, y)) < 128;
  }
  EXPECT_GT(dark, 500);  // text and rules, not a blank sheet
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace veltra::query
