#pragma once
// Gives a table component the field and index definitions that the schema
// holds for its file, as the system's table components carry them.
#include <string_view>
#include <vector>

#include "entry/entry_description.h"
#include "platform/db/table.h"

namespace veltra::entry {

// Sets the table name and the schema's indexes of `file`; throws when the
// schema does not know the file.
void DefineTable(db::Table& table, std::string_view file);

// The pages on which the schema places the fields of `file`, in order.
std::vector<PageDescription> PagesOf(std::string_view file);

}  // namespace veltra::entry
