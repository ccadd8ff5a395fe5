#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "platform/sql/binder.h"
#include "platform/sql/select_plan.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

using text::EqualsIgnoreAsciiCase;

void SplitConjuncts(const Expr* expr, std::vector<const Expr*>& out) {
  if (expr == nullptr) return;
  if (expr->kind == Expr::Kind::And) {
    SplitConjuncts(expr->args[0].get(), out);
    SplitConjuncts(expr->args[1].get(), out);
  } else {
    out.push_back(expr);
  }
}

// The last table an expression reads; 0 for none.
int LastTable(std::uint64_t tables) { return tables == 0 ? 0 : 63 - std::countl_zero(tables); }

// Kinds of value a hash lookup may compare by equality of representation.
int EquiClass(FieldType type) {
  if (IsTextType(type)) return 1;
  if (IsNumericType(type)) return 2;
  if (type == FieldType::Date) return 3;
  return 0;
}

// "this.column = earlier tables" as a hash lookup into table `level`.
std::optional<KeyLookup> AsKeyLookup(const BoundExpr& part, int level) {
  if (part.kind != BoundExpr::Kind::Compare || part.compare != CompareOp::Equal) return std::nullopt;
  const std::uint64_t earlier = (std::uint64_t{1} << level) - 1;
  for (int side = 0; side < 2; ++side) {
    const BoundExpr& own = part.children[side];
    const BoundExpr& other = part.children[1 - side];
    if (own.kind != BoundExpr::Kind::Column || own.table != level) continue;
    if ((other.tables & ~earlier) != 0) continue;
    const int equi = EquiClass(own.type.type);
    if (equi == 0 || equi != EquiClass(other.type.type)) continue;
    return KeyLookup{CompileValue(other), own.column};
  }
  return std::nullopt;
}

// The operands of a chain of one connective: "p or q or r" gives p, q, r.
void SplitChain(const BoundExpr& expr, BoundExpr::Kind connective, std::vector<const BoundExpr*>& out) {
  if (expr.kind == connective) {
    for (const BoundExpr& child : expr.children) SplitChain(child, connective, out);
  } else {
    out.push_back(&expr);
  }
}

// One lookup per disjunct of `part` when every disjunct holds an equality
// usable as one; a row no lookup finds satisfies none of the disjuncts.
std::vector<KeyLookup> DisjunctLookups(const BoundExpr& part, int level) {
  std::vector<const BoundExpr*> disjuncts;
  SplitChain(part, BoundExpr::Kind::Or, disjuncts);
  if (disjuncts.size() < 2) return {};
  std::vector<KeyLookup> lookups;
  for (const BoundExpr* disjunct : disjuncts) {
    std::vector<const BoundExpr*> conjuncts;
    SplitChain(*disjunct, BoundExpr::Kind::And, conjuncts);
    std::optional<KeyLookup> lookup;
    for (auto conjunct = conjuncts.begin(); !lookup && conjunct != conjuncts.end(); ++conjunct) {
      lookup = AsKeyLookup(**conjunct, level);
    }
    if (!lookup) return {};
    lookups.push_back(std::move(*lookup));
  }
  return lookups;
}

// Finds "this.column = earlier tables" among `parts`, takes it out and
// makes it the step's hash lookup. Failing that, an OR whose disjuncts
// each hold such an equality becomes one lookup per disjunct; the OR stays
// among `parts` to decide on the rows they find.
void ChooseEquiJoin(int level, std::vector<BoundExpr>& parts, JoinStep& step) {
  for (auto part = parts.begin(); part != parts.end(); ++part) {
    if (std::optional<KeyLookup> lookup = AsKeyLookup(*part, level)) {
      step.lookups.push_back(std::move(*lookup));
      parts.erase(part);
      return;
    }
  }
  for (const BoundExpr& part : parts) {
    step.lookups = DisjunctLookups(part, level);
    if (!step.lookups.empty()) return;
  }
}

// Marks the fields `expr` reads in each step's `used`.
void MarkUsed(const BoundExpr& expr, std::vector<JoinStep>& steps) {
  for (std::size_t t = 0; t < steps.size(); ++t) MarkColumns(expr, static_cast<int>(t), steps[t].used);
}

std::vector<TruthProgram> CompileAll(const std::vector<BoundExpr>& parts) {
  std::vector<TruthProgram> programs;
  for (const BoundExpr& part : parts) programs.push_back(CompileTruth(part));
  return programs;
}

bool AnyAggregate(const SelectStatement& select) {
  for (const SelectItem& item : select.items) {
    if (item.expr && ContainsAggregate(*item.expr)) return true;
  }
  for (const OrderItem& item : select.order_by) {
    if (ContainsAggregate(*item.expr)) return true;
  }
  return select.having != nullptr;
}

