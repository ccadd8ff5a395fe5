#include "platform/db/store_table_source.h"

#include "platform/db/field_value.h"

namespace veltra::db {

StoreTableSource::StoreTableSource(std::shared_ptr<RecordStore> store, std::function<void()> after_write)
    : store_(std::move(store)), after_write_(std::move(after_write)) {}

void StoreTableSource::Convert(sql::Row& row) const {
  const FieldDefs& defs = store_->fields();
  row.resize(defs.size());
  for (std::size_t i = 0; i < defs.size(); ++i) row[i] = ConvertToField(row[i], defs[i], store_->name());
}

void StoreTableSource::InsertRows(std::vector<sql::Row> rows) {
  for (sql::Row& row : rows) Convert(row);
  store_->InsertMany(std::move(rows));
  after_write_();
}

void StoreTableSource::UpdateRows(std::vector<std::pair<std::size_t, sql::Row>> changes) {
  for (auto& [position, row] : changes) Convert(row);
  store_->UpdateMany(std::move(changes));
  after_write_();
}

void StoreTableSource::DeleteRows(const std::vector<std::size_t>& positions) {
  store_->RemoveMany(positions);
  after_write_();
}

}  // namespace veltra::db
