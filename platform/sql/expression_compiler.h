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

// An expression read without copying when it is a field or a constant
// (the common case of operands and aggregate arguments).
class ValueOperand {
 public:
  explicit ValueOperand(const BoundExpr& expr);
  // The value over `rows`; a computed one is kept in `scratch`.
  const Value& Get(RowSet rows, Value& scratch) const {
    if (table_ >= 0) return (*rows[table_])[column_];
    if (!program_) return constant_;
    scratch = program_(rows);
    return scratch;
  }

 private:
  int table_ = -1;
  std::size_t column_ = 0;
  Value constant_;
  ValueProgram program_;
};

// Conditions; a value that is neither boolean nor null used as a
// condition raises TypeMismatch.
TruthProgram CompileTruth(const BoundExpr& expr);

}  // namespace veltra::sql
