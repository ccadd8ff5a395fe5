#include "query/query_printout.h"

#include "platform/print/page_canvas.h"

namespace veltra::query {
namespace {

// Offsets of the layout, in units of the virtual page.
constexpr int kTitleTop = 10;
constexpr int kTitleSide = 10;
constexpr int kTitleGap = 25;
constexpr int kNoTitleBand = 15;
constexpr int kRowGap = 10;
constexpr int kRuleInset = 2;
constexpr int kPageNumberGap = 20;
const print::Font kPageNumberFont{QStringLiteral("宋体"), 9};

QString Q(const std::string& text) { return QString::fromStdString(text); }

int TextWidthIn(const print::Font& font, std::string_view text) {
  return print::MeasureText(font, Q(std::string(text))).width();
}

// Draws pages of a laid-out printout on one canvas.
class PrintoutPainter {
 public:
  PrintoutPainter(const print::PageSetup& setup, const PrintoutStyle& style, const std::vector<PrintColumn>& columns,
                  int title_band, int row_height, int fixed_width)
      : style_(style), columns_(columns), content_(setup.ContentRect()), canvas_(setup), title_band_(title_band),
        row_height_(row_height), fixed_width_(fixed_width) {}

  void AddPage(const PrintedPage& page, int index, const RecordTexts& records) {
    if (started_) canvas_.NewPage();
    started_ = true;
    DrawTitle();
    DrawPage(page, index, records);
  }
  print::Document TakeDocument() {
    print::Document document = canvas_.TakeDocument();
    if (!started_) document.pages.clear();  // the canvas always holds a first page
    return document;
  }

 private:
  int X(int x) const { return content_.left() + x; }
  int Y(int y) const { return content_.top() + title_band_ + y; }

  void DrawTitle() {
    if (style_.title.empty()) return;
    canvas_.SetFont(style_.title_font);
    const int width = TextWidthIn(style_.title_font, style_.title);
    int x = kTitleSide;
    if (style_.alignment == TitleAlignment::Centre) x = (content_.width() - width) / 2;
    if (style_.alignment == TitleAlignment::Right) x = content_.width() - width - kTitleSide;
    canvas_.TextOut(X(x), content_.top() + kTitleTop, Q(style_.title));
  }

  void Rule(int y, int right) { canvas_.Line(X(-kRuleInset), Y(y - kRuleInset), X(right), Y(y - kRuleInset)); }

  void DrawRow(const PrintedPage& page, int y, const std::vector<std::string>& texts) {
    const auto text = [&texts](int column) { return static_cast<std::size_t>(column) < texts.size() ? Q(texts[column]) : QString(); };
    if (style_.fixed_left_column) canvas_.TextOut(X(0), Y(y), text(0));
    for (int j = 0; j < page.ColumnCount(); ++j) {
      canvas_.TextOut(X(page.column_x[j] + fixed_width_), Y(y), text(page.first_column + j));
    }
  }

  void DrawPage(const PrintedPage& page, int index, const RecordTexts& records) {
    canvas_.SetFont(style_.body_font);
    const int right = page.column_x.back() + fixed_width_;
    std::vector<std::string> captions;
    for (const PrintColumn& column : columns_) captions.push_back(column.caption);
    DrawRow(page, 0, captions);
    if (style_.horizontal_rules) {
      Rule(0, right);
      Rule(row_height_, right);
    }
    int y = row_height_;
    for (int r = page.first_row; r < page.first_row + page.row_count; ++r) {
      DrawRow(page, y, records(r));
      y += row_height_;
      if (style_.horizontal_rules) Rule(y, right);
    }
    if (style_.vertical_rules) {
      const int top = Y(-kRuleInset), bottom = Y(y - kRuleInset);
      if (style_.fixed_left_column) canvas_.Line(X(-kRuleInset), top, X(-kRuleInset), bottom);
      for (int j = 0; j < page.ColumnCount(); ++j) {
        const int x = X(page.column_x[j] + fixed_width_ - kRuleInset);
        canvas_.Line(x, top, x, bottom);
      }
      canvas_.Line(X(right), top, X(right), bottom);
    }
    canvas_.SetFont(kPageNumberFont);
    const QString number = QString::number(index + 1);
    const int width = print::MeasureText(kPageNumberFont, number).width();
    canvas_.TextOut(X((content_.width() - width) / 2), Y(y + kPageNumberGap), number);
  }

  const PrintoutStyle& style_;
  const std::vector<PrintColumn>& columns_;
  QRect content_;
  print::PageCanvas canvas_;
  int title_band_;
  int row_height_;
  int fixed_width_;
  bool started_ = false;
};

}  // namespace

std::string CellText(const FieldDef& field, const Value& value) {
  if (value.is_null()) return "";
  if (field.type == FieldType::Memo) return "备注";
  return value.ToDisplayText();
}

QueryPrintout::QueryPrintout(const print::PageSetup& setup, PrintoutStyle style, std::vector<PrintColumn> columns,
                             int record_count, RecordTexts records)
    : setup_(setup), style_(std::move(style)), columns_(std::move(columns)), records_(std::move(records)) {
  const int title_height = print::MeasureText(style_.title_font, QStringLiteral("宋")).height();
  title_band_ = style_.title.empty() ? kNoTitleBand : title_height + kTitleGap;
  row_height_ = print::MeasureText(style_.body_font, QStringLiteral("宋")).height() + kRowGap;
  const int number_height = print::MeasureText(kPageNumberFont, QStringLiteral("宋")).height();
  const QRect content = setup_.ContentRect();
  const PageGeometry geometry{content.width(), content.height() - number_height - kPageNumberGap, title_band_,
                              row_height_};
  const TextWidth measure = [this](std::string_view text) { return TextWidthIn(style_.body_font, text); };
  fixed_width_ = FixedColumnWidth(columns_, style_.fixed_left_column, measure);
  layout_ = Paginate(columns_, record_count, style_.fixed_left_column, geometry, measure);
}

print::Document QueryPrintout::Draw(int first, int last) const {
  PrintoutPainter painter(setup_, style_, columns_, title_band_, row_height_, fixed_width_);
  for (int p = std::max(0, first); p <= last && p < PageCount(); ++p) painter.AddPage(Page(p), p, records_);
  return painter.TakeDocument();
}

}  // namespace veltra::query
