#include "platform/db/table.h"

#include <utility>

#include "platform/db/cursor_view.h"
#include "platform/db/database.h"
#include "platform/db/record_store.h"
#include "platform/text/ascii.h"

namespace veltra::db {

// Follows the master's data source: a move, a post or a change of a
// linked field re-ranges the detail; before the master leaves its record
// the detail's pending edit is posted, so it keeps the master it was made under.
class Table::MasterLink : public DataSourceObserver {
 public:
  explicit MasterLink(Table& detail) : detail_(detail) {}
  void ActiveChanged(DataSource&) override { detail_.MasterChanged(); }
  void DataSetChanged(DataSource&) override { detail_.MasterChanged(); }
  void RecordChanged(DataSource&, const Field*) override { detail_.MasterChanged(); }
  void LeavingRecord(DataSource&) override { detail_.MasterLeaving(); }
  void SourceDestroyed(DataSource&) override { detail_.master_source_ = nullptr; }

 private:
  Table& detail_;
};

Table::Table(Database& database) : database_(database), master_link_(std::make_unique<MasterLink>(*this)) {
  constraints_.on_change_ = [this] {
    if (Active()) CompileConstraints();
  };
}

Table::~Table() {
  if (master_source_) master_source_->RemoveObserver(master_link_.get());
  DetachSources();
  Close();
}

std::string Table::DisplayName() const { return table_name_.empty() ? "table" : table_name_; }

void Table::SetTableName(std::string name) {
  CheckInactive("change the table name");
  table_name_ = std::move(name);
}

void Table::SetTableType(TableType type) {
  CheckInactive("change the table type");
  table_type_ = type;
}

bool Table::Exists() const {
  std::error_code error;
  return !table_name_.empty() &&
         std::filesystem::is_regular_file(database_.ResolveTableName(table_name_, table_type_), error);
}

void Table::CreateTable() {
  CheckInactive("create the table");
  database_.CreateTable(table_name_, table_type_, field_defs_);
}

void Table::EmptyTable() {
  CheckInactive("empty the table");
  database_.EmptyTable(table_name_, table_type_);
}

void Table::PostAllOrNothing(const std::function<void()>& edits) {
  CheckActive();
  try {
    store().UpdateAllOrNothing([&] {
      edits();
      CheckBrowseMode();
    });
  } catch (...) {
    if (State() == DataSetState::Edit) Cancel();
    throw;
  }
}

// ---- opening

std::shared_ptr<RecordStore> Table::OpenStore() {
  if (table_name_.empty()) throw EngineError(EngineError::Kind::NoSuchTable, "no table name is set");
  auto store = database_.AcquireStore(database_.ResolveTableName(table_name_, table_type_), index_defs_);
  ++store->cursors;
  try {
    field_defs_ = store->fields();
    compiled_constraints_.clear();
    compiled_filter_.reset();
    // Compiled against the store directly: the data set is not open yet.
    for (const RecordConstraint& constraint : constraints_.items()) {
      compiled_constraints_.push_back(sql::CompileCondition(constraint.condition, store->fields()));
    }
    if (filtered_ && !filter_.empty()) compiled_filter_ = sql::CompileCondition(filter_, store->fields());
  } catch (...) {
    --store->cursors;
    throw;
  }
  return store;
}

void Table::ReleaseStore() {
  --store().cursors;
  database_.TableReleased(database_.ResolveTableName(table_name_, table_type_));
}

void Table::CompileConstraints() {
  std::vector<std::unique_ptr<sql::CompiledCondition>> compiled;
  for (const RecordConstraint& constraint : constraints_.items()) {
    compiled.push_back(sql::CompileCondition(constraint.condition, FieldLayout()));
  }
  compiled_constraints_ = std::move(compiled);
}

void Table::CompileFilter() {
  compiled_filter_ = filtered_ && !filter_.empty() ? sql::CompileCondition(filter_, FieldLayout()) : nullptr;
}

// ---- constraints

void Table::DisableConstraints() { ++constraints_disabled_; }

void Table::EnableConstraints() {
  if (constraints_disabled_ > 0) --constraints_disabled_;
}

void Table::CheckRecord(const Row& record) {
  if (constraints_disabled_ > 0) return;
  for (std::size_t i = 0; i < compiled_constraints_.size(); ++i) {
    if (compiled_constraints_[i]->Evaluate(record) == sql::Truth::False) {
      throw EngineError(EngineError::Kind::ConstraintFailed, constraints_.items()[i].message);
    }
  }
}

// ---- order

namespace {

bool LeadingFieldsAre(const RecordIndex& index, const FieldDefs& fields, const std::vector<std::string>& names) {
  if (names.empty() || index.key_fields().size() < names.size()) return false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!text::EqualsIgnoreAsciiCase(fields[index.key_fields()[i]].name, names[i])) return false;
  }
  return true;
}

const RecordIndex* IndexLeadingWith(const RecordStore& store, const std::vector<std::string>& names) {
  for (const auto& index : store.indexes()) {
    if (LeadingFieldsAre(*index, store.fields(), names)) return index.get();
  }
  return nullptr;
}

}  // namespace

