#include "entry/gjxm.h"

#include <filesystem>

#include "mainunit/on_exit.h"
#include "entry/schema_tables.h"

namespace veltra::entry {

namespace {

constexpr const char* kListState = "IS_CHGE";
constexpr const char* kEntered = "1";
constexpr const char* kAdded = "2";
constexpr const char* kIssuedList = "gjxm_s.dbf";
constexpr const char* kKeptFields[] = {"jb00", "jb01", "jb02"};

}  // namespace

EntryDescription GjxmDescription() {
  EntryDescription d;
  d.master = {"gjxm.db", "gjxm_chk.db", "gjxm", "JB00", "Id", "GJ_ONE",
              {"数据错误:", "统计编号重复", {{"gjxm2", "统计编号重复"}, {"gjxm", "统计编号重复"}}},
              {"请选择国家级项目数据库  文件名:gjxm.db", "是否清空国家级项目数据库", "is_chge"}};
  d.import_error_suffix.clear();
  d.pages = PagesOf("gjxm.db");
  d.send_mark_statement = "delete from sendname.db where name='gjxm.db' or name='gjxm_r.db'";
  d.status_line = {"项目编号", false};
  return d;
}

GjxmEntry::GjxmEntry(mainunit::MainUnit& main, mainunit::Prompts& prompts)
    : EntryFrame(main, prompts, GjxmDescription()) {}

std::string GjxmEntry::ListState() { return Master().FieldByName(kListState).AsString(); }

void GjxmEntry::AfterTablesOpened() {
  // First use: the table is filled from the issued list.
  if (!Master().IsEmpty() || !std::filesystem::exists(Main().Database1.ResolveTableName(kIssuedList))) return;
  db::Table& source = Main().Table1;
  source.Close();
  source.SetTableName(kIssuedList);
  ImportRecords(0);
}

void GjxmEntry::OwnBeforePost() {
  if (!Importing() && !clearing_ && ListState().empty()) Master().FieldByName(kListState).SetAsString(kEntered);
}

std::string GjxmEntry::StatusSuffix() {
  const std::string state = ListState();
  if (state == kEntered) return "  下发清单记录，已录入";
  if (state == kAdded) return "  新增加记录";
  return "  下发清单记录，未录入";
}

bool GjxmEntry::KeysEditable() {
  return Master().Active() && ListState() == kAdded;
}

void GjxmEntry::InsertRecord() {
  if (!View().insert_enabled) return;
  EntryFrame::InsertRecord();
  Master().FieldByName(kListState).SetAsString(kAdded);
}

std::string GjxmEntry::DeleteQuestion() {
  return ListState() == kAdded ? "是否删除当前记录" : "是否清空当前记录";
}

void GjxmEntry::DeleteCurrentRecord() {
  db::Table& table = Master();
  if (ListState() == kAdded) {
    EntryFrame::DeleteCurrentRecord();
    return;
  }
  // Every field but the project's number, name and code becomes empty; the
  // post makes the numbers 0 and leaves the list state null (issued, not entered).
  table.DisableConstraints();
  mainunit::OnExit restore([&table, this] {
    clearing_ = false;
    table.EnableConstraints();
  });
  table.Edit();
  std::vector<Value> kept;
  for (const char* field : kKeptFields) kept.push_back(table.FieldByName(field).Value());
  table.ClearFields();
  for (std::size_t i = 0; i < kept.size(); ++i) table.FieldByName(kKeptFields[i]).SetValue(kept[i]);
  clearing_ = true;
  table.Post();
}

}  // namespace veltra::entry
