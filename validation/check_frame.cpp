#include "validation/check_frame.h"

#include "mainunit/on_exit.h"

namespace veltra::validation {

namespace {

// Detaches the grid until the returned guard ends, error or not.
auto DetachGrid(db::DataSource& source) {
  source.SetEnabled(false);
  return mainunit::OnExit([&source] { source.SetEnabled(true); });
}

}  // namespace

CheckFrame::CheckFrame(mainunit::MainUnit& main, EntryWindows& entry_windows)
    : Table2(main.Database1), DataSource1(&Table2), Table3(main.Database1), main_(main),
      entry_windows_(entry_windows), run_(main.Database1, Table2, Table3) {
  Table3.SetTableName(kCatalogueTable);
  run_.OnProgress = [this](int position, int maximum) {
    // At rest the bar runs 0-100.
    SetProgress(position, maximum > 0 ? maximum : 100);
  };
}

void CheckFrame::FormActivate() {
  if (Table2.Active()) return;
  const int kind = main_.ReportKind;
  report_type_filter_ = CheckReportTypeFilter(kind);
  check_select_suffix_ = validation::CheckSelectSuffix(kind);
  // A kind without catalogue rows keeps no other kind's result table, so
  // a run cannot empty that one.
  Table2.SetTableName("");
  ResultRegisterText.clear();
  if (!Table3.Active()) Table3.Open();
  const KindHeader header = FindKindHeader(Table3, kind);
  Table2.SetTableName(header.result_table);
  ResultRegisterText = header.result_register_text;
  caption_ = header.caption + main_.CaptionSuffix;
  if (OnViewChanged) OnViewChanged();
  Table2.Open();
}

void CheckFrame::Button3Click() {
  if (Table2.TableName().empty()) {
    if (!Table3.Active()) Table3.Open();
    FindKindHeader(Table3, main_.ReportKind);  // says why there is nothing to run
  }
  const auto attach_grid = DetachGrid(DataSource1);
  run_.Run({main_.ReportKind, report_type_filter_, check_select_suffix_, main_.DataDirPrefix, ResultRegisterText});
}

void CheckFrame::Button4Click() {
  PrepareCheckPrint();
  CheckPrint().QuickRep1.Preview();
}

void CheckFrame::Button1Click() {
  PrepareCheckPrint();
  CheckPrint().QuickRep1.Print();
}

TF_check_p& CheckFrame::CheckPrint() {
  if (!check_p_) check_p_ = std::make_unique<TF_check_p>(main_.Database1);
  return *check_p_;
}

void CheckFrame::PrepareCheckPrint() {
  TF_check_p& check_p = CheckPrint();
  const auto attach_grid = DetachGrid(DataSource1);
  if (!Table2.Active()) Table2.Open();
  check_p.Table1.Close();
  check_p.Table1.SetTableName(Table2.TableName());
  check_p.Table1.Open();
  check_p.Table2.Open();
  // An empty check_pt.db gets its first row this way.
  check_p.Table2.Edit();
  check_p.Table2.FieldByName("text").SetAsString(caption_);
  check_p.Table2.Post();
}

void CheckFrame::DBGrid1DblClick() {
  main_.LocateKeyValue = Table2.FieldByName("编号").AsString();
  main_.LocateKeyValue2.clear();
  main_.LocateFaultField = Table2.FieldByName("字段名").AsString();
  main_.OpenedFromCheck = true;
  const LocateTarget* target = FindLocateTarget(main_.ReportKind);
  if (target == nullptr) return;
  main_.LocateKeyField = std::string(target->key_field);
  if (target->detail_key) main_.LocateKeyValue2 = Table2.FieldByName("code2").AsString();
  entry_windows_.ShowModal(target->window, std::string(target->caption) + main_.CaptionSuffix);
}

void CheckFrame::FormClose() {
  Table2.Close();
  Table3.Close();
}

void CheckFrame::SetProgress(int position, int maximum) {
  progress_ = {position, maximum};
  if (OnViewChanged) OnViewChanged();
}

}  // namespace veltra::validation
