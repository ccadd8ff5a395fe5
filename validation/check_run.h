#pragma once
// The validation run of one report kind. Each catalogue row of the kind
// names a rule table and a table expression; the engine builds local-SQL
// statements from them, appends every fault to the kind's result table by
// column position and stamps it with its field, message and state. Then
// it drops the keyless faults of the zone rules qj01/qj25-27, sorts the
// result by 状态 descending and 编号, numbers it in 序号 (or writes the
// single "OK" row of a clean run) and enters the tables in the send
// register sendname.db.
//
// The result is built in memory and replaces the table's file as a whole
// at the end, synced: a run stopped by a failure (its EngineError) or a
// kill leaves the previous result; register rows written until then stay.
#include <functional>
#include <string>

#include "platform/db/batch_move.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "validation/check_sql.h"

namespace veltra::validation {

struct CheckSettings {
  int report_kind = 0;
  std::string report_type_filter;   // ends plain and code-list conditions
  std::string check_select_suffix;  // ends every select list, before field_name2
  std::string data_dir_prefix;      // put before every survey table name
  std::string result_register_text;
};

class CheckRun {
 public:
  // `result` names the kind's result table and `catalogue` is on
  // check_db.DB; both belong to the window, which shows the one and keeps
  // the other open between runs.
  CheckRun(db::Database& database, db::Table& result, db::Table& catalogue);

  // Rule rows done of the current grouped or plain rule table; (0, max) as
  // a table starts and (0, 0) when the rule tables are done.
  std::function<void(int position, int max)> OnProgress;
  // Sees each statement as it is about to run (traces, benchmarks).
  std::function<void(const std::string& statement)> OnStatement;

  void Run(const CheckSettings& settings);

  // Re-creates `table_name` with the columns of the open Query1 (name and
  // type; strings one byte wider) and copies its rows into it.
  void SaveQueryAsTable(const std::string& table_name);

 private:
  class RunScope;

  void RunCatalogueRow(const CheckSettings& settings);
  void RunCodeList(const std::string& key_expression, const std::string& column, const std::string& message,
                   const SelectExtras& extras, const std::string& from);
  void RunCodeListBatch(const SelectExtras& extras);
  void RunRuleRows(const std::string& key_expression, const SelectExtras& extras,
                   const TableExpression& expression);
  void AppendFaults(db::DataSet& source);
  void AppendFaults(std::vector<db::Row> faults);
  void OpenQuery();
  // The rows of Query1's select, taken over; the query stays closed.
  std::vector<db::Row> TakeQueryRows();
  void ExecSQL(const std::string& statement);
  void SortAndNumberResult();
  void Progress(int position, int max);

  db::Table& Table2;  // result table
  db::Table& Table3;  // catalogue
  db::Table Table1;   // the current rule table
  db::Query Query1;
  db::Table Table4;   // target of SaveQueryAsTable
  db::Table Table5;   // tmp_r.DB
  db::BatchMove BatchMove1;
};

}  // namespace veltra::validation
