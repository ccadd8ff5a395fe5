#include "platform/db/file_table_source.h"

namespace veltra::db {

FileTableSource::FileTableSource(std::unique_ptr<formats::TableFile> file, Loader load)
    : file_(std::move(file)), load_(std::move(load)) {}

void FileTableSource::ScanRows(const std::vector<bool>& used,
                               const std::function<void(const sql::Row&)>& visit) const {
  if (loaded_) {
    loaded_->ScanRows(used, visit);
  } else {
    file_->ScanRecords(used, visit);
  }
}

sql::TableSource& FileTableSource::Loaded() const {
  if (!loaded_) loaded_ = load_();
  return *loaded_;
}

}  // namespace veltra::db
