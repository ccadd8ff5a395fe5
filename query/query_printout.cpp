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

class PrintoutPainter {
 public:
  PrintoutPainter(const print::PageSetup& setup, const PrintoutStyle& style, const std::vector<PrintColumn>& columns,
                  const std::vector<std::vector<std::string>>& cells)
      : style_(style), columns_(columns), cells_(cells), content_(setup.ContentRect()), canvas_(setup) {
    const int title_height = print::MeasureText(style.title_font, QStringLiteral("宋")).height();
    title_band_ = style.title.empty() ? kNoTitleBand : title_height + kTitleGap;
    row_height_ = print::MeasureText(style.body_font, QStringLiteral("宋")).height() + kRowGap;
    const int number_height = print::MeasureText(kPageNumberFont, QStringLiteral("宋")).height();
    geometry_ = {content_.width(), content_.height() - number_height - kPageNumberGap, title_band_, row_height_};
    measure_ = [this](std::string_view text) {
      return print::MeasureText(style_.body_font, Q(std::string(text))).width();
    };
    fixed_width_ = FixedColumnWidth(columns, style.fixed_left_column, measure_);
  }

  QueryPrintout Run() {
    QueryPrintout result;
    result.pages = Paginate(columns_, static_cast<int>(cells_.size()), style_.fixed_left_column, geometry_, measure_);
    for (std::size_t p = 0; p < result.pages.size(); ++p) {
      if (p > 0) canvas_.NewPage();
      DrawTitle();
      DrawPage(result.pages[p], static_cast<int>(p));
    }
    result.document = canvas_.TakeDocument();
    if (result.pages.empty()) result.document.pages.clear();
    return result;
  }

 private:
  int X(int x) const { return content_.left() + x; }
  int Y(int y) const { return content_.top() + title_band_ + y; }

  void DrawTitle() {
    if (style_.title.empty()) return;
    canvas_.SetFont(style_.title_font);
    const int width = print::MeasureText(style_.title_font, Q(style_.title)).width();
    int x = kTitleSide;
    if (style_.alignment == TitleAlignment::Centre) x = (content_.width() - width) / 2;
    if (style_.alignment == TitleAlignment::Right) x = content_.width() - width - kTitleSide;
    canvas_.TextOut(X(x), content_.top() + kTitleTop, Q(style_.title));
  }

  void Rule(int y, int right) { canvas_.Line(X(-kRuleInset), Y(y - kRuleInset), X(right), Y(y - kRuleInset)); }

  void DrawRow(const PrintedPage& page, int y, const std::vector<std::string>& texts) {
    if (style_.fixed_left_column) canvas_.TextOut(X(0), Y(y), Q(texts[0]));
    for (int j = 0; j < page.ColumnCount(); ++j) {
      canvas_.TextOut(X(page.column_x[j] + fixed_width_), Y(y), Q(texts[page.first_column + j]));
    }
  }

  void DrawPage(const PrintedPage& page, int index) {
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
      DrawRow(page, y, cells_[static_cast<std::size_t>(r)]);
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
  const std::vector<std::vector<std::string>>& cells_;
  QRect content_;
  print::PageCanvas canvas_;
  int title_band_ = 0;
  int row_height_ = 0;
  int fixed_width_ = 0;
  PageGeometry geometry_;
  TextWidth measure_;
};

}  // namespace

std::string CellText(const FieldDef& field, const Value& value) {
  if (value.is_null()) return "";
  if (field.type == FieldType::Memo) return "备注";
  return value.ToDisplayText();
}

QueryPrintout LayOutQueryPrintout(const print::PageSetup& setup, const PrintoutStyle& style,
                                  const std::vector<PrintColumn>& columns,
                                  const std::vector<std::vector<std::string>>& cells) {
  return PrintoutPainter(setup, style, columns, cells).Run();
}

}  // namespace veltra::query
