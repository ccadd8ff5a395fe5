#include "platform/print/band_report.h"

#include <QPrinterInfo>
#include <QPushButton>

#include <gtest/gtest.h>

#include "platform/print/page_canvas.h"
#include "platform/print/page_output.h"
#include "platform/print/preview_window.h"
#include "print_test_support.h"
#include "tests/support/engine_error.h"

namespace veltra::print {
namespace {

using testing::FindText;
using testing::MemoryRecords;
using testing::ScriptedUser;
using testing::TextsOn;
using veltra::testing::ThrowsEngineError;

const Font kBody{QStringLiteral("宋体"), 10};

TextBox At(int left_px, int top_px, Font font = kBody) {
  return TextBox{UnitsFromPixels(left_px), UnitsFromPixels(top_px), 0, Alignment::Left, font};
}

// A ruled row over six columns.
void AddRuledRow(Band& band) {
  const int height = band.height;
  band.items.push_back(FrameShape{QRect(UnitsFromPixels(8), 0, UnitsFromPixels(711), height)});
  for (int x : {48, 80, 160, 224, 328})
    band.items.push_back(RuleShape{QLine(UnitsFromPixels(x), 0, UnitsFromPixels(x), height)});
}

// A ruled list with a title, a column header and a footer: A4 portrait,
// 10 mm margins. The pagination of the band engine is checked on it.
BandReport ResultReport(MemoryRecords& results, MemoryRecords& subtitle) {
  BandReport report;
  report.data_set = &results;
  report.AddLookup("Table2", &subtitle);
  report.title.height = UnitsFromPixels(40);
  report.title.items = {Label{At(304, 0, {QStringLiteral("黑体"), 16}), QStringLiteral("校验表")},
                        ExpressionText{At(8, 22, {QStringLiteral("黑体"), 10}), "Table2.Text"}};
  report.column_header.height = UnitsFromPixels(27);
  AddRuledRow(report.column_header);
  const std::pair<int, const char*> captions[] = {{16, "序号"},   {56, "状态"},   {104, "编号"},
                                                  {176, "字段名"}, {256, "字段值"}, {462, "错误信息"}};
  for (const auto& [x, caption] : captions)
    report.column_header.items.push_back(Label{At(x, 6), QString::fromUtf8(caption)});
  report.detail.height = UnitsFromPixels(27);
  AddRuledRow(report.detail);
  const std::pair<int, const char*> fields[] = {{16, "序号"},   {56, "状态"},   {88, "编号"},
                                                {168, "字段名"}, {232, "字段值"}, {336, "错误信息"}};
  for (const auto& [x, field] : fields)
    report.detail.items.push_back(DataText{At(x, 6), field, ""});
  report.page_footer.height = UnitsFromPixels(28);
  report.page_footer.items.push_back(PageNumberText{At(312, 6), QStringLiteral("{page}/{pages}")});
  return report;
}

MemoryRecords Results(int count) {
  std::vector<std::vector<Value>> rows;
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    const std::string code = "R" + std::string(3 - std::min<std::size_t>(3, number.size()), '0') + number;
    rows.push_back({Value::Text(number), Value::Text("警告"), Value::Text(code),
                    Value::Text("qa01"), Value(), Value::Text("企业名称不能为空")});
  }
  return MemoryRecords({"序号", "状态", "编号", "字段名", "字段值", "错误信息"}, std::move(rows));
}

MemoryRecords Subtitle(const char* text) {
  return MemoryRecords({"Text"}, {{Value::Text(text)}});
}

// The printout of `count` results under the subtitle "高新区企业".
Document LaidOutResults(int count) {
  MemoryRecords results = Results(count);
  MemoryRecords subtitle = Subtitle("高新区企业");
  return ResultReport(results, subtitle).Prepare();
}

// Which result codes each page holds.
std::vector<int> RowsPerPage(const Document& document) {
  std::vector<int> counts;
  for (const Page& page : document.pages) {
    int rows = 0;
    for (const QString& text : TextsOn(page)) rows += text.startsWith(QLatin1Char('R'));
    counts.push_back(rows);
  }
  return counts;
}

TEST(BandReportPagination, FillsPagesBelowHeadersAndAboveTheFooter) {
  // 277 mm usable; the first page loses the title band to the details.
  for (const auto& [records, expected] : std::vector<std::pair<int, std::vector<int>>>{
           {1, {1}}, {35, {35}}, {36, {35, 1}}, {71, {35, 36}}, {72, {35, 36, 1}},
           {80, {35, 36, 9}}}) {
    EXPECT_EQ(RowsPerPage(LaidOutResults(records)), expected)
        << records << " records";
  }
}

TEST(BandReportPagination, RecordsKeepTheirOrderAcrossPages) {
  const Document document = LaidOutResults(80);
  ASSERT_EQ(document.pages.size(), 3u);
  EXPECT_NE(FindText(document.pages[0], "R035"), nullptr);
  EXPECT_NE(FindText(document.pages[1], "R036"), nullptr);
  EXPECT_NE(FindText(document.pages[1], "R071"), nullptr);
  EXPECT_NE(FindText(document.pages[2], "R080"), nullptr);
  // Rows stand one detail band below each other.
  EXPECT_EQ(FindText(document.pages[1], "R037")->top_left.y() -
                FindText(document.pages[1], "R036")->top_left.y(),
            UnitsFromPixels(27));
}

TEST(BandReportPagination, TitleOnceColumnHeaderAndFooterOnEveryPage) {
  const Document document = LaidOutResults(80);
  ASSERT_EQ(document.pages.size(), 3u);
  EXPECT_NE(FindText(document.pages[0], "校验表"), nullptr);
  EXPECT_NE(FindText(document.pages[0], "高新区企业"), nullptr);
  const TextOp* first_footer = FindText(document.pages[0], "1/3");
  ASSERT_NE(first_footer, nullptr);
  for (int p = 0; p < 3; ++p) {
    const Page& page = document.pages[p];
    EXPECT_EQ(FindText(page, "校验表") != nullptr, p == 0) << "page " << p + 1;
    const TextOp* caption = FindText(page, "错误信息");
    ASSERT_NE(caption, nullptr) << "page " << p + 1;
    // Later pages have no title band, so their captions start at the margin.
    EXPECT_EQ(caption->top_left.y(), p == 0 ? 100 + UnitsFromPixels(40) + UnitsFromPixels(6)
                                            : 100 + UnitsFromPixels(6));
    const TextOp* footer = FindText(page, QStringLiteral("%1/3").arg(p + 1));
    ASSERT_NE(footer, nullptr) << "page " << p + 1;
    EXPECT_EQ(footer->top_left.y(), first_footer->top_left.y());
    EXPECT_EQ(footer->top_left.x(), 100 + UnitsFromPixels(312));
  }
  // The footer ends on the bottom margin: 297 - 10 mm.
  EXPECT_EQ(first_footer->top_left.y() - UnitsFromPixels(6) + UnitsFromPixels(28), 2870);
}

TEST(BandReportPagination, FirstPageRendersWithRuledRows) {
  const Document document = LaidOutResults(80);
  const QImage image = RenderPageImage(document, 0, 120);
  ASSERT_TRUE(
      image.save(QString::fromStdString(testing::OutputPath("result_report_page1.png").string())));
  // The frame's left edge (10 mm + 8 px) runs down through every detail row.
  const int x = static_cast<int>((100 + UnitsFromPixels(8)) * 120 / 254.0);
  int inked_rows = 0;
  for (int y = 0; y < image.height(); ++y) inked_rows += qGray(image.pixel(x, y)) < 128;
  const int expected = static_cast<int>(36 * UnitsFromPixels(27) * 120 / 254.0);
  EXPECT_NEAR(inked_rows, expected, 3);
}

// A list whose captions sit in the title band: they print on the first
// page only, below the page header that every page starts with.
TEST(BandReportPagination, PageHeaderComesFirstAndTitleBandOnlyOnce) {
  MemoryRecords firms({"报表编号"}, std::vector<std::vector<Value>>(60, {Value::Text("F")}));
  BandReport report;
  report.data_set = &firms;
  report.page_header.height = 120;
  report.page_header.items.push_back(Label{{0, 0}, QStringLiteral("企业清单")});
  report.title.height = 80;
  report.title.items.push_back(Label{{0, 0}, QStringLiteral("报表编号")});
  report.detail.height = 50;
  report.detail.items.push_back(DataText{{0, 0}, "报表编号", ""});
  const Document document = report.Prepare();
  ASSERT_EQ(document.pages.size(), 2u);  // (2770 - 200) / 50 = 51 rows, then 9
  EXPECT_EQ(FindText(document.pages[0], "企业清单")->top_left.y(), 100);
  EXPECT_EQ(FindText(document.pages[0], "报表编号")->top_left.y(), 220);
  EXPECT_EQ(FindText(document.pages[0], "F")->top_left.y(), 300);
  EXPECT_EQ(FindText(document.pages[1], "企业清单")->top_left.y(), 100);
  EXPECT_EQ(FindText(document.pages[1], "报表编号"), nullptr);
  EXPECT_EQ(FindText(document.pages[1], "F")->top_left.y(), 220);
  EXPECT_EQ(TextsOn(document.pages[1]).size(), 1u + 9u);
}

TEST(BandReportPagination, EmptyDataSetPrintsNoPage) {
  EXPECT_TRUE(LaidOutResults(0).pages.empty());
}

TEST(BandReportPagination, BandTallerThanThePageStillEnds) {
  MemoryRecords results = Results(3);
  MemoryRecords subtitle = Subtitle("");
  BandReport report = ResultReport(results, subtitle);
  report.detail.height = 4000;  // taller than the sheet
  EXPECT_EQ(RowsPerPage(report.Prepare()), (std::vector<int>{1, 1, 1}));
}

TEST(BandReportPagination, LandscapeTakesFewerRows) {
  MemoryRecords results = Results(40);
  MemoryRecords subtitle = Subtitle("");
  BandReport report = ResultReport(results, subtitle);
  report.page.orientation = Orientation::Landscape;
  // 190 mm usable: (1900 - 74 - 106 - 71) / 71 rows, then (1900 - 74 - 71) / 71.
  EXPECT_EQ(RowsPerPage(report.Prepare()), (std::vector<int>{23, 17}));
}

TEST(BandReportTexts, SeveralLineLabelsStackAndAlignEachLine) {
  MemoryRecords rows({"JB00"}, {{Value::Text("x")}});
  BandReport report;
  report.data_set = &rows;
  report.column_header.height = 200;
  const TextBox box{500, 10, 300, Alignment::Center, {QStringLiteral("宋体"), 11}};
  report.column_header.items.push_back(
      Label{box, QStringLiteral("验收、结题过\n早或已经撤项")});
  report.column_header.items.push_back(
      Label{{1000, 10, 300, Alignment::Right, box.font}, QStringLiteral("项目承担\n单位拒报")});
  const Document document = report.Prepare();
  ASSERT_EQ(document.pages.size(), 1u);
  const TextOp* first = FindText(document.pages[0], "验收、结题过");
  const TextOp* second = FindText(document.pages[0], "早或已经撤项");
  ASSERT_TRUE(first && second);
  const QSize extent = MeasureText(box.font, first->text);
  EXPECT_EQ(second->top_left.y() - first->top_left.y(), extent.height());
  EXPECT_EQ(first->top_left.x(), 100 + 500 + (300 - extent.width()) / 2);
  const TextOp* right = FindText(document.pages[0], "单位拒报");
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->top_left.x() + MeasureText(box.font, right->text).width(), 100 + 1300);
}

