#pragma once
// The SQL engine's view of a table that is not in memory: its fields come
// from the file's header, a statement that reads its rows once streams
// them from the file, and anything else loads the table as the database
// keeps it. Internal to the table engine.
#include <functional>
#include <memory>

#include "platform/formats/table_file.h"
#include "platform/sql/catalog.h"

namespace veltra::db {

class FileTableSource : public sql::TableSource {
 public:
  using Loader = std::function<std::shared_ptr<sql::TableSource>()>;
  FileTableSource(std::unique_ptr<formats::TableFile> file, Loader load);

  const FieldDefs& fields() const override { return file_->fields(); }
  std::size_t row_count() const override { return Loaded().row_count(); }
  void ReadRow(std::size_t position, const std::vector<std::size_t>* columns, sql::Row& into) const override {
    Loaded().ReadRow(position, columns, into);
  }
  void ScanRows(const sql::RowScan& scan) const override;

  void InsertRows(std::vector<sql::Row> rows) override { Loaded().InsertRows(std::move(rows)); }
  void UpdateRows(std::vector<std::pair<std::size_t, sql::Row>> changes) override {
    Loaded().UpdateRows(std::move(changes));
  }
  void DeleteRows(const std::vector<std::size_t>& positions) override { Loaded().DeleteRows(positions); }

 private:
  sql::TableSource& Loaded() const;

  std::unique_ptr<formats::TableFile> file_;
  Loader load_;
  mutable std::shared_ptr<sql::TableSource> loaded_;
};

}  // namespace veltra::db
