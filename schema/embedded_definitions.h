#pragma once
// The definition files of schema/tables, built into the library by
// schema/CMakeLists.txt (embedded_definitions.cpp is generated).
#include <string_view>
#include <vector>

namespace veltra::schema {

struct EmbeddedDefinition {
  std::string_view name;  // file name, for error messages
  std::string_view text;
};

const std::vector<EmbeddedDefinition>& EmbeddedDefinitions();

}  // namespace veltra::schema
