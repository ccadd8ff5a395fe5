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
  QueryPrintout Printout(const std::vector<PrintColumn>& shown, const std::vector<std::vector<std::string>>& rows) {
    return QueryPrintout(setup, style, shown, static_cast<int>(rows.size()), [rows, this](int index) {
      read.push_back(index);
      return rows.at(static_cast<std::size_t>(index));
    });
  }
  QueryPrintout Printout() { return Printout(columns, cells); }
  static print::Document Whole(const QueryPrintout& printout) { return printout.Draw(0, printout.PageCount() - 1); }

  print::PageSetup setup;  // A4 portrait, 10 mm margins
  PrintoutStyle style;
  std::vector<PrintColumn> columns{{"编号", 10}, {"企业名称", 40}, {"收入", 10}};
  std::vector<std::vector<std::string>> cells;
  std::vector<int> read;  // records asked for, in order
};

TEST_F(QueryPrintoutTest, EveryPageHasTitleCaptionsRowsAndItsNumber) {
  const QueryPrintout printout = Printout();
  EXPECT_TRUE(read.empty()) << "laying out read records";
  ASSERT_GT(printout.PageCount(), 1);
  const print::Document document = Whole(printout);
  ASSERT_EQ(document.pages.size(), static_cast<std::size_t>(printout.PageCount()));
  int rows = 0;
  for (int p = 0; p < printout.PageCount(); ++p) {
    const auto texts = TextsOf(document.pages[static_cast<std::size_t>(p)]);
    EXPECT_EQ(texts.front(), "开发区企业情况表") << p;
    EXPECT_TRUE(Contains(texts, "企业名称")) << p;
    EXPECT_EQ(texts.back(), std::to_string(p + 1));
    const PrintedPage page = printout.Page(p);
    EXPECT_EQ(page.first_row, rows);
    EXPECT_TRUE(Contains(texts, cells[static_cast<std::size_t>(page.first_row)][1])) << p;
    rows += page.row_count;
  }
  EXPECT_EQ(rows, 120);

  // One page drawn reads its own records only and keeps its number.
  read.clear();
  const PrintedPage last = printout.Page(printout.PageCount() - 1);
  const print::Document one = printout.Draw(printout.PageCount() - 1, printout.PageCount() - 1);
  ASSERT_EQ(one.pages.size(), 1u);
  EXPECT_EQ(TextsOf(one.pages[0]).back(), std::to_string(printout.PageCount()));
  ASSERT_EQ(read.size(), static_cast<std::size_t>(last.row_count));
  EXPECT_EQ(read.front(), last.first_row);
}

TEST_F(QueryPrintoutTest, RulesFollowTheirSwitches) {
  style.horizontal_rules = false;
  style.vertical_rules = false;
  EXPECT_EQ(LinesOf(Printout().Draw(0, 0).pages[0]), 0);
  style.vertical_rules = true;
  // One line left of each of the three columns and a closing one.
  EXPECT_EQ(LinesOf(Printout().Draw(0, 0).pages[0]), 4);
}

TEST_F(QueryPrintoutTest, FixedLeftColumnRepeatsOnEveryBand) {
  style.fixed_left_column = true;
  style.body_font.point_size = 40;  // forces the two other columns onto bands of their own
  const QueryPrintout printout = Printout(columns, {{"110001", "甲企业", "2"}});
  ASSERT_EQ(printout.PageCount(), 2);
  const print::Document document = Whole(printout);
  for (const print::Page& page : document.pages) {
    EXPECT_TRUE(Contains(TextsOf(page), "编号"));
    EXPECT_TRUE(Contains(TextsOf(page), "110001"));
  }
  EXPECT_TRUE(Contains(TextsOf(document.pages[1]), "2"));
}

TEST_F(QueryPrintoutTest, NoPagesGiveAnEmptyDocument) {
  style.fixed_left_column = true;
  const QueryPrintout printout = Printout({{"编号", 10}}, {{"110001"}});
  EXPECT_EQ(printout.PageCount(), 0);
  EXPECT_TRUE(Whole(printout).pages.empty());
}

TEST(CellTextTest, NullsPrintNothingAndMemosTheirMark) {
  EXPECT_EQ(CellText({"A", FieldType::Float, 0}, Value()), "");
  EXPECT_EQ(CellText({"A", FieldType::Memo, 10}, Value::Text("长文本")), "备注");
  EXPECT_EQ(CellText({"A", FieldType::Float, 0}, Value::Float(2.5)), "2.5");
}

TEST_F(QueryPrintoutTest, PdfHoldsTheChineseTitleAndValuesAndAPageRenders) {
  const print::Document document = Whole(Printout());
  const auto folder = std::filesystem::temp_directory_path() / ("veltra_query_p_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto pdf = folder / "query_p.pdf";
  print::WritePdf(document, pdf);
  const std::string text = testing::PdfText(pdf, folder / "query_p.txt");
  EXPECT_NE(text.find("开发区企业情况表"), std::string::npos);
  EXPECT_NE(text.find("企业名称"), std::string::npos);
  EXPECT_NE(text.find("企业119"), std::string::npos);

  const QImage page = print::RenderPageImage(document, 0, 96);
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
