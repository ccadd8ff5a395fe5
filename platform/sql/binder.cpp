#include "platform/sql/binder.h"

#include <algorithm>

#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

using text::EqualsIgnoreAsciiCase;

// Widest text a value of this type shows as, for the size of string results.
int DisplayWidth(const ColumnType& type) {
  switch (type.type) {
    case FieldType::String: return type.size;
    case FieldType::Memo: return 255;
    case FieldType::SmallInt: return 6;
    case FieldType::Integer:
    case FieldType::AutoInc: return 11;
    case FieldType::Date: return 10;
    case FieldType::Time: return 12;
    case FieldType::DateTime: return 23;
    case FieldType::Boolean: return 5;
    default: return 24;
  }
}

ColumnType StringOf(int size) { return {FieldType::String, std::max(size, 1), 0}; }

std::optional<double> ConstantNumber(const BoundExpr& expr) {
  if (expr.kind != BoundExpr::Kind::Constant || !expr.constant.is_number()) return std::nullopt;
  return expr.constant.AsDouble();
}

ColumnType ResultType(const Expr& expr, const std::vector<BoundExpr>& children) {
  switch (expr.kind) {
    case Expr::Kind::Negate:
    case Expr::Kind::Arithmetic:
      return {FieldType::Float, 0, 0};
    case Expr::Kind::Concat:
      return StringOf(DisplayWidth(children[0].type) + DisplayWidth(children[1].type));
    case Expr::Kind::Function:
      if (expr.function == ScalarFunction::Substring) {
        // A character may take two GBK bytes, so m characters may need 2m.
        const int source = DisplayWidth(children[0].type);
        if (children.size() < 3) return StringOf(source);
        const std::optional<double> length = ConstantNumber(children[2]);
        if (!length) return StringOf(source);
        return StringOf(std::clamp(static_cast<int>(*length) * 2, 0, source));
      }
      return children[0].type.type == FieldType::String ? children[0].type
                                                         : StringOf(DisplayWidth(children[0].type));
    case Expr::Kind::Cast:
      return {expr.cast.type, expr.cast.type == FieldType::String ? expr.cast.size : 0, 0};
    default:
      return {FieldType::Boolean, 0, 0};
  }
}

std::string OperatorName(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::Negate: return "neg";
    case Expr::Kind::Arithmetic: return "ar" + std::to_string(static_cast<int>(expr.arithmetic));
    case Expr::Kind::Concat: return "cat";
    case Expr::Kind::Compare: return "cmp" + std::to_string(static_cast<int>(expr.compare));
    case Expr::Kind::And: return "and";
    case Expr::Kind::Or: return "or";
    case Expr::Kind::Not: return "not";
    case Expr::Kind::IsNull: return "isnull";
    case Expr::Kind::Like: return "like";
    case Expr::Kind::InList: return "in";
    case Expr::Kind::Between: return "between";
    case Expr::Kind::Function: return "fn" + std::to_string(static_cast<int>(expr.function));
    case Expr::Kind::Cast:
      return "cast" + std::to_string(static_cast<int>(expr.cast.type)) + "." +
             std::to_string(expr.cast.size);
    default: return "?";
  }
}

BoundExpr::Kind BoundKind(Expr::Kind kind) {
  switch (kind) {
    case Expr::Kind::Negate: return BoundExpr::Kind::Negate;
    case Expr::Kind::Arithmetic: return BoundExpr::Kind::Arithmetic;
    case Expr::Kind::Concat: return BoundExpr::Kind::Concat;
    case Expr::Kind::Compare: return BoundExpr::Kind::Compare;
    case Expr::Kind::And: return BoundExpr::Kind::And;
    case Expr::Kind::Or: return BoundExpr::Kind::Or;
    case Expr::Kind::Not: return BoundExpr::Kind::Not;
    case Expr::Kind::IsNull: return BoundExpr::Kind::IsNull;
    case Expr::Kind::Like: return BoundExpr::Kind::Like;
    case Expr::Kind::InList: return BoundExpr::Kind::InList;
    case Expr::Kind::Between: return BoundExpr::Kind::Between;
    case Expr::Kind::Function: return BoundExpr::Kind::Function;
    case Expr::Kind::Cast: return BoundExpr::Kind::Cast;
    default: return BoundExpr::Kind::Constant;
  }
}

