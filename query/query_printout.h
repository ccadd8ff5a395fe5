#pragma once
// The generic printout drawn on the virtual page: the title at the top of
// every page, the caption row, the rows of the page, the rules and the
// page number centred below the last row. The layout of query_p_layout.h
// is computed in the same units, with the body font measured on the
// virtual resolution, so every device shows the same pages. Only the
// pages asked for are drawn, and only their records are read.
#include <functional>
#include <string>
#include <vector>

#include "platform/print/document.h"
#include "platform/print/page_setup.h"
#include "platform/types/field.h"
#include "platform/types/value.h"
#include "query/printout_tables.h"
#include "query/query_p_layout.h"

namespace veltra::query {

struct PrintoutStyle {
  std::string title;
  TitleAlignment alignment = TitleAlignment::Centre;
  print::Font title_font{QStringLiteral("宋体"), 11};
  print::Font body_font{QStringLiteral("宋体"), 11};
  bool horizontal_rules = true;
  bool vertical_rules = true;
  bool fixed_left_column = false;
};

// What a cell prints: nothing for null, "备注" for a memo, else the value.
std::string CellText(const FieldDef& field, const Value& value);

// The printed text of record `index` (0-based), one entry per column.
using RecordTexts = std::function<std::vector<std::string>(int index)>;

class QueryPrintout {
 public:
  QueryPrintout() = default;
  QueryPrintout(const print::PageSetup& setup, PrintoutStyle style, std::vector<PrintColumn> columns,
                int record_count, RecordTexts records);

  const PrintoutStyle& Style() const { return style_; }
  int PageCount() const { return layout_.PageCount(); }
  PrintedPage Page(int index) const { return layout_.Page(index); }
  // Pages first to last (0-based, inclusive), one document page each.
  print::Document Draw(int first, int last) const;

 private:
  print::PageSetup setup_;
  PrintoutStyle style_;
  std::vector<PrintColumn> columns_;
  RecordTexts records_;
  int title_band_ = 0;
  int row_height_ = 0;
  int fixed_width_ = 0;
  PrintoutLayout layout_;
};

}  // namespace veltra::query
