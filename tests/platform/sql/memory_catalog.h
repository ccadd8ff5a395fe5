#pragma once
// Tables in memory behind the SQL engine's catalog interface, for tests
// and benchmarks. Names resolve as the table engine resolves files:
// ASCII case-insensitive, ".db" when no extension is written.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/sql/catalog.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"

namespace veltra::sql::testing {

class MemoryTable : public TableSource {
 public:
  MemoryTable(FieldDefs fields, std::vector<Row> rows) : fields_(std::move(fields)), rows_(std::move(rows)) {}

  const FieldDefs& fields() const override { return fields_; }
  std::size_t row_count() const override { return rows_.size(); }
  void ReadRow(std::size_t position, const std::vector<std::size_t>* /*columns*/, Row& into) const override {
    into = rows_.at(position);
  }
  const std::vector<Row>& rows() const { return rows_; }

  void InsertRows(std::vector<Row> rows) override { rows_.insert(rows_.end(), rows.begin(), rows.end()); }
  void UpdateRows(std::vector<std::pair<std::size_t, Row>> changes) override {
    for (const auto& [position, row] : changes) rows_.at(position) = row;
  }
  void DeleteRows(const std::vector<std::size_t>& positions) override {
    std::vector<std::size_t> sorted = positions;
    std::sort(sorted.rbegin(), sorted.rend());
    for (std::size_t position : sorted) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position));
  }

 private:
  FieldDefs fields_;
  std::vector<Row> rows_;
};

class MemoryCatalog : public Catalog {
 public:
  MemoryTable& Add(const std::string& name, FieldDefs fields, std::vector<Row> rows = {}) {
    auto table = std::make_shared<MemoryTable>(std::move(fields), std::move(rows));
    tables_[Key(name)] = table;
    return *table;
  }
  MemoryTable& Get(const std::string& name) { return *tables_.at(Key(name)); }

  std::shared_ptr<TableSource> OpenTable(std::string_view name) override {
    const auto found = tables_.find(Key(name));
    if (found == tables_.end()) {
      throw EngineError(EngineError::Kind::NoSuchTable, "table " + std::string(name) + " does not exist");
    }
    return found->second;
  }

 private:
  static std::string Key(std::string_view name) {
    std::string key = text::ToAsciiLower(name);
    const std::size_t slash = key.find_last_of('\\');
    if (key.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) key += ".db";
    return key;
  }
  std::map<std::string, std::shared_ptr<MemoryTable>> tables_;
};

inline FieldDef Text(std::string name, int size) { return {std::move(name), FieldType::String, size}; }
inline FieldDef Number(std::string name) { return {std::move(name), FieldType::Float, 0}; }
inline Value T(std::string text) { return Value::Text(std::move(text)); }
inline Value F(double number) { return Value::Float(number); }
inline Value I(std::int64_t number) { return Value::Integer(number); }
inline const Value N{};

}  // namespace veltra::sql::testing