// A one-record sheet: captions and masked values in a title band.
TEST(BandReportTexts, SheetPrintsFirstRecordThroughMaskAndNullAsEmpty) {
  MemoryRecords sums({"企业数", "总收入", "净利润", "QJ15"},
                     {{Value::Integer(0), Value::Float(1234.5), Value(), Value::Float(-0.4)},
                      {Value::Integer(9), Value::Float(1), Value::Float(2), Value::Float(3)}});
  BandReport report;
  report.data_set = &sums;
  report.title.height = 400;
  const TextBox value{0, 0, 300, Alignment::Right, kBody};
  report.title.items = {DataText{value, "企业数", "0."}, DataText{value, "总收入", "0."},
                        DataText{value, "净利润", "0."}, DataText{value, "qj15", "0."},
                        DataText{value, "总收入", ""}};
  const Document document = report.Prepare();
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_EQ(TextsOn(document.pages[0]),
            (std::vector<QString>{"0", "1235", "0", "1234.5"}));
}

TEST(BandReportTexts, TicksFromTheReasonCode) {
  MemoryRecords projects({"JB00", "YY"}, {{Value::Text("P1"), Value::Text("2")},
                                          {Value::Text("P2"), Value()},
                                          {Value::Text("P3"), Value::Text("7")}});
  BandReport report;
  report.data_set = &projects;
  report.detail.height = 60;
  report.detail.items.push_back(DataText{{0, 0}, "jb00", ""});
  for (int reason = 1; reason <= 4; ++reason)
    report.detail.items.push_back(ExpressionText{
        {100 * reason, 0}, "IF(Table1.YY = '" + std::to_string(reason) + "', '√', '')", ""});
  const Document document = report.Prepare();
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_EQ(TextsOn(document.pages[0]), (std::vector<QString>{"P1", "√", "P2", "P3"}));
  EXPECT_EQ(FindText(document.pages[0], "√")->top_left.x(), 100 + 200);
}

