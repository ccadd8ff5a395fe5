#pragma once
// Routines of the main unit that every subsystem calls.
#include <string_view>

#include "platform/db/database.h"
#include "platform/db/dataset.h"

namespace veltra::mainunit {

// Sets every null float, small-integer or integer field of the record being
// edited to 0; other types are left alone.
void SetNullNumericFieldsToZero(db::DataSet& data_set);

// Rewrites a closed table without its deleted records. False when the
// table could not be packed (held open elsewhere, missing); callers go on
// without a message, the table stays as it was.
bool PackTable(db::Database& database, std::string_view table_name);

}  // namespace veltra::mainunit
