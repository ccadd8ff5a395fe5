#include "platform/db/file_table_source.h"

namespace veltra::db {

FileTableSource::FileTableSource(std::unique_ptr<formats::TableFile> file, Loader load)
    : file_(std::move(file)), load_(std::move(load)) {}

void FileTableSource::ScanRows(const sql::RowScan& scan) const {
  if (loaded_) {
    loaded_->ScanRows(scan);
  } else {
    file_->ScanRecords({scan.tested, scan.test, scan.used, scan.visit});
  }
}

sql::TableSource& FileTableSource::Loaded() const {
  if (!loaded_) loaded_ = load_();
  return *loaded_;
}

}  // namespace veltra::db
