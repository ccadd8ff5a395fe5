#include "validation/check_run.h"

#include "platform/types/error.h"
#include "validation/check_catalog.h"

namespace veltra::validation {

namespace {

constexpr const char* kCodeListScratch = "tmp_r.DB";
constexpr const char* kGroupedScratch = "tmp.db";
// The first code of a batch plus this many more go into one statement.
constexpr int kFurtherCodesPerBatch = 201;

std::string Text(db::DataSet& data_set, const char* field) { return data_set.FieldByName(field).AsString(); }

}  // namespace

// Closes the scratch cursors on every exit, so a failed run leaves no file
// held open and the next run can empty and re-create them.
// A run that stops before its result is in place leaves the old result.
class CheckRun::RunScope {
 public:
  explicit RunScope(CheckRun& run) : run_(run) {}
  ~RunScope() {
    run_.Query1.Close();
    run_.Table1.Close();
    run_.Table4.Close();
    run_.Table5.Close();
    if (result_in_place_) return;
    run_.Table2.Close();
    run_.Table2.GetDatabase().DropAside(run_.Table2.TableName());
    // The window shows the previous result again where it can; the run's
    // own error is the one the user is told.
    try {
      run_.Table2.Open();
    } catch (const EngineError&) {
    }
  }
  void ResultInPlace() { result_in_place_ = true; }

