#include "entry/entry_frame.h"

#include <algorithm>
#include <set>
#include <utility>

#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "mainunit/sql_text.h"
#include "entry/schema_tables.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "schema/schema.h"

namespace veltra::entry {

namespace {

constexpr const char* kErrorTitle = "错误窗口";
constexpr const char* kNoticeTitle = "提示窗口";
constexpr const char* kQuestionTitle = "提示";

bool Editing(db::DataSetState state) {
  return state == db::DataSetState::Edit || state == db::DataSetState::Insert;
}

// Only the engine's own duplicate-key errors are reworded: a locked file or
// a failed write that happens to name the table is shown as it is.
std::string Translate(const PostErrorWords& words, const db::PostError& error) {
  // Any engine message goes after the prefix in the user's words.
  std::string text = ui::UserText(EngineError(error.kind, error.message, error.subject));
  if (error.kind == EngineError::Kind::KeyViolation && !words.duplicate_key.empty()) {
    text = words.duplicate_key;
  } else if (error.kind == EngineError::Kind::IndexViolation) {
    for (const auto& [index, word] : words.index_words) {
      if (error.message.find(index) != std::string::npos) {
        text = word;
        break;
      }
    }
  }
  return words.prefix + text;
}

}  // namespace

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
  if (OnViewChanged) OnViewChanged();
}