TEST(BandReportBinding, UnknownFieldOrDataSetFailsBeforeAnyPageNamingIt) {
  MemoryRecords results = Results(3);
  MemoryRecords subtitle = Subtitle("x");
  BandReport report = ResultReport(results, subtitle);
  const auto prepare = [&] { report.Prepare(); };
  report.detail.items.push_back(DataText{{0, 0}, "备注", ""});
  EXPECT_TRUE(ThrowsEngineError(prepare, EngineError::Kind::NoSuchField, {"备注", "Table1"}));
  report.detail.items.back() = ExpressionText{{0, 0}, "Table3.Text", ""};
  EXPECT_TRUE(ThrowsEngineError(prepare, EngineError::Kind::NoSuchTable, {"Table3"}));
  EXPECT_EQ(results.moves, 0);
}

TEST(BandReportBinding, EmptyLookupTableGivesAnEmptySubtitle) {
  MemoryRecords results = Results(2);
  MemoryRecords subtitle({"Text"}, {});
  const Document document = ResultReport(results, subtitle).Prepare();
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_NE(FindText(document.pages[0], "校验表"), nullptr);
  EXPECT_EQ(RowsPerPage(document), (std::vector<int>{2}));
}

// The tables are opened by BeforePrint and closed after the print or preview.
class BandReportHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    results_.open = subtitle_.open = false;
    report_.BeforePrint = [this] {
      calls_.push_back("before");
      results_.open = subtitle_.open = true;
    };
    report_.AfterPrint = [this] {
      calls_.push_back("after print");
      results_.open = subtitle_.open = false;
    };
    report_.AfterPreview = [this] {
      calls_.push_back("after preview");
      results_.open = subtitle_.open = false;
    };
  }

  MemoryRecords results_ = Results(40);
  MemoryRecords subtitle_ = Subtitle("高新区企业");
  BandReport report_ = ResultReport(results_, subtitle_);
  std::vector<std::string> calls_;
  ScriptedUser user_;
};

