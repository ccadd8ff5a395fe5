#pragma once
// What the one-table entry windows (zone comprehensive data, special
// industry bases, provincial zones, venture-capital bodies) have in common:
// one table with its pages, every page and button offered whatever the
// table holds, the status line without a key, "数据错误:" before a refused
// post, and an import that stops at a failed row without further words.
#include <string>

#include "entry/entry_description.h"

namespace veltra::entry {

EntryDescription SingleTableDescription(MasterDescription master, std::string send_mark_statement);

// Their tool buttons, each this many pixels wide.
inline constexpr int kSingleTableToolButtonWidth = 63;

}  // namespace veltra::entry
