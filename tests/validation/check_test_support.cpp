#include "check_test_support.h"

#include <cstdio>
#include <cstdlib>

#include "platform/formats/table_file.h"
#include "schema/schema.h"

namespace veltra::validation::testing {

CheckTest::CheckTest() {
  char pattern[] = "/tmp/veltra_check_XXXXXX";
  folder_ = mkdtemp(pattern);
  main_ = std::make_unique<mainunit::MainUnit>(folder_);
}

CheckTest::~CheckTest() {
  main_.reset();
  std::filesystem::remove_all(folder_);
}

void CheckTest::CreateFromSchema(const std::string& name) {
  const schema::TableDef* def = schema::FindTable(name);
  ASSERT_NE(def, nullptr) << "the schema does not know " << name;
  db().CreateTable(name, db::TableType::Default, def->fields);
}

void CheckTest::CreateResultTable(const std::string& name, const FieldDefs& extra) {
  FieldDefs fields = {{"编号", FieldType::String, 10}, {"字段值", FieldType::String, 10}};
  fields.insert(fields.end(), extra.begin(), extra.end());
  fields.insert(fields.end(), {{"字段名", FieldType::String, 10},
                               {"错误信息", FieldType::String, 80},
                               {"状态", FieldType::String, 4},
                               {"序号", FieldType::String, 10}});
  db().CreateTable(name, db::TableType::Default, fields);
}

void CheckTest::CreateSystemTables(const FieldDefs& scratch_extra) {
  CreateFromSchema("check_db.DB");
  CreateFromSchema("sendname.db");
  FieldDefs scratch = {{"编号", FieldType::String, 10}, {"字段值", FieldType::String, 10}};
  scratch.insert(scratch.end(), scratch_extra.begin(), scratch_extra.end());
  db().CreateTable("tmp_r.DB", db::TableType::Default, scratch);
}

void CheckTest::AddRow(const std::string& table_name, const FieldValues& values) {
  db::Table table(db());
  table.SetTableName(table_name);
  table.Open();
  table.Append();
  for (const auto& [field, value] : values) table.FieldByName(field).SetAsString(value);
  table.Post();
  table.Close();
}

void CheckTest::AddCatalogueRow(const CatalogueRow& row) {
  AddRow("check_db.DB", {{"id", std::to_string(row.kind)},
                         {"check_name", row.check_name},
                         {"field_name", row.field_name},
                         {"field_name2", row.field_name2},
                         {"db_name", row.db_name},
                         {"check_result", row.check_result},
                         {"text1", row.text1},
                         {"Text2", row.text2},
                         {"text3", row.text3}});
}

void CheckTest::AddRules(const std::string& rule_table, const std::vector<Rule>& rules) {
  if (!std::filesystem::exists(db().ResolveTableName(rule_table))) CreateFromSchema(rule_table);
  for (const Rule& rule : rules) {
    AddRow(rule_table, {{"field_name", rule.field_name},
                        {"field_value", rule.field_value},
                        {"field_text", rule.field_text},
                        {"status", rule.status},
                        {"disp_field", rule.disp_field},
                        {"group", rule.group},
                        {"link", rule.link}});
  }
}

void CheckTest::AddCodes(const std::string& code_table, const std::vector<std::string>& codes) {
  if (!std::filesystem::exists(db().ResolveTableName(code_table))) CreateFromSchema(code_table);
  db::Table table(db());
  table.SetTableName(code_table);
  table.Open();
  for (const std::string& code : codes) {
    table.Append();
    table.FieldByName("code").SetAsString(code);
    table.Post();
  }
}

TextRows CheckTest::Rows(const std::string& name) {
  auto file = formats::OpenTableFile(db().ResolveTableName(name));
  TextRows rows;
  for (const auto& record : file->ReadAll()) {
    std::vector<std::string> row;
    for (const Value& value : record) row.push_back(value.ToDisplayText());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<std::string> CheckTest::Column(const std::string& name, const std::string& field) {
  db::Table table(db());
  table.SetTableName(name);
  table.Open();
  std::vector<std::string> values;
  for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName(field).AsString());
  return values;
}

std::vector<std::string> NumberedCodes(int count) {
  std::vector<std::string> codes;
  char code[16];
  for (int i = 1; i <= count; ++i) {
    std::snprintf(code, sizeof code, "C%04d", i);
    codes.push_back(code);
  }
  return codes;
}

}  // namespace veltra::validation::testing
