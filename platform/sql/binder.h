#pragma once
// Resolves the names of expressions against the tables of a statement
// and gives every node its result type. In grouped mode (GROUP BY or
// aggregates) expressions are bound against the group row: the group keys
// first, then one column per distinct aggregate.
#include <optional>
#include <string>
#include <vector>

#include "platform/sql/ast.h"
#include "platform/sql/bound_expression.h"

namespace veltra::sql {

struct ScopeTable {
  std::string name;   // as written in the statement
  std::string alias;  // empty: none
  const FieldDefs* fields = nullptr;
};

struct BoundAggregate {
  AggregateKind kind = AggregateKind::Count;
  std::optional<BoundExpr> argument;  // over the source row; none for COUNT(*)
  ColumnType type;
  std::string signature;
};

class Binder {
 public:
  explicit Binder(std::vector<ScopeTable> tables);

  const std::vector<ScopeTable>& tables() const { return tables_; }
  // Table index that `qualifier` names, or -1.
  int FindTable(std::string_view qualifier) const;

  // Field `column` of table `table`, as a `*` expands it.
  BoundExpr BindField(int table, int column) const;

  // An expression over the source rows; aggregates are refused with
  // `clause` named in the error ("WHERE", "GROUP BY" ...).
  BoundExpr BindSource(const Expr& expr, std::string_view clause) const;

  // Switches to grouped binding with these keys (bound by BindSource).
  void StartGrouping(std::vector<BoundExpr> keys);
  // An expression over the group row; new aggregates are collected.
  BoundExpr BindGrouped(const Expr& expr);
  const std::vector<BoundAggregate>& aggregates() const { return aggregates_; }

  // Text naming the statement's tables, for error messages.
  std::string TableList() const;

 private:
  BoundExpr BindColumn(const Expr& expr) const;
  std::optional<BoundExpr> MatchKey(const BoundExpr& bound) const;

  std::vector<ScopeTable> tables_;
  std::vector<BoundExpr> keys_;
  std::vector<BoundAggregate> aggregates_;
};

bool ContainsAggregate(const Expr& expr);

// Marks the fields of table `table` that `expr` reads.
void MarkColumns(const BoundExpr& expr, int table, std::vector<bool>& columns);

}  // namespace veltra::sql