void Table::SetIndexName(std::string name) { SwitchIndex(std::move(name), std::string()); }

void Table::SetIndexFieldNames(std::string fields) { SwitchIndex(std::string(), std::move(fields)); }

void Table::SwitchIndex(std::string name, std::string fields) {
  std::string old_name = std::exchange(index_name_, std::move(name));
  std::string old_fields = std::exchange(index_field_names_, std::move(fields));
  try {
    InvalidateView(false);
  } catch (...) {
    index_name_ = std::move(old_name);
    index_field_names_ = std::move(old_fields);
    throw;
  }
}

// ---- view

CursorSpec Table::ViewSpec() {
  const RecordStore& records = store();
  CursorSpec spec;
  if (!index_name_.empty()) {
    spec.order = records.FindIndex(index_name_);
    if (!spec.order) {
      throw EngineError(EngineError::Kind::NoSuchIndex, DisplayName() + ": there is no index named " + index_name_,
                        {DisplayName(), index_name_});
    }
  } else if (!index_field_names_.empty()) {
    spec.order = IndexLeadingWith(records, SplitFieldList(index_field_names_));
    if (!spec.order) {
      throw EngineError(EngineError::Kind::NoSuchIndex,
                        DisplayName() + ": there is no index on the fields " + index_field_names_);
    }
  } else {
    spec.order = records.Primary();
  }

  applied_master_key_.clear();
  DataSet* master = master_source_ ? master_source_->GetDataSet() : nullptr;
  const std::vector<std::string> names = SplitFieldList(master_fields_);
  if (master && master->Active() && !names.empty()) {
    spec.range_on_order = spec.order && LeadingFieldsAre(*spec.order, records.fields(), names);
    spec.range_key.assign(records.fields().size(), Value());
    for (std::size_t i = 0; i < names.size(); ++i) {
      int field = 0;
      if (spec.range_on_order) {
        field = spec.order->key_fields()[i];
      } else {
        field = veltra::FindField(records.fields(), names[i]);
        if (field < 0) {
          throw EngineError(EngineError::Kind::NoSuchField,
                            DisplayName() + ": master field " + names[i] + " is not a field of the table");
        }
      }
      spec.range_fields.push_back(field);
      const Value& key = master->FieldByName(names[i]).Value();
      spec.range_key[field] = key;
      applied_master_key_.push_back(key);
    }
  }
  spec.filter = compiled_filter_.get();
  return spec;
}

// ---- key search

void Table::SetKey() { BeginSetKey(); }

bool Table::GotoKey() {
  CheckActive();
  if (State() != DataSetState::SetKey) {
    throw EngineError(EngineError::Kind::State, DisplayName() + ": GotoKey needs SetKey first");
  }
  const Row& key = key_buffer();
  const std::vector<bool>& assigned = key_assigned();
  EndSetKey();  // the buffer stays until the next SetKey
  const RecordIndex* order = ViewSpec().order;
  if (!order) {
    throw EngineError(EngineError::Kind::NoSuchIndex, DisplayName() + ": a key search needs an index");
  }
  std::size_t count = 0;
  while (count < order->key_fields().size() && assigned[order->key_fields()[count]]) ++count;
  if (count == 0) return false;
  CursorView& records = view();
  std::size_t low = 0;
  std::size_t high = records.size();
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (order->CompareKeys(records.at(middle)->values, key, count) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == records.size() || order->CompareKeys(records.at(low)->values, key, count) != 0) return false;
  MoveToViewIndex(low);
  return true;
}

// ---- master/detail

void Table::SetMasterSource(DataSource* source) {
  if (source == master_source_) return;
  if (master_source_) master_source_->RemoveObserver(master_link_.get());
  master_source_ = source;
  if (master_source_) master_source_->AddObserver(master_link_.get());
  InvalidateView(true);
}

void Table::SetMasterFields(std::string fields) {
  master_fields_ = std::move(fields);
  InvalidateView(true);
}

void Table::MasterLeaving() {
  if (!Active() || master_fields_.empty()) return;
  // Rows below this one's pending edit go first, under this one's record.
  NotifyLeavingRecord();
  CheckBrowseMode();
}

void Table::MasterChanged() {
  if (!Active()) return;
  DataSet* master = master_source_ ? master_source_->GetDataSet() : nullptr;
  const std::vector<std::string> names = SplitFieldList(master_fields_);
  Row key;
  if (master && master->Active()) {
    for (const std::string& name : names) key.push_back(master->FieldByName(name).Value());
  }
  if (key == applied_master_key_) return;
  InvalidateView(true);
}

// ---- filter

void Table::SetFilter(std::string condition) {
  filter_ = std::move(condition);
  if (!Active() || !filtered_) return;
  CheckBrowseMode();
  CompileFilter();
  InvalidateView(true);
}

void Table::SetFiltered(bool on) {
  if (on == filtered_) return;
  if (Active()) CheckBrowseMode();
  filtered_ = on;
  if (!Active()) return;
  try {
    CompileFilter();
  } catch (...) {
    filtered_ = !on;
    throw;
  }
  InvalidateView(true);
}

}  // namespace veltra::db