std::string_view AggregateName(AggregateKind kind) {
  switch (kind) {
    case AggregateKind::Count:
    case AggregateKind::CountStar: return "COUNT";
    case AggregateKind::Sum: return "SUM";
    case AggregateKind::Avg: return "AVG";
    case AggregateKind::Min: return "MIN";
    case AggregateKind::Max: return "MAX";
  }
  return "AGGREGATE";
}

// Names repeated in the result get "_1", "_2" ... so that the result can
// be saved as a table; a suffix never takes a name another column has.
// Each name's suffix search resumes where its last one stopped, so the
// work stays linear however often a name repeats.
void MakeNamesUnique(FieldDefs& columns) {
  std::unordered_set<std::string> taken;
  for (const FieldDef& column : columns) taken.insert(text::ToAsciiLower(column.name));
  std::unordered_set<std::string> seen;
  std::unordered_map<std::string, int> last_suffix;
  for (FieldDef& column : columns) {
    const std::string name = text::ToAsciiLower(column.name);
    if (seen.insert(name).second) continue;
    int& suffix = last_suffix[name];
    std::string candidate;
    do {
      candidate = column.name + "_" + std::to_string(++suffix);
    } while (!taken.insert(text::ToAsciiLower(candidate)).second);
    column.name = candidate;
    seen.insert(text::ToAsciiLower(candidate));
  }
}

class SelectPlanner {
 public:
  SelectPlanner(const SelectStatement& select, Catalog& catalog)
      : select_(select), binder_(OpenTables(catalog)) {}

  SelectPlan Plan() {
    PlanJoins();
    plan_.grouped = !select_.group_by.empty() || AnyAggregate(select_);
    if (plan_.grouped) StartGrouping();
    PlanOutputs();
    if (select_.having) plan_.having = CompileTruth(binder_.BindGrouped(*select_.having));
    PlanOrder();
    for (const BoundAggregate& aggregate : binder_.aggregates()) {
      AggregateProgram program;
      program.kind = aggregate.kind;
      if (aggregate.argument) {
        MarkUsed(*aggregate.argument, plan_.steps);
        program.argument.emplace(*aggregate.argument);
      }
      plan_.aggregates.push_back(std::move(program));
    }
    plan_.distinct = select_.distinct;
    MakeNamesUnique(plan_.columns);
    for (JoinStep& step : plan_.steps) step.read = FlaggedColumns(step.used);
    return std::move(plan_);
  }

 private:
  std::vector<ScopeTable> OpenTables(Catalog& catalog) {
    std::vector<ScopeTable> scope;
    for (const JoinedTable& joined : select_.from) {
      JoinStep step;
      step.table = catalog.OpenTable(joined.table.name);
      step.left_outer = joined.kind == JoinedTable::Kind::Left;
      step.null_row.assign(step.table->fields().size(), Value());
      step.used.assign(step.table->fields().size(), false);
      step.tested = step.used;
      scope.push_back({joined.table.name, joined.table.alias, &step.table->fields()});
      plan_.steps.push_back(std::move(step));
    }
    return scope;
  }

  BoundExpr Bind(const Expr& expr, std::string_view clause) {
    return plan_.grouped ? binder_.BindGrouped(expr) : BindSource(expr, clause);
  }

  BoundExpr BindSource(const Expr& expr, std::string_view clause) {
    BoundExpr bound = binder_.BindSource(expr, clause);
    MarkUsed(bound, plan_.steps);
    return bound;
  }

  void PlanJoins() {
    const std::size_t count = plan_.steps.size();
    std::vector<std::vector<BoundExpr>> filters(count), matches(count);
    std::vector<const Expr*> parts;
    SplitConjuncts(select_.where.get(), parts);
    for (const Expr* part : parts) {
      BoundExpr bound = BindSource(*part, "条件");
      filters[LastTable(bound.tables)].push_back(std::move(bound));
    }
    for (std::size_t level = 1; level < count; ++level) {
      parts.clear();
      SplitConjuncts(select_.from[level].on.get(), parts);
      for (const Expr* part : parts) {
        BoundExpr bound = BindSource(*part, "连接条件");
        const int last = LastTable(bound.tables);
        if (last > static_cast<int>(level)) {
          RefuseAt(EngineError::Kind::Syntax, part->where, "连接条件用到了在它之后才连接的表");
        }
        if (plan_.steps[level].left_outer) {
          matches[level].push_back(std::move(bound));
        } else {
          filters[last].push_back(std::move(bound));
        }
      }
    }
    for (std::size_t level = 0; level < count; ++level) {
      JoinStep& step = plan_.steps[level];
      if (level > 0) {
        ChooseEquiJoin(static_cast<int>(level), step.left_outer ? matches[level] : filters[level], step);
      }
      step.match = CompileAll(matches[level]);
      step.filters = CompileAll(filters[level]);
      for (const BoundExpr& filter : filters[level]) MarkColumns(filter, static_cast<int>(level), step.tested);
    }
  }

