#pragma once
// The syntax tree of one statement, as written: names are not resolved
// here (the binder does that against the catalog).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sql/lexer.h"
#include "platform/types/field.h"
#include "platform/types/value.h"

namespace veltra::sql {

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
enum class ArithmeticOp { Add, Subtract, Multiply, Divide };
enum class AggregateKind { Count, CountStar, Sum, Avg, Min, Max };
enum class ScalarFunction { Substring, Upper, Lower, Trim };

// Target of CAST(x AS ...): a field type and, for CHAR(n), its size.
struct CastTarget {
  FieldType type = FieldType::String;
  int size = 0;
};

struct Expr {
  enum class Kind {
    Literal,     // literal
    Column,      // qualifier (may be empty) . name
    Negate,      // -args[0]
    Arithmetic,  // args[0] arithmetic args[1]
    Concat,      // args[0] || args[1]
    Compare,     // args[0] compare args[1]
    And,
    Or,
    Not,
    IsNull,      // args[0] IS [NOT] NULL
    Like,        // args[0] [NOT] LIKE args[1]
    InList,      // args[0] [NOT] IN (args[1..])
    Between,     // args[0] [NOT] BETWEEN args[1] AND args[2]
    Function,    // function(args)
    Cast,        // CAST(args[0] AS cast)
    Aggregate,   // aggregate(args[0]) or COUNT(*)
  };

  Kind kind = Kind::Literal;
  Token where;  // first token, for error messages
  Value literal;
  std::string qualifier;
  std::string name;
  CompareOp compare = CompareOp::Equal;
  ArithmeticOp arithmetic = ArithmeticOp::Add;
  AggregateKind aggregate = AggregateKind::Count;
  ScalarFunction function = ScalarFunction::Upper;
  CastTarget cast;
  bool negated = false;  // NOT LIKE, NOT IN, NOT BETWEEN, IS NOT NULL
  std::vector<std::unique_ptr<Expr>> args;
};

using ExprPtr = std::unique_ptr<Expr>;

struct SelectItem {
  enum class Kind { Expression, Star, TableStar };
  Kind kind = Kind::Expression;
  ExprPtr expr;
  std::string alias;      // empty: none given
  std::string qualifier;  // for TableStar
  Token where;
};

struct TableRef {
  std::string name;   // as written, without quotes
  std::string alias;  // empty: none given
  Token where;
};

struct JoinedTable {
  enum class Kind { Cross, Inner, Left };
  Kind kind = Kind::Cross;  // how it joins the tables before it
  TableRef table;
  ExprPtr on;  // Inner and Left
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectStatement {
  bool distinct = false;
  std::vector<SelectItem> items;
  std::vector<JoinedTable> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::vector<OrderItem> order_by;
};

struct InsertStatement {
  TableRef table;
  std::vector<std::string> columns;  // empty: all, in table order
  std::vector<Token> column_tokens;
  std::vector<std::vector<ExprPtr>> values;      // VALUES rows
  std::unique_ptr<SelectStatement> select;       // or INSERT ... SELECT
};

struct Assignment {
  std::string column;
  Token where;
  ExprPtr value;
};

struct UpdateStatement {
  TableRef table;
  std::vector<Assignment> assignments;
  ExprPtr where;
};

struct DeleteStatement {
  TableRef table;
  ExprPtr where;
};

struct Statement {
  enum class Kind { Select, Insert, Update, Delete };
  Kind kind = Kind::Select;
  std::unique_ptr<SelectStatement> select;
  std::unique_ptr<InsertStatement> insert;
  std::unique_ptr<UpdateStatement> update;
  std::unique_ptr<DeleteStatement> remove;
};

}  // namespace veltra::sql
