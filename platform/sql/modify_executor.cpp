#include "platform/sql/modify_executor.h"

#include <algorithm>
#include <optional>

#include "platform/sql/binder.h"
#include "platform/sql/expression_compiler.h"
#include "platform/sql/select_plan.h"
#include "platform/sql/value_ops.h"
#include "platform/types/error.h"

namespace veltra::sql {
namespace {

int FieldOf(const TableSource& table, const TableRef& ref, const std::string& name) {
  const int column = FindField(table.fields(), name);
  if (column < 0) {
    throw EngineError(EngineError::Kind::NoSuchField, "unknown column " + name + " in " + ref.name, {ref.name, name});
  }
  return column;
}

Value ForField(const Value& value, const FieldDef& field, const TableRef& ref) {
  // Sized, so that a number is rounded to the width rather than cut by the table.
  return ConvertValue(value, field.type, field.size, {ref.name, field.name});
}

std::vector<int> TargetColumns(const InsertStatement& insert, const TableSource& table) {
  std::vector<int> columns;
  if (insert.columns.empty()) {
    for (std::size_t c = 0; c < table.fields().size(); ++c) columns.push_back(static_cast<int>(c));
    return columns;
  }
  for (const std::string& name : insert.columns) {
    const int column = FieldOf(table, insert.table, name);
    if (std::find(columns.begin(), columns.end(), column) != columns.end()) {
      ErrorSubject subject;
      subject.table = insert.table.name;
      subject.reason = "插入语句把字段“" + name + "”列了两次";
      throw EngineError(EngineError::Kind::Syntax, subject.reason, subject);
    }
    columns.push_back(column);
  }
  return columns;
}

void CheckWidth(std::size_t values, std::size_t columns, const TableRef& ref) {
  if (values != columns) {
    ErrorSubject subject;
    subject.table = ref.name;
    subject.reason = "插入语句给出了" + std::to_string(values) + "个值，却有" + std::to_string(columns) + "个字段";
    throw EngineError(EngineError::Kind::Syntax, subject.reason, subject);
  }
}

// The first row that can meet `where`: one that asks for a null in a
// column skips the leading rows the table knows to hold values there.
std::size_t FirstPossibleMatch(const TableSource& table, const BoundExpr& where) {
  if (where.kind == BoundExpr::Kind::IsNull && !where.negated && where.children[0].kind == BoundExpr::Kind::Column) {
    return table.FilledPrefix(static_cast<std::size_t>(where.children[0].column));
  }
  std::size_t first = 0;
  if (where.kind == BoundExpr::Kind::And) {
    for (const BoundExpr& term : where.children) first = std::max(first, FirstPossibleMatch(table, term));
  }
  return first;
}

// A statement's condition, compiled, and where its matches can begin.
struct CompiledWhere {
  std::optional<TruthProgram> test;  // none: every row
  std::vector<std::size_t> tested;   // the fields it reads
  std::size_t first = 0;
};

CompiledWhere CompileWhere(const Binder& binder, const Expr* where, const TableSource& table) {
  if (where == nullptr) return {};
  const BoundExpr bound = binder.BindSource(*where, "条件");
  std::vector<bool> tested(table.fields().size(), false);
  MarkColumns(bound, 0, tested);
  return {CompileTruth(bound), FlaggedColumns(tested), FirstPossibleMatch(table, bound)};
}

// Positions of the rows `where` holds for.
std::vector<std::size_t> MatchingRows(const TableSource& table, const CompiledWhere& where) {
  std::vector<std::size_t> positions;
  const std::size_t count = table.row_count();
  Row row;
  const Row* rows[] = {&row};
  for (std::size_t position = where.first; position < count; ++position) {
    if (where.test) {
      table.ReadRow(position, &where.tested, row);
      if ((*where.test)(rows) != Truth::True) continue;
    }
    positions.push_back(position);
  }
  return positions;
}

}  // namespace

std::size_t ExecuteInsert(const InsertStatement& insert, Catalog& catalog) {
  std::vector<Row> incoming;
  if (insert.select) {
    incoming = ExecuteSelect(PlanSelect(*insert.select, catalog));
  } else {
    const Binder constants({});
    for (const std::vector<ExprPtr>& values : insert.values) {
      Row row;
      for (const ExprPtr& value : values) {
        row.push_back(CompileValue(constants.BindSource(*value, "插入的值"))(nullptr));
      }
      incoming.push_back(std::move(row));
    }
  }
  const std::shared_ptr<TableSource> table = catalog.OpenTable(insert.table.name);
  const std::vector<int> columns = TargetColumns(insert, *table);
  const FieldDefs& fields = table->fields();
  std::vector<Row> rows;
  rows.reserve(incoming.size());
  for (const Row& values : incoming) {
    CheckWidth(values.size(), columns.size(), insert.table);
    Row row(fields.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
      row[columns[i]] = ForField(values[i], fields[columns[i]], insert.table);
    }
    rows.push_back(std::move(row));
  }
  const std::size_t inserted = rows.size();
  if (inserted > 0) table->InsertRows(std::move(rows));
  return inserted;
}

std::size_t ExecuteUpdate(const UpdateStatement& update, Catalog& catalog) {
  const std::shared_ptr<TableSource> table = catalog.OpenTable(update.table.name);
  const Binder binder({ScopeTable{update.table.name, update.table.alias, &table->fields()}});
  struct CompiledAssignment {
    int column;
    ValueProgram value;
    bool constant;                 // reads no column: converted once, on the first row, and shared
    std::optional<Value> converted;
  };
  std::vector<CompiledAssignment> assignments;
  for (const Assignment& assignment : update.assignments) {
    const BoundExpr bound = binder.BindSource(*assignment.value, "修改的值");
    assignments.push_back({FieldOf(*table, update.table, assignment.column), CompileValue(bound),
                           bound.kind == BoundExpr::Kind::Constant, std::nullopt});
  }
  const CompiledWhere where = CompileWhere(binder, update.where.get(), *table);
  std::vector<std::pair<std::size_t, Row>> changes;
  Row old_row;
  const Row* rows[] = {&old_row};
  for (std::size_t position : MatchingRows(*table, where)) {
    table->ReadRow(position, old_row);
    Row new_row = old_row;
    for (CompiledAssignment& assignment : assignments) {
      const FieldDef& field = table->fields()[assignment.column];
      if (!assignment.constant) {
        new_row[assignment.column] = ForField(assignment.value(rows), field, update.table);
        continue;
      }
      if (!assignment.converted) assignment.converted = ForField(assignment.value(rows), field, update.table);
      new_row[assignment.column] = *assignment.converted;
    }
    changes.emplace_back(position, std::move(new_row));
  }
  const std::size_t updated = changes.size();
  if (updated > 0) table->UpdateRows(std::move(changes));
  return updated;
}

std::size_t ExecuteDelete(const DeleteStatement& remove, Catalog& catalog) {
  const std::shared_ptr<TableSource> table = catalog.OpenTable(remove.table.name);
  const Binder binder({ScopeTable{remove.table.name, remove.table.alias, &table->fields()}});
  const std::vector<std::size_t> positions =
      MatchingRows(*table, CompileWhere(binder, remove.where.get(), *table));
  if (!positions.empty()) table->DeleteRows(positions);
  return positions.size();
}

}  // namespace veltra::sql
