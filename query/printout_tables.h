#pragma once
// The tables the generic printout reads besides its rows (query_p.db):
// bt_p.db, one caption and width per printed column, and bt2_p.db, whose
// first row holds the default title, its alignment and the font sizes.
#include <optional>
#include <string>
#include <vector>

#include "platform/db/database.h"
#include "query/query_p_layout.h"

namespace veltra::query {

// The size lists offer the point sizes 0 to this.
inline constexpr int kLargestFontSize = 126;

enum class TitleAlignment { Left = 0, Centre = 1, Right = 2 };

// A value the file holds outside the lists' range is left out, so the
// window keeps what it shows.
struct PrintoutTitle {
  std::string text;
  std::optional<TitleAlignment> alignment;
  std::optional<int> title_size;  // point size, 0 to 126
  std::optional<int> body_size;
};

// The first row of bt2_p.db; an empty table gives an empty title.
PrintoutTitle ReadPrintoutTitle(db::Database& database);

// One column per printed field, from the rows of bt_p.db in order. Throws
// EngineError naming bt_p.db when it has fewer rows than `field_count`.
std::vector<PrintColumn> ReadPrintColumns(db::Database& database, int field_count);

}  // namespace veltra::query
