#pragma once
// Recursive-descent parser of the local SQL dialect. Throws EngineError
// Syntax (with line and column) for text that does not parse and
// Unsupported for constructs the engine does not implement.
#include <string_view>

#include "platform/sql/ast.h"

namespace veltra::sql {

// One statement; a trailing ";" is allowed.
Statement ParseStatement(std::string_view text);

// A bare condition, as record constraints and filters write it.
ExprPtr ParseCondition(std::string_view text);

}  // namespace veltra::sql
