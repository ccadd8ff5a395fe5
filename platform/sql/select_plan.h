#pragma once
// A SELECT ready to run: tables opened, joins laid out, every expression
// compiled. The planner builds it, the executor runs it.
#include <memory>
#include <optional>
#include <vector>

#include "platform/sql/ast.h"
#include "platform/sql/expression_compiler.h"

namespace veltra::sql {

// A hash lookup: the rows of a step's table whose `build_column` equals
// `probe`, evaluated over the earlier tables; a null finds nothing.
struct KeyLookup {
  ValueProgram probe;
  int build_column = 0;
};

// One table of the FROM list, joined to the tables before it.
struct JoinStep {
  std::shared_ptr<TableSource> table;
  bool left_outer = false;
  // When any, the rows some lookup finds are the only candidates, met in
  // table order. One lookup is an equi-join whose equality left the
  // conditions; several stand for the disjuncts of an OR, which stays.
  std::vector<KeyLookup> lookups;
  std::vector<TruthProgram> match;    // the rest of a LEFT JOIN's ON
  std::vector<TruthProgram> filters;  // WHERE (and inner ON) parts complete at this table
  Row null_row;                       // the row a LEFT JOIN adds when nothing matches
  std::vector<bool> used;             // per field: whether the statement reads it
  std::vector<std::size_t> read;      // the fields it reads
  std::vector<bool> tested;           // per field: whether `filters` read it
};

struct AggregateProgram {
  AggregateKind kind = AggregateKind::Count;
  std::optional<ValueOperand> argument;  // none for COUNT(*)
};

struct SortKey {
  std::size_t value = 0;  // index into the produced row (outputs, then extra keys)
  bool descending = false;
};

struct SelectPlan {
  std::vector<JoinStep> steps;
  bool grouped = false;
  std::vector<ValueProgram> group_keys;  // over the source rows
  std::vector<AggregateProgram> aggregates;
  std::optional<TruthProgram> having;    // over the group row
  // Over the source rows, or over the group row when grouped.
  std::vector<ValueOperand> outputs;
  std::vector<ValueOperand> extra_sort_values;
  std::vector<SortKey> sort;
  bool distinct = false;
  FieldDefs columns;
};

SelectPlan PlanSelect(const SelectStatement& select, Catalog& catalog);

std::vector<Row> ExecuteSelect(const SelectPlan& plan);

}  // namespace veltra::sql
