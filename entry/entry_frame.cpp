#include "entry/entry_frame.h"

#include <algorithm>
#include <utility>

#include "entry/frame_parts.h"
#include "entry/schema_tables.h"
#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "schema/schema.h"

namespace veltra::entry {

struct EntryFrame::DetailTable {
  explicit DetailTable(db::Database& database) : table(std::make_unique<db::Table>(database)) {}
  std::unique_ptr<db::Table> table;
  db::DataSource source{table.get()};
};

EntryFrame::EntryFrame(mainunit::MainUnit& main, mainunit::Prompts& prompts, EntryDescription description)
    : main_(main), prompts_(prompts), description_(std::move(description)), master_(main.Database1) {
  master_.BeforePost = [this](db::DataSet&) { MasterBeforePost(); };
  master_.AfterPost = [this](db::DataSet&) { MasterAfterPost(); };
  master_.AfterScroll = [this](db::DataSet&) { MasterAfterScroll(); };
  master_.OnPostError = [this](db::DataSet&, db::PostError& error, db::PostErrorAction& action) {
    MasterPostError(error);
    action = db::PostErrorAction::Fail;
  };
  master_source_.OnStateChange = [this](db::DataSource&) { MasterStateChange(); };

  for (int i = 0; i < static_cast<int>(description_.details.size()); ++i) {
    auto detail = std::make_unique<DetailTable>(main.Database1);
    db::Table& table = *detail->table;
    table.BeforePost = [this, i](db::DataSet&) { DetailBeforePost(i); };
    // Detail posts reach the file at once; nothing more to flush.
    table.AfterPost = [this, i](db::DataSet&) { DetailAfterPost(i); };
    table.AfterScroll = [this, i](db::DataSet&) { DetailAfterScroll(i); };
    table.OnPostError = [this, i](db::DataSet&, db::PostError& error, db::PostErrorAction& action) {
      DetailPostError(i, error);
      action = db::PostErrorAction::Fail;
    };
    detail->source.OnStateChange = [this, i](db::DataSource&) { DetailStateChange(i); };
    details_.push_back(std::move(detail));
    view_.scopes.push_back(DetailScope::CurrentEnterprise);
    view_.detail_key_editable.push_back(true);
    saved_detail_keys_.emplace_back();
  }
  // Errors name the fields as the entry windows caption them.
  ui::SetFieldCaptionLookup([](const std::string& table, const std::string& field) {
    const schema::TableDef* def = schema::FindTable(table);
    const schema::Placement* place = def != nullptr ? def->PlacementOf(field) : nullptr;
    return place != nullptr ? place->caption : std::string();
  });
}

EntryFrame::~EntryFrame() = default;

db::Table& EntryFrame::Detail(int i) { return *details_[i]->table; }
db::DataSource& EntryFrame::DetailSource(int i) { return details_[i]->source; }

void EntryFrame::Changed() {
  if (OnViewChanged && !importing_) OnViewChanged();
}

void EntryFrame::ShowErrorAndAbort(const std::string& text) {
  prompts_.Error(text, frame::kErrorTitle);
  throw SilentAbort();
}

// --- activation and closing -------------------------------------------------

bool EntryFrame::Activate() {
  if (master_.Active()) {
    UpdateStatusBar();
    return false;
  }
  try {
    SetUp();
  } catch (...) {
    // A half set-up window must not look ready: the next opening starts over.
    CloseTables();
    throw;
  }
  return true;
}

void EntryFrame::CloseTables() {
  for (int i = DetailCount() - 1; i >= 0; --i) Detail(i).Close();
  master_.Close();
}

void EntryFrame::SetUp() {
  const std::string& prefix = main_.DataDirPrefix;
  DefineTable(master_, prefix + description_.master.file);
  master_.SetIndexFieldNames(description_.master.id_field);
  for (int i = 0; i < DetailCount(); ++i) {
    db::Table& detail = Detail(i);
    DefineTable(detail, prefix + description_.details[i].file);
    detail.SetIndexName(description_.details[i].index);
    const int owner = description_.details[i].owner;
    detail.SetMasterSource(owner == kMasterLevel ? &master_source_ : &DetailSource(owner));
    detail.SetMasterFields(LinkFields(i));
    view_.scopes[i] = DetailScope::CurrentEnterprise;
  }
  main_.RecordsDeleted = false;
  main_.SendMarksCleared = false;

  LoadRules(master_, description_.master.rule_table);
  for (int i = 0; i < DetailCount(); ++i) LoadRules(Detail(i), description_.details[i].rule_table);

  current_table_ = &master_;
  current_source_ = &master_source_;
  AfterTablesOpened();
  LocateOnOpen();
  saved_report_no_ = MasterKey();

  view_.page = 0;
  SetValidation(true);
  SyncPageState();
  LocateDetailOnOpen();
  HideDetailPagesIfEmpty();
}

void EntryFrame::LoadRules(db::Table& table, const std::string& rule_table) {
  db::Table& rules = main_.Table1;
  rules.Close();
  rules.SetTableName(rule_table);
  rules.GetIndexDefs().clear();
  rules.Open();
  mainunit::OnExit close_rules([&rules] { rules.Close(); });

  db::ConstraintList& constraints = table.Constraints();
  constraints.BeginUpdate();
  constraints.Clear();
  for (rules.First(); !rules.Eof(); rules.Next()) {
    if (rules.FieldByName("status").AsString() == "错误") {
      constraints.Add(rules.FieldByName("field_value").AsString(), rules.FieldByName("field_text").AsString());
    }
  }
  constraints.EndUpdate();
  table.Open();
  for (rules.First(); !rules.Eof(); rules.Next()) {
    const std::string mask = rules.FieldByName("field_mask").AsString();
    if (!mask.empty()) table.FieldByName(rules.FieldByName("field_name").AsString()).SetEditMask(mask);
  }
}

std::string EntryFrame::MasterKey() {
  const std::string& key_field = description_.master.key_field;
  return key_field.empty() ? std::string() : master_.FieldByName(key_field).AsString();
}

std::string EntryFrame::RestingOrderAfterKeySearch() const {
  const MasterDescription& m = description_.master;
  return m.order_after_key_search.empty() ? m.id_field : m.order_after_key_search;
}

void EntryFrame::LocateOnOpen() {
  if (!main_.OpenedFromCheck || description_.master.key_index.empty()) return;
  master_.SetIndexFieldNames("");
  master_.SetIndexName(description_.master.key_index);
  mainunit::OnExit resting_order([this] {
    master_.SetIndexName("");
    master_.SetIndexFieldNames(RestingOrderAfterKeySearch());
  });
  master_.SetKey();
  master_.FieldByName(main_.LocateKeyField).SetAsString(main_.LocateKeyValue);
  master_.GotoKey();
}

void EntryFrame::LocateDetailOnOpen() {
  if (!main_.OpenedFromCheck || main_.LocateKeyValue2.empty()) return;
  // The fault's row is in a detail of the master: the one that has the
  // faulty field, else the first that has the row.
  std::vector<int> candidates = OwnedBy(kMasterLevel);
  std::erase_if(candidates, [this](int i) { return description_.details[i].owner != kMasterLevel; });
  std::stable_partition(candidates.begin(), candidates.end(), [this](int i) {
    return !main_.LocateFaultField.empty() && Detail(i).FindField(main_.LocateFaultField) != nullptr;
  });
  const std::string row_key = std::exchange(main_.LocateKeyValue2, std::string());
  if (candidates.empty()) return;
  int located = candidates.front();
  for (int i : candidates) {
    db::Table& detail = Detail(i);
    detail.SetKey();
    detail.FieldByName(description_.master.key_field).SetAsString(main_.LocateKeyValue);
    detail.FieldByName(description_.details[i].sequence_field).SetAsString(row_key);
    if (detail.GotoKey()) {
      located = i;
      break;
    }
  }
  for (int page = 0; page < static_cast<int>(description_.pages.size()); ++page) {
    if (description_.pages[page].detail == located) {
      ShowPage(page);
      return;
    }
  }
}

void EntryFrame::Close() {
  if (frame::Editing(master_source_.State())) ForcePost(master_);
  for (int i = 0; i < DetailCount(); ++i) {
    if (frame::Editing(DetailSource(i).State())) ForcePost(Detail(i));
  }
  CloseTables();
  if (description_.pack_after_delete && main_.RecordsDeleted) {
    mainunit::PackTable(main_.Database1, master_.TableName());
    for (int i = 0; i < DetailCount(); ++i) mainunit::PackTable(main_.Database1, Detail(i).TableName());
  }
}

// --- switches, pages and scope ---------------------------------------------

void EntryFrame::SetValidation(bool on) {
  if (on == validation_on_) return;
  validation_on_ = on;
  auto apply = [on](db::Table& table) { on ? table.EnableConstraints() : table.DisableConstraints(); };
  apply(master_);
  for (int i = 0; i < DetailCount(); ++i) apply(Detail(i));
}

void EntryFrame::ShowPage(int page) {
  // A detail page needs its owners stored; one that is refused keeps the
  // user on the page where it can be put right.
  const int detail = description_.pages[page].detail;
  if (detail >= 0) PostEditedOwnerKeys(detail);
  view_.page = page;
  SyncPageState();
}

bool EntryFrame::RowsBeingEdited(int level) {
  for (int i : OwnedBy(level)) {
    if (frame::Editing(DetailSource(i).State())) return true;
  }
  return false;
}

void EntryFrame::UnlockKeysNoLongerEdited() {
  if (!RowsBeingEdited(kMasterLevel)) view_.key_editable = true;
  for (int i = 0; i < DetailCount(); ++i) {
    if (!RowsBeingEdited(i)) view_.detail_key_editable[i] = true;
  }
}

void EntryFrame::SyncPageState() {
  const PageDescription& page = description_.pages[view_.page];
  const bool cover_only = description_.actions_on_cover_only;
  view_.key_editable = !RowsBeingEdited(kMasterLevel);
  for (int i = 0; i < DetailCount(); ++i) view_.detail_key_editable[i] = !RowsBeingEdited(i);
  if (page.detail >= 0) {
    const int i = page.detail;
    current_table_ = &Detail(i);
    current_source_ = &DetailSource(i);
    view_.scopes[i] = DetailScope::CurrentEnterprise;
    view_.insert_enabled = true;
    view_.append_enabled = !cover_only;
    // Setting the link again would move the rows to their first.
    if (Detail(i).MasterFields() != LinkFields(i)) Detail(i).SetMasterFields(LinkFields(i));
  } else {
    current_table_ = &master_;
    current_source_ = &master_source_;
    const bool cover = view_.page == 0;
    view_.insert_enabled = cover || !cover_only;
    view_.append_enabled = cover || !cover_only;
    if (cover) {
      for (int i = 0; i < DetailCount(); ++i) {
        if (Detail(i).MasterFields() != LinkFields(i)) Detail(i).SetMasterFields(LinkFields(i));
      }
    }
  }
  UpdateStatusBar();
}

void EntryFrame::HideDetailPagesIfEmpty() {
  if (!description_.hide_pages_when_empty || current_table_ != &master_ || !master_.IsEmpty()) return;
  view_.master_pages_shown = false;
  ShowPage(0);
}

void EntryFrame::SetDetailScope(int detail, DetailScope scope) {
  db::Table& table = Detail(detail);
  if (scope == DetailScope::AllEnterprises) {
    if (frame::Editing(DetailSource(detail).State())) ForcePost(table);
    table.SetMasterFields("");
    view_.insert_enabled = false;
    table.First();
  } else {
    table.SetMasterFields(LinkFields(detail));
    view_.insert_enabled = true;
  }
  view_.scopes[detail] = scope;
  UpdateStatusBar();
}

void EntryFrame::SetCurrentTable(int kind) {
  current_table_ = kind == 0 ? &master_ : &Detail(kind - 1);
  current_source_ = kind == 0 ? &master_source_ : &DetailSource(kind - 1);
}

void EntryFrame::UpdateStatusBar() {
  if (!current_table_->Active() || importing_) return;
  db::Table& table = *current_table_;
  const StatusLineForm& form = description_.status_line;
  const std::string colon = form.blank_after_colon ? ": " : ":";
  std::string status;
  if (!form.key_label.empty()) {
    const db::Field* key = table.FindField(description_.master.key_field);
    status = form.key_label + colon + (key ? key->AsString() : std::string()) + "  ";
  }
  view_.status = status + "当前记录" + colon + std::to_string(table.RecNo()) +
                 "  总记录" + colon + std::to_string(table.RecordCount()) +
                 (frame::Editing(current_source_->State()) ? "  已修改" : "  未修改") + StatusSuffix();
  Changed();
}

void EntryFrame::LocateDialog(const std::function<void()>& dialog) {
  db::Table& table = description_.locate_on_master_always ? master_ : *current_table_;
  // A table without a key has nothing to locate by.
  if (!table.MasterFields().empty() || description_.master.key_index.empty()) return;
  main_.LocateTable = &table;
  main_.LocateKeyField = text::ToAsciiLower(description_.master.key_field);
  main_.LocateKeyValue.clear();
  main_.LocateIndexName = description_.master.key_index;
  dialog();
  saved_report_no_ = MasterKey();
  UpdateStatusBar();
}

// --- levels: which detail owns which, and the keys a row takes ------------

db::Table& EntryFrame::LevelTable(int level) { return level == kMasterLevel ? master_ : Detail(level); }

const std::string& EntryFrame::LevelKeyField(int level) const {
  return level == kMasterLevel ? description_.master.key_field : description_.details[level].sequence_field;
}

std::string& EntryFrame::SavedKey(int level) {
  return level == kMasterLevel ? saved_report_no_ : saved_detail_keys_[level];
}

std::vector<int> EntryFrame::OwnedBy(int level) const {
  std::vector<int> owned;
  for (int i = 0; i < DetailCount(); ++i) {
    int owner = description_.details[i].owner;
    while (owner != level && owner != kMasterLevel) owner = description_.details[owner].owner;
    if (owner == level) owned.push_back(i);
  }
  return owned;
}

std::vector<int> EntryFrame::OwnerChain(int detail) const {
  std::vector<int> owners;
  for (int owner = description_.details[detail].owner; owner != kMasterLevel; owner = description_.details[owner].owner) {
    owners.insert(owners.begin(), owner);
  }
  owners.insert(owners.begin(), kMasterLevel);
  return owners;
}

std::vector<std::string> EntryFrame::OwnerKeyFields(int detail) const {
  const int owner = description_.details[detail].owner;
  if (owner == kMasterLevel) return {description_.master.key_field};
  std::vector<std::string> fields = OwnerKeyFields(owner);
  fields.push_back(description_.details[owner].sequence_field);
  return fields;
}

std::string EntryFrame::LinkFields(int detail) const {
  std::string link;
  for (const std::string& field : OwnerKeyFields(detail)) link += (link.empty() ? "" : ";") + field;
  return link;
}

bool EntryFrame::IsDetailOf(const db::Table& table) const { return KindOf(table) > 0; }

int EntryFrame::KindOf(const db::Table& table) const {
  for (int i = 0; i < DetailCount(); ++i) {
    if (details_[i]->table.get() == &table) return i + 1;
  }
  return 0;
}

}  // namespace veltra::entry
