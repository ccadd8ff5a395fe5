#pragma once
// The generic printout drawn on the virtual page: the title at the top of
// every page, the caption row, the rows of the page, the rules and the
// page number centred below the last row. The layout of query_p_layout.h
// is computed in the same units, with the body font measured on the
// virtual resolution, so every device shows the same pages.
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

struct QueryPrintout {
  std::vector<PrintedPage> pages;
  print::Document document;  // one page per entry of `pages`
};

// `cells` holds the printed text of every record, one entry per column.
QueryPrintout LayOutQueryPrintout(const print::PageSetup& setup, const PrintoutStyle& style,
                                  const std::vector<PrintColumn>& columns,
                                  const std::vector<std::vector<std::string>>& cells);

}  // namespace veltra::query
