#pragma once
// Reads table definitions written in the line format of
// schema/tables/README.md.
#include <stdexcept>
#include <string_view>
#include <vector>

#include "schema/table_def.h"

namespace veltra::schema {

// A definition text that does not follow the format; the message names
// the source, the line and what is wrong there.
class DefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every table defined in `text`, in the order written. `source` names the
// text in error messages (its file name).
std::vector<TableDef> ParseTableDefinitions(std::string_view text, std::string_view source);

}  // namespace veltra::schema
