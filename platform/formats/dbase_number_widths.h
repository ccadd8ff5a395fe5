#pragma once
// Number fields of a dBase table written whole (a table saved as dBase)
// made as wide as its values need, so that each value is stored as the
// system shows it (at most 15 significant digits), within the widest N
// field dBase has.
#include <filesystem>
#include <vector>

#include "platform/formats/table_file.h"

namespace veltra::formats {

// `defs` with each numeric field turned into a Float of the dBase width
// and decimals that hold every value of its column in `records`: its
// usual N field (dbase_header.h), with more decimals where a value has
// more and more integer places where a value needs them, the usual
// decimals giving way to integer places first. Throws EngineError
// InvalidValue naming `file`, the field, the record (from 1) and the value
// when no N field can hold the value, or when its decimals and another
// value's integer places together pass the widest N field.
FieldDefs FitDbfNumberWidths(const FieldDefs& defs, const std::vector<Record>& records,
                             const std::filesystem::path& file);

}  // namespace veltra::formats