TEST_F(BandReportHooks, PreviewShowsThePagesModallyBetweenTheHooks) {
  int pages_seen = -1;
  user_.on_modal = [&](QDialog& dialog) {
    calls_.push_back("preview");
    auto* preview = qobject_cast<PreviewWindow*>(&dialog);
    EXPECT_NE(preview, nullptr);
    if (preview != nullptr) pages_seen = preview->pages().PageCount();
    return int(QDialog::Accepted);
  };
  report_.Preview();
  EXPECT_EQ(pages_seen, 2);
  EXPECT_EQ(calls_, (std::vector<std::string>{"before", "preview", "after preview"}));
  EXPECT_FALSE(results_.open);
}

TEST_F(BandReportHooks, PreviewLaysOutOnlyThePagesItShows) {
  constexpr int kResults = 2000;
  results_ = Results(kResults);
  const int pages = static_cast<int>(LaidOutResults(kResults).pages.size());
  int moves_to_open = -1;
  user_.on_modal = [&](QDialog& dialog) {
    auto& preview = dynamic_cast<PreviewWindow&>(dialog);
    moves_to_open = results_.moves;
    preview.findChild<QPushButton*>(QStringLiteral("lastPage"))->click();
    EXPECT_EQ(preview.currentPage(), pages - 1);
    const Page& last = preview.pages().PageAt(pages - 1);
    EXPECT_NE(FindText(last, QStringLiteral("%1/%1").arg(pages)), nullptr);
    EXPECT_NE(FindText(last, QString::number(kResults)), nullptr);
    return int(QDialog::Accepted);
  };
  report_.Preview();
  // The records of the first page, not every record.
  EXPECT_LT(moves_to_open, 2 * kResults / pages);
}

