#include "platform/sql/engine.h"

#include "platform/sql/modify_executor.h"
#include "platform/sql/parser.h"
#include "platform/sql/select_plan.h"

namespace veltra::sql {

Result RunStatement(std::string_view statement, Catalog& catalog) {
  const Statement parsed = ParseStatement(statement);
  Result result;
  switch (parsed.kind) {
    case Statement::Kind::Select: {
      const SelectPlan plan = PlanSelect(*parsed.select, catalog);
      result.has_result_set = true;
      result.columns = plan.columns;
      result.rows = ExecuteSelect(plan);
      break;
    }
    case Statement::Kind::Insert: result.rows_affected = ExecuteInsert(*parsed.insert, catalog); break;
    case Statement::Kind::Update: result.rows_affected = ExecuteUpdate(*parsed.update, catalog); break;
    case Statement::Kind::Delete: result.rows_affected = ExecuteDelete(*parsed.remove, catalog); break;
  }
  return result;
}

}  // namespace veltra::sql
