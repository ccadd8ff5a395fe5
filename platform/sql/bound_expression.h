#pragma once
// An expression with its names resolved: columns are (table, field)
// positions of the row layout, each node knows its result type. The
// compiler turns it into closures; the planner reads which tables it uses.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sql/ast.h"

namespace veltra::sql {

struct ColumnType {
  FieldType type = FieldType::Float;
  int size = 0;  // GBK bytes for strings, else as the field defines it
  int decimals = 0;
};

struct BoundExpr {
  enum class Kind {
    Constant, Column, Negate, Arithmetic, Concat, Compare, And, Or, Not,
    IsNull, Like, InList, Between, Function, Cast,
  };

  Kind kind = Kind::Constant;
  ColumnType type;
  Value constant;
  int table = 0;
  int column = 0;
  CompareOp compare = CompareOp::Equal;
  ArithmeticOp arithmetic = ArithmeticOp::Add;
  ScalarFunction function = ScalarFunction::Upper;
  bool negated = false;
  std::vector<BoundExpr> children;
  std::uint64_t tables = 0;  // bit t set when the expression reads table t
  std::string signature;     // equal signatures compute the same value (GROUP BY matching)

  bool is_condition() const;
};

}  // namespace veltra::sql
