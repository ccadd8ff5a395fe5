#pragma once
// The SQL engine's view of a table: the shared records of its file, with
// a statement's changes converted to the field types and written through.
// Internal to the table engine.
#include <functional>
#include <memory>

#include "platform/db/record_store.h"
#include "platform/sql/catalog.h"

namespace veltra::db {

class StoreTableSource : public sql::TableSource {
 public:
  StoreTableSource(std::shared_ptr<RecordStore> store, std::function<void()> after_write);

  const FieldDefs& fields() const override { return store_->fields(); }
  std::size_t row_count() const override { return store_->size(); }
  void ReadRow(std::size_t position, const std::vector<std::size_t>* columns, sql::Row& into) const override {
    store_->LoadAll();
    store_->at(position)->values.UnpackInto(into, columns);
  }
  std::size_t FilledPrefix(std::size_t column) const override { return store_->FilledPrefix(column); }

  void InsertRows(std::vector<sql::Row> rows) override;
  void UpdateRows(std::vector<std::pair<std::size_t, sql::Row>> changes) override;
  void DeleteRows(const std::vector<std::size_t>& positions) override;

 private:
  // Makes `row` what the fields store, in place.
  void Convert(sql::Row& row) const;
  std::shared_ptr<RecordStore> store_;
  std::function<void()> after_write_;
};

}  // namespace veltra::db