// An operator node over children that are already bound.
BoundExpr BuildNode(const Expr& expr, std::vector<BoundExpr> children) {
  BoundExpr node;
  node.kind = BoundKind(expr.kind);
  node.compare = expr.compare;
  node.arithmetic = expr.arithmetic;
  node.function = expr.function;
  node.negated = expr.negated;
  node.type = ResultType(expr, children);
  node.signature = OperatorName(expr) + (expr.negated ? "!(" : "(");
  for (const BoundExpr& child : children) {
    node.tables |= child.tables;
    node.signature += child.signature + ",";
  }
  node.signature += ")";
  node.children = std::move(children);
  return node;
}

BoundExpr BuildConstant(const Value& value) {
  BoundExpr node;
  node.kind = BoundExpr::Kind::Constant;
  node.constant = value;
  if (value.kind() == Value::Kind::Text) {
    node.type = StringOf(static_cast<int>(text::GbkLength(value.text())));
  } else if (value.is_null()) {
    node.type = StringOf(1);
  }
  node.signature = "k" + std::to_string(static_cast<int>(value.kind())) + ":" + value.ToDisplayText();
  return node;
}

BoundExpr BuildColumnRef(int table, int column, ColumnType type) {
  BoundExpr node;
  node.kind = BoundExpr::Kind::Column;
  node.table = table;
  node.column = column;
  node.type = type;
  node.tables = std::uint64_t{1} << table;
  node.signature = "c" + std::to_string(table) + "." + std::to_string(column);
  return node;
}

std::string_view FileStem(std::string_view name) {
  const std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return name;
}

std::string ColumnText(const Expr& expr) {
  return expr.qualifier.empty() ? expr.name : expr.qualifier + "." + expr.name;
}

}  // namespace

bool ContainsAggregate(const Expr& expr) {
  if (expr.kind == Expr::Kind::Aggregate) return true;
  return std::any_of(expr.args.begin(), expr.args.end(),
                     [](const ExprPtr& arg) { return ContainsAggregate(*arg); });
}

Binder::Binder(std::vector<ScopeTable> tables) : tables_(std::move(tables)) {
  if (tables_.size() > 64) {
    ErrorSubject subject;
    subject.reason = "一条语句最多只能用64个表";
    throw EngineError(EngineError::Kind::Unsupported, subject.reason, subject);
  }
}

int Binder::FindTable(std::string_view qualifier) const {
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    const ScopeTable& table = tables_[t];
    const bool match = table.alias.empty()
                           ? EqualsIgnoreAsciiCase(qualifier, table.name) ||
                                 EqualsIgnoreAsciiCase(qualifier, FileStem(table.name))
                           : EqualsIgnoreAsciiCase(qualifier, table.alias);
    if (match) return static_cast<int>(t);
  }
  return -1;
}

std::string Binder::TableList() const {
  std::string list;
  for (const ScopeTable& table : tables_) {
    if (!list.empty()) list += ", ";
    list += table.name;
  }
  return list;
}

BoundExpr Binder::BindField(int table, int column) const {
  const FieldDef& field = (*tables_[table].fields)[column];
  return BuildColumnRef(table, column, ColumnType{field.type, field.size, field.decimals});
}

