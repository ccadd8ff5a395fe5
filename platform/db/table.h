#pragma once
// A cursor on one table file of the database. Every Table on the same file
// shares one set of records in memory, so each sees what the others post.
// The view follows the current index (IndexName or IndexFieldNames), the
// master link (records whose index key equals the master's MasterFields)
// and the filter.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/constraints.h"
#include "platform/db/data_source.h"
#include "platform/db/dataset.h"
#include "platform/db/index_def.h"
#include "platform/sql/condition.h"

namespace veltra::db {

class Database;

enum class TableType { Default, Paradox, DBase, Text };

class Table : public DataSet {
 public:
  explicit Table(Database& database);
  ~Table() override;

  Database& GetDatabase() const { return database_; }

  // Set while closed; `\` separates folders, no extension means the
  // type's (".db" by default).
  const std::string& TableName() const { return table_name_; }
  void SetTableName(std::string name);
  TableType GetTableType() const { return table_type_; }
  void SetTableType(TableType type);
  bool Exists() const;

  // Definitions used by CreateTable; after Open, FieldDefs are the file's.
  FieldDefs& GetFieldDefs() { return field_defs_; }
  IndexDefs& GetIndexDefs() { return index_defs_; }

  // Writes a new empty file from the field definitions, replacing any file
  // of that name. The table must be closed.
  void CreateTable();
  // Removes every record; the table must be closed (as must every other
  // cursor on the file).
  void EmptyTable();
  // Runs `edits` (edits and posts of existing records, no inserts or
  // deletes) so that they reach the file all or none, in a few large
  // writes synced once: a failure undoes them, in memory too, and a kill
  // is undone when the table is next opened.
  void PostAllOrNothing(const std::function<void()>& edits);

  // Selecting one clears the other. A field list picks the index whose
  // leading fields are those fields; "" for both means the primary index
  // (or file order when there is none).
  const std::string& IndexName() const { return index_name_; }
  void SetIndexName(std::string name);
  const std::string& IndexFieldNames() const { return index_field_names_; }
  void SetIndexFieldNames(std::string fields);

  // Key search on the current index: SetKey, assign key fields, GotoKey.
  // Found: the cursor moves there and GotoKey returns true; not found: the
  // cursor stays and it returns false. Assigned leading fields form the key.
  void SetKey();
  bool GotoKey();

  // Master/detail; both may change while the table is open.
  DataSource* MasterSource() const { return master_source_; }
  void SetMasterSource(DataSource* source);
  const std::string& MasterFields() const { return master_fields_; }
  void SetMasterFields(std::string fields);

  // A record condition in the SQL expression syntax ("qa01='110001'").
  // Turning the filter on posts a pending edit.
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string condition);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool on);

  // Install before Open; checked on every post while enabled.
  ConstraintList& Constraints() { return constraints_; }
  // Counted: each DisableConstraints needs one EnableConstraints.
  void DisableConstraints();
  void EnableConstraints();
  bool ConstraintsDisabled() const { return constraints_disabled_ > 0; }

  std::string DisplayName() const override;

 protected:
  std::shared_ptr<RecordStore> OpenStore() override;
  void ReleaseStore() override;
  CursorSpec ViewSpec() override;
  void CheckRecord(const Row& record) override;

 private:
  friend class BatchMove;
  class MasterLink;
  // Selects an index by name or by fields; an unknown one changes nothing.
  void SwitchIndex(std::string name, std::string fields);
  void CompileConstraints();
  void CompileFilter();
  void MasterChanged();
  void MasterLeaving();

  Database& database_;
  std::string table_name_;
  TableType table_type_ = TableType::Default;
  FieldDefs field_defs_;
  IndexDefs index_defs_;
  std::string index_name_;
  std::string index_field_names_;
  DataSource* master_source_ = nullptr;
  std::string master_fields_;
  std::unique_ptr<MasterLink> master_link_;
  Row applied_master_key_;
  std::string filter_;
  bool filtered_ = false;
  std::unique_ptr<sql::CompiledCondition> compiled_filter_;
  ConstraintList constraints_;
  std::vector<std::unique_ptr<sql::CompiledCondition>> compiled_constraints_;
  int constraints_disabled_ = 0;
};

}  // namespace veltra::db