 private:
  CheckRun& run_;
  bool result_in_place_ = false;
};

CheckRun::CheckRun(db::Database& database, db::Table& result, db::Table& catalogue)
    : Table2(result), Table3(catalogue), Table1(database), Query1(database),
      Table4(database), Table5(database) {
  Table5.SetTableName(kCodeListScratch);
}

void CheckRun::Run(const CheckSettings& settings) {
  RunScope scope(*this);
  db::Database& database = Table2.GetDatabase();
  Table2.Close();
  // The result is built in memory and written once, whole, at the end.
  database.HoldAside(Table2.TableName());
  if (!Table3.Active()) Table3.Open();
  for (Table3.First(); !Table3.Eof(); Table3.Next()) {
    if (CatalogueKind(Table3) == settings.report_kind) RunCatalogueRow(settings);
  }
  Progress(0, 0);
  Table2.Close();

  ExecSQL(RemoveKeylessQjFaults(Table2.TableName()));
  SortAndNumberResult();
  database.PutInPlace(Table2.TableName());
  scope.ResultInPlace();

  ExecSQL(UnregisterTable(kRegisterResultTable, Table2.TableName()));
  ExecSQL(RegisterTable(kRegisterResultTable, Table2.TableName(), settings.result_register_text));
  Table2.First();
}

void CheckRun::RunCatalogueRow(const CheckSettings& settings) {
  Table1.Close();
  Table1.SetTableName(Text(Table3, "check_name"));
  const std::string key_expression = Text(Table3, "field_name");
  const SelectExtras extras{settings.check_select_suffix, Text(Table3, "field_name2"), settings.report_type_filter};
  const TableExpression expression = BuildTableExpression(Text(Table3, "db_name"), settings.data_dir_prefix);
  Table1.Open();
  Table1.First();

  if (expression.kind == RuleKind::CodeList) {
    RunCodeList(key_expression, Text(Table3, "check_result"), Text(Table3, "text1"), extras, expression.from);
    Table1.Close();
    return;
  }
  RunRuleRows(key_expression, extras, expression);
  Table1.Close();
  if (expression.kind == RuleKind::Plain) {
    ExecSQL(UnregisterTable(kRegisterDataTable, expression.table_name));
    ExecSQL(RegisterTable(kRegisterDataTable, expression.table_name, Text(Table3, "Text2")));
  }
}

// Batches of 202 codes: only the first reads the survey table; each later
// one keeps those survivors in tmp_r.DB whose value is none of its codes.
void CheckRun::RunCodeList(const std::string& key_expression, const std::string& column, const std::string& message,
                           const SelectExtras& extras, const std::string& from) {
  Table5.Close();
  Table5.EmptyTable();
  if (!Table1.Eof()) {
    Query1.Close();
    Query1.SQL.Clear();
    Query1.SQL.Add(CodeListFirstBatchLine(key_expression, column, extras, from, Text(Table1, "code")));
    Table1.Next();
    bool first_batch = true;
    int further_codes = 0;
    bool batch_pending = true;
    while (!Table1.Eof()) {
      Query1.SQL.Add(CodeListAlternative(first_batch ? column : "字段值", Text(Table1, "code")));
      Table1.Next();
      batch_pending = true;
      if (++further_codes < kFurtherCodesPerBatch) continue;
      RunCodeListBatch(extras);
      batch_pending = false;
      first_batch = false;
      further_codes = 0;
      if (!Table1.Eof()) {
        Query1.SQL.Clear();
        Query1.SQL.Add(CodeListLaterBatchLine(extras, Text(Table1, "code")));
        Table1.Next();
        batch_pending = true;
      }
    }
    if (batch_pending) RunCodeListBatch(extras);
  }
  AppendFaults(Table5);
  Table5.Close();
  ExecSQL(StampFaults(Table2.TableName(), column, message, "错误"));
}

void CheckRun::RunCodeListBatch(const SelectExtras& extras) {
  Query1.SQL.Add(CodeListBatchEnd(extras));
  std::vector<db::Row> survivors = TakeQueryRows();
  Table5.Close();
  Table5.EmptyTable();
  BatchMove1.Destination = &Table5;
  BatchMove1.Execute(std::move(survivors));
}

void CheckRun::RunRuleRows(const std::string& key_expression, const SelectExtras& extras,
                           const TableExpression& expression) {
  const int rule_count = Table1.RecordCount();
  Progress(0, rule_count);
  const std::string& result_table = Table2.TableName();
  for (int done = 1; !Table1.Eof(); ++done) {
    Query1.Close();
    Query1.SQL.Clear();
    const std::string rule_field = Text(Table1, "field_name");
    const std::string condition = Text(Table1, "field_value");
    if (expression.kind == RuleKind::Grouped) {
      const std::string disp_field = Text(Table1, "disp_field");
      Query1.SQL.Add(GroupedRuleSelect(key_expression, rule_field, extras.suffix, expression.from,
                                       Text(Table1, "link"), Text(Table1, "group")));
      OpenQuery();
      SaveQueryAsTable(kGroupedScratch);
      Query1.Close();
      Query1.SQL.Clear();
      Query1.SQL.Add(GroupedRuleFaults(disp_field, extras.suffix, condition));
      AppendFaults(TakeQueryRows());
      ExecSQL(StampFaults(result_table, disp_field, Text(Table1, "field_text"), Text(Table1, "status")));
    } else {
      Query1.SQL.Add(PlainRuleSelect(key_expression, rule_field, extras, expression.from, condition));
      AppendFaults(TakeQueryRows());
      ExecSQL(StampFaults(result_table, rule_field, Text(Table1, "field_text"), Text(Table1, "status")));
    }
    Table1.Next();
    Progress(done, rule_count);
  }
}

void CheckRun::SaveQueryAsTable(const std::string& table_name) {
  Table4.Close();
  Table4.SetTableName(table_name);
  Table4.SetTableType(db::TableType::Default);
  FieldDefs& fields = Table4.GetFieldDefs();
  fields.clear();
  for (int i = 0; i < Query1.FieldCount(); ++i) {
    const db::Field& field = Query1.Fields(i);
    FieldDef def{field.FieldName(), field.DataType(), 0};
    switch (field.DataType()) {
      case FieldType::SmallInt:
      case FieldType::Float:
      case FieldType::Date:
      case FieldType::Boolean:
        break;
      default:
        def.size = field.DataSize();
    }
    fields.push_back(def);
  }
  Table4.CreateTable();
  BatchMove1.Source = &Query1;
  BatchMove1.Destination = &Table4;
  BatchMove1.Execute();
  Table4.Close();
}

// The result table stays open from its first fault to the end of the run.
void CheckRun::AppendFaults(db::DataSet& source) {
  if (!Table2.Active()) Table2.Open();
  BatchMove1.Source = &source;
  BatchMove1.Destination = &Table2;
  BatchMove1.Execute();
}

void CheckRun::AppendFaults(std::vector<db::Row> faults) {
  if (!Table2.Active()) Table2.Open();
  BatchMove1.Destination = &Table2;
  BatchMove1.Execute(std::move(faults));
}

void CheckRun::OpenQuery() {
  if (OnStatement) OnStatement(Query1.SQL.Text());
  Query1.Open();
}

std::vector<db::Row> CheckRun::TakeQueryRows() {
  if (OnStatement) OnStatement(Query1.SQL.Text());
  return Query1.TakeRows();
}

void CheckRun::ExecSQL(const std::string& statement) {
  Query1.Close();
  Query1.SQL.Clear();
  Query1.SQL.Add(statement);
  if (OnStatement) OnStatement(statement);
  Query1.ExecSQL();
}

// The faults are moved out of the held result, into their order and back,
// numbered: never two copies of the result at once.
void CheckRun::SortAndNumberResult() {
  const std::string& result_table = Table2.TableName();
  if (OnStatement) OnStatement(SortedResult(result_table));
  Table2.Close();
  std::vector<std::pair<std::string, bool>> order;
  for (const ResultOrderKey& key : kResultOrder) order.emplace_back(key.field, key.descending);
  Table2.GetDatabase().SortAside(result_table, order, "序号");
  Table2.Open();

  if (Table2.IsEmpty()) {
    Table2.Append();
    Table2.FieldByName("状态").SetAsString("OK");
    Table2.FieldByName("错误信息").SetAsString("无任何错误及警告");
    Table2.Post();
  }
}

void CheckRun::Progress(int position, int max) {
  if (OnProgress) OnProgress(position, max);
}

}  // namespace veltra::validation
