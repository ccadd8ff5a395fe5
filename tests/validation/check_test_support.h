#pragma once
// A scratch working folder for validation tests, with the main unit on it:
// tables made from the schema's definitions, catalogue and rule rows written by the test, and
// readers of what a run left on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mainunit/main_unit.h"
#include "platform/db/database.h"
#include "platform/db/table.h"

namespace veltra::validation::testing {

using FieldValues = std::vector<std::pair<std::string, std::string>>;
using TextRows = std::vector<std::vector<std::string>>;

struct CatalogueRow {
  int kind = 1;
  std::string check_name;
  std::string field_name;
  std::string field_name2;
  std::string db_name;
  std::string check_result;
  std::string text1;
  std::string text2;
  std::string text3;
};

struct Rule {
  std::string field_name;
  std::string field_value;
  std::string field_text;
  std::string status = "错误";
  std::string disp_field;
  std::string group;
  std::string link;
};

class CheckTest : public ::testing::Test {
 protected:
  CheckTest();
  ~CheckTest() override;

  mainunit::MainUnit& main() { return *main_; }
  db::Database& db() { return main_->Database1; }
  const std::filesystem::path& folder() const { return folder_; }

  // A table with the fields the schema gives `name` (or the layout it belongs to).
  void CreateFromSchema(const std::string& name);
  // A result table: 编号, 字段值, `extra` columns, 字段名, 错误信息, 状态, 序号.
  void CreateResultTable(const std::string& name, const FieldDefs& extra = {});
  // The system tables of a run: check_db.DB, tmp_r.DB (with `scratch_extra`
  // after 字段值), sendname.db.
  void CreateSystemTables(const FieldDefs& scratch_extra = {{"is_chge", FieldType::String, 1}});

  void AddRow(const std::string& table, const FieldValues& values);
  void AddCatalogueRow(const CatalogueRow& row);
  void AddRules(const std::string& rule_table, const std::vector<Rule>& rules);
  void AddCodes(const std::string& code_table, const std::vector<std::string>& codes);

  // Every record of `name` as display text, in file order.
  TextRows Rows(const std::string& name);
  // Column `field` of every record of `name`.
  std::vector<std::string> Column(const std::string& name, const std::string& field);

 private:
  std::filesystem::path folder_;
  std::unique_ptr<mainunit::MainUnit> main_;
};

// Codes "C0001" ... of the given count.
std::vector<std::string> NumberedCodes(int count);

}  // namespace veltra::validation::testing