BoundExpr Binder::BindColumn(const Expr& expr) const {
  if (!expr.qualifier.empty()) {
    const int table = FindTable(expr.qualifier);
    if (table < 0) {
      RefuseAt(EngineError::Kind::NoSuchField, expr.where, "语句中没有表或别名“" + expr.qualifier + "”");
    }
    const int column = FindField(*tables_[table].fields, expr.name);
    if (column < 0) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        "unknown column " + ColumnText(expr) + " in " + tables_[table].name,
                        {tables_[table].name, expr.name});
    }
    return BindField(table, column);
  }
  int found_table = -1;
  int found_column = -1;
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    const int column = FindField(*tables_[t].fields, expr.name);
    if (column < 0) continue;
    if (found_table >= 0) {
      RefuseAt(EngineError::Kind::NoSuchField, expr.where,
               "字段“" + expr.name + "”在表" + tables_[found_table].name + "和表" + tables_[t].name +
                   "中都有，须写明是哪个表的");
    }
    found_table = static_cast<int>(t);
    found_column = column;
  }
  if (found_table < 0) {
    throw EngineError(EngineError::Kind::NoSuchField,
                      "unknown column " + expr.name + " in " + TableList(), {TableList(), expr.name});
  }
  return BindField(found_table, found_column);
}

BoundExpr Binder::BindSource(const Expr& expr, std::string_view clause) const {
  switch (expr.kind) {
    case Expr::Kind::Literal: return BuildConstant(expr.literal);
    case Expr::Kind::Column: return BindColumn(expr);
    case Expr::Kind::Aggregate:
      RefuseAt(EngineError::Kind::Syntax, expr.where, std::string(clause) + "中不能使用合计函数");
    default: break;
  }
  std::vector<BoundExpr> children;
  children.reserve(expr.args.size());
  for (const ExprPtr& arg : expr.args) children.push_back(BindSource(*arg, clause));
  return BuildNode(expr, std::move(children));
}

void Binder::StartGrouping(std::vector<BoundExpr> keys) {
  keys_ = std::move(keys);
}

std::optional<BoundExpr> Binder::MatchKey(const BoundExpr& bound) const {
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    if (keys_[k].signature == bound.signature) {
      return BuildColumnRef(0, static_cast<int>(k), keys_[k].type);
    }
  }
  return std::nullopt;
}

BoundExpr Binder::BindGrouped(const Expr& expr) {
  if (expr.kind == Expr::Kind::Aggregate) {
    BoundAggregate aggregate;
    aggregate.kind = expr.aggregate;
    aggregate.signature = "agg" + std::to_string(static_cast<int>(expr.aggregate));
    if (!expr.args.empty()) {
      aggregate.argument = BindSource(*expr.args[0], "合计函数的参数");
      aggregate.signature += "(" + aggregate.argument->signature + ")";
    }
    switch (aggregate.kind) {
      case AggregateKind::Count:
      case AggregateKind::CountStar: aggregate.type = {FieldType::Integer, 0, 0}; break;
      case AggregateKind::Sum:
      case AggregateKind::Avg: aggregate.type = {FieldType::Float, 0, 0}; break;
      case AggregateKind::Min:
      case AggregateKind::Max: aggregate.type = aggregate.argument->type; break;
    }
    std::size_t slot = 0;
    while (slot < aggregates_.size() && aggregates_[slot].signature != aggregate.signature) ++slot;
    const ColumnType type = aggregate.type;
    if (slot == aggregates_.size()) aggregates_.push_back(std::move(aggregate));
    return BuildColumnRef(0, static_cast<int>(keys_.size() + slot), type);
  }
  if (expr.kind == Expr::Kind::Literal) return BuildConstant(expr.literal);
  if (!ContainsAggregate(expr)) {
    BoundExpr bound = BindSource(expr, "分组依据");
    if (std::optional<BoundExpr> key = MatchKey(bound)) return *key;
    if (bound.tables == 0) return bound;
    if (expr.kind == Expr::Kind::Column) {
      RefuseAt(EngineError::Kind::Syntax, expr.where,
               "字段“" + ColumnText(expr) + "”须列入分组依据，或放在合计函数中");
    }
  }
  std::vector<BoundExpr> children;
  children.reserve(expr.args.size());
  for (const ExprPtr& arg : expr.args) children.push_back(BindGrouped(*arg));
  return BuildNode(expr, std::move(children));
}

void MarkColumns(const BoundExpr& expr, int table, std::vector<bool>& columns) {
  if (expr.kind == BoundExpr::Kind::Column && expr.table == table) columns[expr.column] = true;
  for (const BoundExpr& child : expr.children) MarkColumns(child, table, columns);
}

}  // namespace veltra::sql