void EntryFrame::ShowErrorAndAbort(const std::string& text) {
  prompts_.Notice(text, kErrorTitle);
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
  if (Editing(master_source_.State())) ForcePost(master_);
  for (int i = 0; i < DetailCount(); ++i) {
    if (Editing(DetailSource(i).State())) ForcePost(Detail(i));
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
  view_.page = page;
  SyncPageState();
}

void EntryFrame::SyncPageState() {
  const PageDescription& page = description_.pages[view_.page];
  const bool cover_only = description_.actions_on_cover_only;
  const auto editing_below = [this](int level) {
    for (int i : OwnedBy(level)) {
      if (Editing(DetailSource(i).State())) return true;
    }
    return false;
  };
  view_.key_editable = !editing_below(kMasterLevel);
  for (int i = 0; i < DetailCount(); ++i) view_.detail_key_editable[i] = !editing_below(i);
  if (page.detail >= 0) {
    const int i = page.detail;
    current_table_ = &Detail(i);
    current_source_ = &DetailSource(i);
    view_.scopes[i] = DetailScope::CurrentEnterprise;
    view_.insert_enabled = true;
    view_.append_enabled = !cover_only;
    // Setting the link again would move the rows to their first.
    if (Detail(i).MasterFields() != LinkFields(i)) Detail(i).SetMasterFields(LinkFields(i));
    PostEditedOwnerKeys(i);
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

void EntryFrame::PostEditedOwnerKeys(int detail) {
  std::vector<int> owners;
  for (int owner = description_.details[detail].owner; owner != kMasterLevel; owner = description_.details[owner].owner) {
    owners.insert(owners.begin(), owner);
  }
  owners.insert(owners.begin(), kMasterLevel);
  for (int level : owners) {
    db::Table& table = LevelTable(level);
    const std::string& saved = SavedKey(level);
    if (saved.empty() || table.FieldByName(LevelKeyField(level)).AsString() == saved) continue;
    // The key was edited and not posted yet: post it now (past the rules,
    // which the next save applies), so that the rows of this page follow it.
    if (validation_on_) table.DisableConstraints();
    mainunit::OnExit restore([this, &table] {
      if (validation_on_) table.EnableConstraints();
    });
    ForcePost(table);
  }
}

void EntryFrame::HideDetailPagesIfEmpty() {
  if (!description_.hide_pages_when_empty || current_table_ != &master_ || !master_.IsEmpty()) return;
  view_.master_pages_shown = false;
  ShowPage(0);
}

void EntryFrame::SetDetailScope(int detail, DetailScope scope) {
  db::Table& table = Detail(detail);
  if (scope == DetailScope::AllEnterprises) {
    if (Editing(DetailSource(detail).State())) ForcePost(table);
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
  if (!current_table_->Active()) return;
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
                 (Editing(current_source_->State()) ? "  已修改" : "  未修改") + StatusSuffix();
  Changed();
}

// --- tool bar ---------------------------------------------------------------

void EntryFrame::Prior() { current_table_->Prior(); }
void EntryFrame::Next() { current_table_->Next(); }
void EntryFrame::First() { current_table_->First(); }
void EntryFrame::Last() { current_table_->Last(); }

void EntryFrame::InsertRecord() {
  if (view_.insert_enabled) current_table_->Append();
}

void EntryFrame::DeleteRecord() {
  db::Table& table = *current_table_;
  if (!table.IsEmpty()) {
    if (!prompts_.Confirm(DeleteQuestion(), kQuestionTitle)) return;
    if (table.State() == db::DataSetState::Insert) {
      // The record being added is dropped; the one shown before it stays.
      table.Cancel();
    } else {
      DeleteCurrentRecord();
    }
    HideDetailPagesIfEmpty();
  }
  table.FlushBuffers();
}

void EntryFrame::DeleteCurrentRecord() {
  db::Table& table = *current_table_;
  if (description_.pack_after_delete) main_.RecordsDeleted = true;
  table.Cancel();
  if (DetailCount() > 0) DeleteRowsOwnedBy(&table == &master_ ? kMasterLevel : KindOf(table) - 1);
  table.Delete();
}

void EntryFrame::DeleteRowsOwnedBy(int level) {
  const std::string key = LevelTable(level).FieldByName(LevelKeyField(level)).AsString();
  const std::vector<int> owned = OwnedBy(level);
  if (key.empty() || owned.empty()) return;
  const KeyMatch match = RowsOwnedBy(level, key);
  // The lowest level first, so that no row is ever left without its owner.
  for (auto i = owned.rbegin(); i != owned.rend(); ++i) {
    ForEachRowMatching(*i, match, [](db::Table& rows) { rows.Delete(); });
  }
}

void EntryFrame::SaveRecord() {
  db::Table& table = *current_table_;
  // The all-enterprises scope is a view: nothing there is edited or saved.
  const bool view_only = IsDetailOf(table) && table.MasterFields().empty();
  if (!view_only) ForcePost(table);
  UpdateStatusBar();
}

void EntryFrame::CancelChanges() {
  if (!prompts_.Confirm("是否放弃当前记录的修改", kQuestionTitle)) return;
  current_table_->Cancel();
  UpdateStatusBar();
  HideDetailPagesIfEmpty();
}

void EntryFrame::ForcePost(db::Table& table) {
  table.Edit();
  table.Post();
  table.FlushBuffers();
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

// --- posting ----------------------------------------------------------------

void EntryFrame::ClearSendMarks() {
  if (main_.SendMarksCleared) return;
  main_.Query1.Close();
  main_.Query1.SQL.Clear();
  main_.Query1.SQL.Add(description_.send_mark_statement);
  main_.Query1.ExecSQL();
  main_.SendMarksCleared = true;
}

void EntryFrame::MasterBeforePost() {
  const MasterDescription& m = description_.master;
  const std::string key = MasterKey();
  if (detail_post_on_ && !saved_report_no_.empty() && key != saved_report_no_) CheckCascadeTarget(kMasterLevel, key);
  ClearSendMarks();
  mainunit::SetNullNumericFieldsToZero(master_);
  if (!m.counter_field.empty()) master_.FieldByName(m.counter_field).SetAsInteger(1);
  if (!m.id_field.empty()) master_.FieldByName(m.id_field).SetAsString(main_.IdPrefix + key);
  OwnBeforePost();
}

void EntryFrame::DetailBeforePost(int detail) {
  if (!detail_post_on_) return;
  const DetailDescription& d = description_.details[detail];
  db::Table& table = Detail(detail);
  ClearSendMarks();
  mainunit::SetNullNumericFieldsToZero(table);
  table.FieldByName(d.counter_field).SetAsInteger(1);
  if (table.FieldByName(d.sequence_field).AsString().empty()) ShowErrorAndAbort(d.missing_sequence);
  // In the all-records scope the row keeps its own owner.
  if (!table.MasterFields().empty()) {
    db::Table& owner = LevelTable(d.owner);
    const std::vector<std::string> keys = OwnerKeyFields(detail);
    for (const std::string& key : keys) {
      if (owner.FieldByName(key).AsString().empty()) {
        ShowErrorAndAbort(d.missing_owner_key.empty() ? description_.missing_master_key : d.missing_owner_key);
      }
    }
    for (const std::string& key : keys) table.FieldByName(key).SetAsString(owner.FieldByName(key).AsString());
  }
  table.FieldByName(d.id_field).SetAsString(RowId(detail, table));
  const std::string& saved = saved_detail_keys_[detail];
  const std::string key = table.FieldByName(d.sequence_field).AsString();
  if (!saved.empty() && key != saved && !OwnedBy(detail).empty()) CheckCascadeTarget(detail, key);
}

std::string EntryFrame::RowId(int detail, const std::function<std::string(const std::string&)>& value_of) const {
  const DetailDescription& d = description_.details[detail];
  std::string id = main_.IdPrefix;
  for (const std::string& key : OwnerKeyFields(detail)) id += value_of(key);
  return id + d.id_separator + value_of(d.sequence_field);
}

std::string EntryFrame::RowId(int detail, db::Table& row) const {
  return RowId(detail, [&row](const std::string& field) { return row.FieldByName(field).AsString(); });
}

void EntryFrame::MasterAfterPost() {
  if (!detail_post_on_) return;
  const std::string key = MasterKey();
  if (key != saved_report_no_ && !saved_report_no_.empty()) KeyCascade(kMasterLevel);
  // A new record's number is now stored: a later change must cascade too.
  saved_report_no_ = key;
  master_.FlushBuffers();
}

void EntryFrame::DetailAfterPost(int detail) {
  if (!detail_post_on_ || OwnedBy(detail).empty()) return;
  std::string& saved = saved_detail_keys_[detail];
  const std::string key = Detail(detail).FieldByName(description_.details[detail].sequence_field).AsString();
  if (key != saved && !saved.empty()) KeyCascade(detail);
  saved = key;
}

void EntryFrame::MasterAfterScroll() {
  const db::DataSetState state = master_source_.State();
  const std::string key = MasterKey();
  if (key != saved_report_no_ && (state == db::DataSetState::Browse || state == db::DataSetState::Insert)) {
    saved_report_no_ = key;
  }
  UpdateStatusBar();
}

void EntryFrame::DetailAfterScroll(int detail) {
  const db::DataSetState state = DetailSource(detail).State();
  if (!OwnedBy(detail).empty() && (state == db::DataSetState::Browse || state == db::DataSetState::Insert)) {
    saved_detail_keys_[detail] = Detail(detail).FieldByName(description_.details[detail].sequence_field).AsString();
  }
  UpdateStatusBar();
}

void EntryFrame::MasterPostError(db::PostError& error) {
  error.message = Translate(description_.master.words, error);
  if (!detail_post_on_ && !description_.import_error_suffix.empty()) {
    master_.Cancel();
    error.message += description_.import_error_suffix;
  }
}

void EntryFrame::DetailPostError(int detail, db::PostError& error) {
  error.message = Translate(description_.details[detail].words, error);
}

void EntryFrame::MasterStateChange() {
  if (!view_.master_pages_shown) view_.master_pages_shown = true;
  if (Editing(master_source_.State())) view_.key_editable = true;
  if (master_.Active()) UpdateStatusBar();
  Changed();
}

void EntryFrame::DetailStateChange(int detail) {
  db::Table& table = Detail(detail);
  if (Editing(DetailSource(detail).State()) && detail_post_on_ && !table.MasterFields().empty()) {
    const DetailDescription& d = description_.details[detail];
    bool owner_has_key = true;
    for (int level = d.owner;; level = description_.details[level].owner) {
      owner_has_key = owner_has_key && !LevelTable(level).FieldByName(LevelKeyField(level)).AsString().empty();
      if (level == kMasterLevel) break;
    }
    if (!owner_has_key) {
      table.Cancel();
      prompts_.Notice(d.owner_key_first.empty() ? description_.master_key_first : d.owner_key_first, kNoticeTitle);
      ShowPage(0);
      throw SilentAbort();
    }
  }
  if (table.Active()) UpdateStatusBar();
}

// --- levels and the key cascade -------------------------------------------

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

EntryFrame::KeyMatch EntryFrame::RowsOwnedBy(int level, const std::string& key) {
  KeyMatch match;
  if (level != kMasterLevel) {
    for (const std::string& field : OwnerKeyFields(level)) match.emplace_back(field, Detail(level).FieldByName(field).AsString());
  }
  match.emplace_back(LevelKeyField(level), key);
  return match;
}

void EntryFrame::ForEachRowMatching(int detail, const KeyMatch& match, const std::function<void(db::Table&)>& step) {
  db::Table& table = Detail(detail);
  std::string filter;
  for (const auto& [field, value] : match) filter += (filter.empty() ? "" : " and ") + field + "=" + mainunit::SqlString(value);
  const std::string link = table.MasterFields();
  table.SetMasterFields("");
  table.SetFilter(filter);
  table.SetFiltered(true);
  mainunit::OnExit restore([&table, &link] {
    if (table.State() != db::DataSetState::Browse && table.Active()) table.Cancel();
    table.SetFiltered(false);
    table.SetFilter("");
    table.SetMasterFields(link);
  });
  // Each step takes its row out of the filtered set; the count bounds the
  // loop should a row stay in.
  for (int left = table.RecordCount(); left > 0 && !table.IsEmpty(); --left) {
    table.First();
    step(table);
  }
  table.FlushBuffers();
}

void EntryFrame::CheckCascadeTarget(int level, const std::string& new_key) {
  const std::string& key_field = LevelKeyField(level);
  const KeyMatch moving = RowsOwnedBy(level, SavedKey(level));
  const KeyMatch joining = RowsOwnedBy(level, new_key);
  for (int i : OwnedBy(level)) {
    db::Table probe(main_.Database1);
    probe.SetTableName(Detail(i).TableName());
    probe.Open();
    mainunit::OnExit close([&probe] { probe.Close(); });
    const auto matches = [&probe](const KeyMatch& match) {
      for (const auto& [field, value] : match) {
        if (probe.FieldByName(field).AsString() != value) return false;
      }
      return true;
    };
    std::set<std::string> ids;
    std::vector<std::string> moved_ids;  // what the cascade will build
    std::string clash;  // the Id of the first row in the way
    for (probe.First(); !probe.Eof(); probe.Next()) {
      const std::string id = probe.FieldByName(description_.details[i].id_field).AsString();
      ids.insert(id);
      if (clash.empty() && matches(joining)) clash = id;  // it would join this record unasked
      if (matches(moving)) {
        moved_ids.push_back(RowId(i, [&](const std::string& field) {
          return text::EqualsIgnoreAsciiCase(field, key_field) ? new_key : probe.FieldByName(field).AsString();
        }));
      }
    }
    for (const std::string& id : moved_ids) {
      if (clash.empty() && ids.count(id) > 0) clash = id;
    }
    if (!clash.empty()) {
      ShowErrorAndAbort("报表编号" + new_key + "在" + Detail(i).TableName() + "中已有记录" + clash + ",不能改用此编号");
    }
  }
}

void EntryFrame::KeyCascade(int level) {
  const std::string& key_field = LevelKeyField(level);
  const std::string new_key = LevelTable(level).FieldByName(key_field).AsString();
  const KeyMatch old_rows = RowsOwnedBy(level, SavedKey(level));
  detail_post_on_ = false;
  mainunit::OnExit post_on([this] { detail_post_on_ = true; });
  for (int i : OwnedBy(level)) {
    db::Table& table = Detail(i);
    if (validation_on_) table.DisableConstraints();
    mainunit::OnExit restore([this, &table] {
      if (validation_on_) table.EnableConstraints();
    });
    const std::string& id_field = description_.details[i].id_field;
    ForEachRowMatching(i, old_rows, [&](db::Table& rows) {
      rows.Edit();
      rows.FieldByName(key_field).SetAsString(new_key);
      rows.FieldByName(id_field).SetAsString(RowId(i, rows));
      rows.Post();
    });
  }
  SavedKey(level) = new_key;
}

// --- import by key and append from files ------------------------------------

bool EntryFrame::IsDetailOf(const db::Table& table) const { return KindOf(table) > 0; }

int EntryFrame::KindOf(const db::Table& table) const {
  for (int i = 0; i < DetailCount(); ++i) {
    if (details_[i]->table.get() == &table) return i + 1;
  }
  return 0;
}

void EntryFrame::ImportRecords(int kind, const std::string& only_rows_with) {
  db::Table& source = main_.Table1;
  db::Table& target = *current_table_;
  const MasterDescription& m = description_.master;
  const DetailDescription* d = kind > 0 ? &description_.details[kind - 1] : nullptr;

  source.Close();
  source.GetIndexDefs().clear();
  source.Open();
  const std::string link = target.MasterFields();
  if (d) target.SetMasterFields("");
  target.DisableConstraints();
  detail_post_on_ = false;
  importing_ = true;
  view_.progress = {true, 0, source.RecordCount()};
  Changed();
  if (!d) {
    target.SetIndexFieldNames("");
    target.SetIndexName(m.key_index);
  }
  mainunit::OnExit restore([&, this] {
    if (Editing(target.State())) target.Cancel();
    if (!d) {
      target.SetIndexName("");
      target.SetIndexFieldNames(RestingOrderAfterKeySearch());
    }
    source.Close();
    target.First();
    target.EnableConstraints();
    if (d) target.SetMasterFields(link);
    detail_post_on_ = true;
    importing_ = false;
    view_.progress.visible = false;
    view_.busy = false;
    Changed();
  });

  const std::vector<std::string> keys = ImportKeyFields(kind);
  const db::Field* only_with = only_rows_with.empty() ? nullptr : &source.FieldByName(only_rows_with);
  for (source.First(); !source.Eof(); source.Next()) {
    if (only_with != nullptr && only_with->IsNull()) continue;
    target.SetKey();
    for (const std::string& key : keys) target.FieldByName(key).SetValue(source.FieldByName(key).Value());
    if (target.GotoKey()) {
      target.Edit();
    } else {
      target.Append();
    }
    mainunit::CopyFieldsByName(source, target);
    if (description_.import_sets_pxh) target.FieldByName("PXH").SetAsString(main_.IdPrefix);
    if (d) {
      target.FieldByName(d->counter_field).SetAsInteger(1);
      target.FieldByName(d->id_field).SetAsString(RowId(kind - 1, target));
    } else {
      target.FieldByName(m.counter_field).SetAsInteger(1);
      target.FieldByName(m.id_field).SetAsString(main_.IdPrefix + target.FieldByName(m.key_field).AsString());
    }
    target.Post();
    view_.progress.position = source.RecNo();
    Changed();
  }
}

std::vector<std::string> EntryFrame::ImportKeyFields(int kind) const {
  if (kind == 0) return {description_.master.key_field};
  std::vector<std::string> keys = OwnerKeyFields(kind - 1);
  keys.push_back(description_.details[kind - 1].sequence_field);
  return keys;
}

void EntryFrame::CheckImportSource(int kind) {
  db::Table& source = main_.Table1;
  source.Close();
  source.GetIndexDefs().clear();
  source.Open();
  mainunit::OnExit close([&source] { source.Close(); });
  std::vector<std::string> keys = ImportKeyFields(kind);
  if (kind == 0 && !description_.master.append.only_rows_with.empty()) {
    keys.push_back(description_.master.append.only_rows_with);
  }
  for (const std::string& key : keys) {
    if (source.FindField(key) == nullptr) {
      throw EngineError(EngineError::Kind::NoSuchField,
                        EngineError::Words{source.TableName() + "中没有字段" + key + "，未追加任何记录"});
    }
  }
}

void EntryFrame::AppendFromFiles() {
  mainunit::OnExit back_to_cover([this] {
    view_.busy = false;
    SetCurrentTable(0);
    ShowPage(0);
  });
  for (int kind = 0; kind <= DetailCount(); ++kind) {
    const AppendTexts& texts = kind == 0 ? description_.master.append : description_.details[kind - 1].append;
    SetCurrentTable(kind);
    ui::OpenDialog& dialog = main_.OpenDialog1;
    dialog.title = texts.dialog_title;
    // The name the title asks for, never one left from an earlier use.
    dialog.file_name = kind == 0 ? description_.master.file : description_.details[kind - 1].file;
    if (!prompts_.Execute(dialog)) continue;
    view_.busy = true;
    Changed();
    main_.Table1.Close();
    main_.Table1.SetTableName(dialog.file_name);
    if (prompts_.Confirm(texts.empty_question, "")) {
      // The table is emptied only once the file is known to be importable.
      CheckImportSource(kind);
      db::Table& table = *current_table_;
      table.Close();
      table.EmptyTable();
      table.Open();
      HideDetailPagesIfEmpty();
    }
    ImportRecords(kind, texts.only_rows_with);
  }
}

}  // namespace veltra::entry
