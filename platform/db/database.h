#pragma once
// The working folder and the tables in it. Names are resolved
// case-insensitively, `\` separates folders and a name without extension
// is a Paradox ".db" table. The database keeps one in-memory copy of each
// table it has read, shared by every cursor and statement, and checks the
// file has not been replaced behind its back before reusing an idle one.
// It is also the catalog through which SQL statements reach the tables.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/index_def.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"
#include "platform/sql/catalog.h"

namespace veltra::db {

class RecordStore;

class Database : public sql::Catalog {
 public:
  explicit Database(std::filesystem::path folder = std::filesystem::current_path());
  ~Database() override;

  const std::filesystem::path& Folder() const { return folder_; }

  // The file a name means, in the working folder unless it names another,
  // each folder and the file matched ignoring ASCII case.
  std::filesystem::path ResolveFileName(std::string_view name) const;
  // The file a table name means; `type` supplies the missing extension.
  std::filesystem::path ResolveTableName(std::string_view name,
                                         TableType type = TableType::Default) const;

  // Rewrites a closed table without its deleted records and free space.
  // Fails with TableBusy while any cursor holds it open.
  void PackTable(std::string_view name, TableType type = TableType::Default);
  // Removes every record of a closed table, keeping its fields.
  void EmptyTable(std::string_view name, TableType type = TableType::Default);
  // Writes a new table holding `records` (none by default), replacing any
  // closed table of that name as a whole: a failure leaves the old one.
  void CreateTable(std::string_view name, TableType type, const FieldDefs& fields,
                   const std::vector<Row>& records = {});

  // A table rebuilt as a whole (a validation result). HoldAside empties
  // it in memory only: cursors and statements see and change the copy
  // while the file keeps the old records, until PutInPlace writes the new
  // ones as the file's one replacement, synced. DropAside forgets the copy
  // (close its cursors first), leaving the file as it was.
  void HoldAside(std::string_view name);
  void PutInPlace(std::string_view name);
  void DropAside(std::string_view name);
  // The held records sorted and numbered in place; see RecordStore::SortAndNumber.
  void SortAside(std::string_view name, const std::vector<std::pair<std::string, bool>>& order,
                 std::string_view number_field);

  std::shared_ptr<sql::TableSource> OpenTable(std::string_view name) override;

  // For cursors: the shared records of a file, with these indexes built.
  std::shared_ptr<RecordStore> AcquireStore(const std::filesystem::path& path,
                                            const IndexDefs& indexes);
  // A cursor let go of the file; its current state becomes the known one.
  void TableReleased(const std::filesystem::path& path);

 private:
  struct Entry;
  using Stores = std::map<std::string, std::unique_ptr<Entry>>;
  // Throws NoSuchTable naming the file when there is none.
  static std::unique_ptr<formats::TableFile> OpenExistingFile(const std::filesystem::path& path);
  std::shared_ptr<RecordStore> LoadStore(const std::filesystem::path& path);
  // The copy kept of a file, unless there is none or it is idle and the
  // file was replaced since (then it is forgotten).
  Stores::iterator FindCurrentStore(const std::filesystem::path& path);
  // Forgets an idle copy before its file is rewritten; TableBusy when a
  // cursor holds it.
  void ReleaseForRewrite(const std::filesystem::path& path, std::string_view operation);
  // Writes the table again with the same fields, and its live records or none.
  void RewriteTable(std::string_view name, TableType type, std::string_view operation, bool keep_records);
  // The copy held aside of a table; State error naming it when there is none.
  Entry& HeldAside(std::string_view name);

  std::filesystem::path folder_;
  Stores stores_;  // by absolute path
};

}  // namespace veltra::db
