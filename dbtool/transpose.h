#pragma once
// Rows become columns ("行列交换"): the new table has a column 字段名
// holding the source's field names, then one column 字段1, 字段2, ... per
// source record, and one row per source field holding that field's value
// in each record as text. Every column is a string as wide as the widest
// string field of the source, and at least 60.
#include <string_view>

#include "platform/db/database.h"
#include "platform/db/dataset.h"

namespace veltra::dbtool {

inline constexpr std::string_view kTransposedTable = "hljh.db";

// Replaces the table `name` (a Paradox table unless its extension says
// otherwise). A source with more records than the format allows columns
// fails with the engine's error, leaving any old table as it was.
void TransposeToTable(db::Database& database, db::DataSet& source,
                      std::string_view name = kTransposedTable);

}  // namespace veltra::dbtool
