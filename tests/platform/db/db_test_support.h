#pragma once
// A scratch working folder with a Database on it, and helpers to make and
// read tables through the engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"

namespace veltra::db::testing {

class DbTest : public ::testing::Test {
 protected:
  DbTest() {
    char pattern[] = "/tmp/veltra_db_XXXXXX";
    folder_ = mkdtemp(pattern);
    database_ = std::make_unique<Database>(folder_);
  }
  ~DbTest() override {
    database_.reset();
    std::filesystem::remove_all(folder_);
  }

  Database& db() { return *database_; }
  const std::filesystem::path& folder() const { return folder_; }

  void Create(const std::string& name, const FieldDefs& fields) { db().CreateTable(name, TableType::Default, fields); }
  // The table `name`, opened on a data set of its own.
  std::unique_ptr<Table> Opened(const std::string& name) {
    auto table = std::make_unique<Table>(db());
    table->SetTableName(name);
    table->Open();
    return table;
  }

  // Rows of a table as display text, read from the file itself.
  std::vector<std::vector<std::string>> FileRows(const std::string& name) {
    auto file = formats::OpenTableFile(db().ResolveTableName(name));
    std::vector<std::vector<std::string>> rows;
    for (const auto& record : file->ReadAll()) {
      std::vector<std::string> row;
      for (const Value& value : record) row.push_back(value.ToDisplayText());
      rows.push_back(std::move(row));
    }
    return rows;
  }

  // Appends and posts one record given as display text, field by field.
  static void AddRecord(Table& table, const std::vector<std::string>& values) {
    table.Append();
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (!values[i].empty()) table.Fields(static_cast<int>(i)).SetAsString(values[i]);
    }
    table.Post();
  }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<Database> database_;
};

// The enterprise-shaped master and detail used by several tests.
inline FieldDefs MasterFields() {
  return {{"ID", FieldType::String, 20}, {"QA01", FieldType::String, 10}, {"QA02", FieldType::String, 20},
          {"QC05", FieldType::Float, 0}};
}
inline IndexDefs MasterIndexes() {
  return {{"", "ID", true}, {"kfq_1", "QA01"}, {"kfq_13", "QA02", false, true}};
}
inline FieldDefs DetailFields() {
  return {{"ID", FieldType::String, 30}, {"QA01", FieldType::String, 10}, {"QE01", FieldType::String, 4},
          {"QE02", FieldType::Float, 0}};
}
inline IndexDefs DetailIndexes() { return {{"", "ID", true}, {"kfq_2", "QA01;QE01"}}; }

// kfq_1.db made with the master's fields, `table` named on it with the
// master's indexes; opening is left to the test.
class MasterTableTest : public DbTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", MasterFields());
    table.SetTableName("kfq_1.db");
    table.GetIndexDefs() = MasterIndexes();
  }
  Table table{db()};
};

}  // namespace veltra::db::testing