  void StartGrouping() {
    std::vector<BoundExpr> keys;
    for (const ExprPtr& key : select_.group_by) {
      keys.push_back(BindSource(*key, "分组依据"));
      plan_.group_keys.push_back(CompileValue(keys.back()));
    }
    binder_.StartGrouping(std::move(keys));
  }

  void AddOutput(const BoundExpr& bound, std::string name) {
    plan_.outputs.emplace_back(bound);
    plan_.columns.push_back(FieldDef{std::move(name), bound.type.type, bound.type.size, bound.type.decimals});
  }

  void AddTableFields(int table, const SelectItem& item) {
    if (plan_.grouped) {
      RefuseAt(EngineError::Kind::Syntax, item.where, "分组或使用合计函数时不能用*选取全部字段");
    }
    const FieldDefs& fields = *binder_.tables()[table].fields;
    for (std::size_t column = 0; column < fields.size(); ++column) {
      plan_.steps[table].used[column] = true;
      AddOutput(binder_.BindField(table, static_cast<int>(column)), fields[column].name);
    }
  }

  void PlanOutputs() {
    for (const SelectItem& item : select_.items) {
      switch (item.kind) {
        case SelectItem::Kind::Star:
          for (std::size_t t = 0; t < binder_.tables().size(); ++t) AddTableFields(static_cast<int>(t), item);
          break;
        case SelectItem::Kind::TableStar: {
          const int table = binder_.FindTable(item.qualifier);
          if (table < 0) {
            RefuseAt(EngineError::Kind::NoSuchTable, item.where, "语句中没有表或别名“" + item.qualifier + "”");
          }
          AddTableFields(table, item);
          break;
        }
        case SelectItem::Kind::Expression: {
          const BoundExpr bound = Bind(*item.expr, "选取的列");
          AddOutput(bound, OutputName(item, plan_.columns.size() + 1));
          aliases_.push_back(item.alias);
          break;
        }
      }
      if (item.kind != SelectItem::Kind::Expression) aliases_.resize(plan_.columns.size());
    }
  }

  std::string OutputName(const SelectItem& item, std::size_t position) const {
    if (!item.alias.empty()) return item.alias;
    const Expr& expr = *item.expr;
    if (expr.kind == Expr::Kind::Column) {
      const BoundExpr column = binder_.BindSource(expr, "选取的列");
      return (*binder_.tables()[column.table].fields)[column.column].name;
    }
    if (expr.kind == Expr::Kind::Aggregate) return std::string(AggregateName(expr.aggregate));
    return "EXPR" + std::to_string(position);
  }

  // ORDER BY takes a position, an alias of the select list, or an expression.
  void PlanOrder() {
    for (const OrderItem& item : select_.order_by) {
      const Expr& expr = *item.expr;
      SortKey key;
      key.descending = item.descending;
      if (expr.kind == Expr::Kind::Literal && expr.literal.is_number()) {
        const double position = expr.literal.AsDouble();
        if (!(position >= 1 && position <= static_cast<double>(plan_.columns.size())) ||
            position != std::trunc(position)) {
          RefuseAt(EngineError::Kind::Syntax, expr.where,
                   "排序依据中的第" + expr.where.text + "列不存在：结果只有" + std::to_string(plan_.columns.size()) + "列");
        }
        key.value = static_cast<std::size_t>(position) - 1;
      } else if (const std::optional<std::size_t> alias = FindAlias(expr)) {
        key.value = *alias;
      } else {
        key.value = plan_.outputs.size() + plan_.extra_sort_values.size();
        plan_.extra_sort_values.emplace_back(Bind(expr, "排序依据"));
      }
      plan_.sort.push_back(key);
    }
  }

  std::optional<std::size_t> FindAlias(const Expr& expr) const {
    if (expr.kind != Expr::Kind::Column || !expr.qualifier.empty()) return std::nullopt;
    for (std::size_t i = 0; i < aliases_.size(); ++i) {
      if (!aliases_[i].empty() && EqualsIgnoreAsciiCase(aliases_[i], expr.name)) return i;
    }
    return std::nullopt;
  }

  const SelectStatement& select_;
  SelectPlan plan_;
  Binder binder_;
  std::vector<std::string> aliases_;  // per output column; empty: none
};

}  // namespace

SelectPlan PlanSelect(const SelectStatement& select, Catalog& catalog) {
  return SelectPlanner(select, catalog).Plan();
}

}  // namespace veltra::sql
