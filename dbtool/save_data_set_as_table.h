#pragma once
// Turns an open data set into a new table file. The format follows the
// name's extension (".dbf" dBase, ".txt" text, else Paradox). Given the
// grid that shows the data set, the saved fields take the grid's column
// titles as names and, for string fields, the column widths in characters
// as sizes (at least 1, at most what the format allows). In a dBase file a
// name dBase cannot store is cut to one it can (platform/formats/
// dbase_names.h), the same name for the same columns every time, and each
// number field is as wide as its values need (dbase_number_widths.h); in a
// Paradox file a memo without a leader (from dBase) gets one. The new file
// replaces any closed table of that name as a whole, with every row; when
// the rows cannot be stored the old file stays as it was.
//
// Saving under "query_p.db" (exactly: the generic printout's input) also
// rewrites the printout's column captions in bt_p.db.
#include <filesystem>
#include <string_view>
#include <vector>

#include "dbtool/grid_columns.h"
#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/formats/table_file.h"

namespace veltra::dbtool {

inline constexpr std::string_view kPrintoutTable = "query_p.db";
inline constexpr std::string_view kPrintoutColumnsTable = "bt_p.db";

// Throws EngineError: State for a closed data set, TableBusy when `name`
// is the data set's own file (by any path) or another cursor holds it,
// InvalidName for a field name the format rejects, and the engine's errors
// otherwise.
void SaveDataSetAsTable(db::Database& database, db::DataSet& data_set, const GridColumns* grid,
                        std::string_view name);

// What SaveDataSetAsTable writes, made and checked but not yet written.
struct TableToSave {
  db::TableType type;
  std::filesystem::path target;
  FieldDefs fields;
  std::vector<db::Row> rows;
};
TableToSave PrepareTableToSave(db::Database& database, db::DataSet& data_set, const GridColumns* grid,
                               std::string_view name);

// The field definitions the saved table gets in a file of `kind`.
FieldDefs SavedFieldDefs(const db::DataSet& data_set, const GridColumns* grid, formats::TableKind kind);

}  // namespace veltra::dbtool
