#include "platform/db/database.h"

#include <sys/stat.h>

#include <cstdint>

#include "platform/db/record_store.h"
#include "platform/db/file_table_source.h"
#include "platform/db/store_table_source.h"
#include "platform/text/ascii.h"

namespace veltra::db {
namespace fs = std::filesystem;

namespace {

// What a file looked like when we last read or wrote it. The inode tells
// a file renamed over it (every whole-file rewrite) even within one tick
// of the file clock.
struct FileStamp {
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified_ns = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampOf(const fs::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return {};
  return {status.st_ino, status.st_size,
          static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

std::string_view TrimName(std::string_view name) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '"')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '"')) name.remove_suffix(1);
  return name;
}

// The entry of `folder` whose name equals `name` ignoring ASCII case, or
// folder/name when there is none.
fs::path FindEntry(const fs::path& folder, const std::string& name) {
  fs::path exact = folder / name;
  std::error_code error;
  if (fs::exists(exact, error)) return exact;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (text::EqualsIgnoreAsciiCase(it->path().filename().string(), name)) return it->path();
  }
  return exact;
}

formats::TableKind KindOf(TableType type, const fs::path& path) {
  switch (type) {
    case TableType::Paradox: return formats::TableKind::Paradox;
    case TableType::DBase: return formats::TableKind::DBase;
    case TableType::Text: return formats::TableKind::Text;
    case TableType::Default: break;
  }
  return formats::KindForPath(path);
}

}  // namespace

struct Database::Entry {
  std::shared_ptr<RecordStore> store;
  FileStamp stamp;
};

Database::Database(fs::path folder) : folder_(fs::absolute(std::move(folder))) {}

Database::~Database() = default;

fs::path Database::ResolveFileName(std::string_view name) const {
  std::string written(TrimName(name));
  for (char& c : written) {
    if (c == '\\') c = '/';
  }
  fs::path relative(written);
  fs::path resolved = relative.is_absolute() ? relative.root_path() : folder_;
  for (const fs::path& part : relative.relative_path()) {
    const std::string component = part.string();
    if (component.empty() || component == ".") continue;
    resolved = component == ".." ? resolved.parent_path() : FindEntry(resolved, component);
  }
  return resolved;
}

fs::path Database::ResolveTableName(std::string_view name, TableType type) const {
  fs::path resolved = ResolveFileName(name);
  if (!resolved.has_extension()) {
    const char* extension = type == TableType::DBase ? ".dbf" : type == TableType::Text ? ".txt" : ".db";
    resolved = FindEntry(resolved.parent_path(), resolved.filename().string() + extension);
  }
  return resolved;
}

std::unique_ptr<formats::TableFile> Database::OpenExistingFile(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    throw EngineError(EngineError::Kind::NoSuchTable, "table " + path.string() + " does not exist",
                      {path.filename().string()});
  }
  return formats::OpenTableFile(path);
}

std::shared_ptr<RecordStore> Database::LoadStore(const fs::path& path) {
  return std::make_shared<RecordStore>(OpenExistingFile(path), path.filename().string());
}

Database::Stores::iterator Database::FindCurrentStore(const fs::path& path) {
  auto it = stores_.find(path.lexically_normal().string());
  if (it != stores_.end() && it->second->store->cursors == 0 && !it->second->store->held_aside() &&
      it->second->stamp != StampOf(path)) {
    stores_.erase(it);  // replaced behind our back: read it again
    it = stores_.end();
  }
  return it;
}

std::shared_ptr<RecordStore> Database::AcquireStore(const fs::path& path, const IndexDefs& indexes) {
  const std::string key = path.lexically_normal().string();
  auto it = FindCurrentStore(path);
  if (it == stores_.end()) {
    auto entry = std::make_unique<Entry>();
    entry->store = LoadStore(path);
    entry->stamp = StampOf(path);
    it = stores_.emplace(key, std::move(entry)).first;
  }
  it->second->store->EnsureIndexes(indexes);
  return it->second->store;
}

void Database::TableReleased(const fs::path& path) {
  const auto it = stores_.find(path.lexically_normal().string());
  if (it != stores_.end()) it->second->stamp = StampOf(path);
}

void Database::ReleaseForRewrite(const fs::path& path, std::string_view operation) {
  const auto it = stores_.find(path.lexically_normal().string());
  if (it == stores_.end()) return;
  if (it->second->store->cursors > 0) {
    throw EngineError(EngineError::Kind::TableBusy, "cannot " + std::string(operation) + " " +
                                                        path.filename().string() + ": the table is open",
                      {path.filename().string()});
  }
  stores_.erase(it);
}

void Database::RewriteTable(std::string_view name, TableType type, std::string_view operation,
                            bool keep_records) {
  const fs::path path = ResolveTableName(name, type);
  ReleaseForRewrite(path, operation);
  auto file = formats::OpenTableFile(path);
  if (keep_records) file->CheckWritable();  // what ReadAll gives may not be all the file holds
  // Emptied, a table still keeps its last counter value: numbers that
  // other tables may hold are not handed out again.
  file->Rewrite(keep_records ? file->ReadAll() : std::vector<formats::Record>());
}

void Database::PackTable(std::string_view name, TableType type) { RewriteTable(name, type, "pack", true); }

void Database::EmptyTable(std::string_view name, TableType type) { RewriteTable(name, type, "empty", false); }

void Database::CreateTable(std::string_view name, TableType type, const FieldDefs& fields,
                           const std::vector<Row>& records) {
  const fs::path path = ResolveTableName(name, type);
  ReleaseForRewrite(path, "create");
  formats::CreateTableFile(path, KindOf(type, path), fields, records);
}

void Database::HoldAside(std::string_view name) { AcquireStore(ResolveTableName(name), {})->HoldAside(); }

Database::Entry& Database::HeldAside(std::string_view name) {
  const fs::path path = ResolveTableName(name);
  const auto it = stores_.find(path.lexically_normal().string());
  if (it == stores_.end() || !it->second->store->held_aside()) {
    throw EngineError(EngineError::Kind::State, path.filename().string() + " is not held aside",
                      {path.filename().string()});
  }
  return *it->second;
}

void Database::PutInPlace(std::string_view name) {
  Entry& entry = HeldAside(name);
  entry.store->PutInPlace();
  entry.stamp = StampOf(ResolveTableName(name));
}

void Database::DropAside(std::string_view name) {
  const auto it = stores_.find(ResolveTableName(name).lexically_normal().string());
  if (it != stores_.end() && it->second->store->held_aside()) stores_.erase(it);
}

void Database::SortAside(std::string_view name, const std::vector<std::pair<std::string, bool>>& order,
                         std::string_view number_field) {
  HeldAside(name).store->SortAndNumber(order, number_field);
}

std::shared_ptr<sql::TableSource> Database::OpenTable(std::string_view name) {
  const fs::path path = ResolveTableName(name);
  const auto from_store = [this, path]() -> std::shared_ptr<sql::TableSource> {
    return std::make_shared<StoreTableSource>(AcquireStore(path, {}), [this, path] { TableReleased(path); });
  };
  // A text table's widths are the store's own, not the file's.
  if (FindCurrentStore(path) != stores_.end() || formats::KindForPath(path) == formats::TableKind::Text) {
    return from_store();
  }
  return std::make_shared<FileTableSource>(OpenExistingFile(path), from_store);
}

}  // namespace veltra::db