TEST_F(BandReportHooks, FailedLayoutStillRunsTheAfterHook) {
  report_.detail.items.push_back(DataText{{0, 0}, "no_such_field", ""});
  EXPECT_THROW(report_.Print(), EngineError);
  EXPECT_EQ(calls_, (std::vector<std::string>{"before", "after print"}));
  EXPECT_FALSE(results_.open);
}

TEST_F(BandReportHooks, WithoutPrinterPrintGoesToTheFileTheUserNames) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  const auto pdf = testing::OutputPath("result_report.pdf");
  std::filesystem::remove(pdf);
  user_.file_answers = {pdf};
  report_.Print();
  EXPECT_EQ(user_.file_questions, 1);
  EXPECT_EQ(calls_, (std::vector<std::string>{"before", "after print"}));
  const std::string text = testing::PdfText(pdf);
  EXPECT_NE(text.find("校验表"), std::string::npos) << text;
  EXPECT_NE(text.find("高新区企业"), std::string::npos);
  EXPECT_NE(text.find("企业名称不能为空"), std::string::npos);
  EXPECT_NE(text.find("R040"), std::string::npos);
  EXPECT_NE(text.find("2/2"), std::string::npos);
}

TEST_F(BandReportHooks, CancelledFileQuestionPrintsNothing) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  report_.Print();
  EXPECT_EQ(user_.file_questions, 1);
  EXPECT_EQ(calls_, (std::vector<std::string>{"before", "after print"}));
}

TEST_F(BandReportHooks, EmptyTablePrintsWithoutAskingAnything) {
  MemoryRecords empty = Results(0);
  empty.open = false;
  report_.data_set = &empty;
  report_.BeforePrint = [&] { empty.open = true; };
  report_.Print();
  EXPECT_EQ(user_.file_questions, 0);
  EXPECT_EQ(user_.modal_count, 0);
}

}  // namespace
}  // namespace veltra::print
