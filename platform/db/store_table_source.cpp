#include "platform/db/store_table_source.h"

#include "platform/db/field_value.h"

namespace veltra::db {

StoreTableSource::StoreTableSource(std::shared_ptr<RecordStore> store, std::function<void()> after_write)
    : store_(std::move(store)), after_write_(std::move(after_write)) {}

Row StoreTableSource::Converted(const sql::Row& row) const {
  const FieldDefs& defs = store_->fields();
  Row converted(defs.size());
  for (std::size_t i = 0; i < defs.size() && i < row.size(); ++i) {
    converted[i] = ConvertToField(row[i], defs[i], store_->name());
  }
  return converted;
}

void StoreTableSource::InsertRows(const std::vector<sql::Row>& rows) {
  std::vector<Row> converted;
  converted.reserve(rows.size());
  for (const sql::Row& row : rows) converted.push_back(Converted(row));
  store_->InsertMany(std::move(converted));
  after_write_();
}

void StoreTableSource::UpdateRows(const std::vector<std::pair<std::size_t, sql::Row>>& changes) {
  std::vector<std::pair<std::size_t, Row>> converted;
  converted.reserve(changes.size());
  for (const auto& [position, row] : changes) converted.emplace_back(position, Converted(row));
  store_->UpdateMany(std::move(converted));
  after_write_();
}

void StoreTableSource::DeleteRows(const std::vector<std::size_t>& positions) {
  store_->RemoveMany(positions);
  after_write_();
}

}  // namespace veltra::db
