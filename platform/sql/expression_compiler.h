#pragma once
// Turns a bound expression into closures, once per statement: per row
// they read fields by position and never look up a name.
#include <functional>

#include "platform/sql/bound_expression.h"
#include "platform/sql/catalog.h"
#include "platform/sql/condition.h"

namespace veltra::sql {

// One row per table of the statement, in FROM order (a single row for a
// record condition or a group row).
using RowSet = const Row* const*;

using ValueProgram = std::function<Value(RowSet)>;
using TruthProgram = std::function<Truth(RowSet)>;

ValueProgram CompileValue(const BoundExpr& expr);

// Conditions; a value that is neither boolean nor null used as a
// condition raises TypeMismatch.
TruthProgram CompileTruth(const BoundExpr& expr);

}  // namespace veltra::sql
