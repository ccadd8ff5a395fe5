#include "query/query_dictionary.h"

#include <algorithm>

#include "mainunit/sql_text.h"
#include "platform/db/table.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"

namespace veltra::query {
namespace {

bool HasAlias(std::string_view db_name) { return db_name.size() >= 2 && db_name[db_name.size() - 2] == ' '; }

// Opens `name` for reading, turning the engine's refusal into a message
// that says which table the window wanted.
void OpenForReading(db::Table& table, const std::string& name, std::string_view purpose) {
  table.SetTableName(name);
  try {
    table.Open();
  } catch (const EngineError& error) {
    throw DictionaryError("不能打开" + std::string(purpose) + "：" + ui::UserText(error));
  }
}

std::string FindDictionaryName(db::Database& database, int kind, std::string& caption) {
  db::Table index(database);
  OpenForReading(index, std::string(kDictionaryIndex), "查询字典目录");
  for (index.First(); !index.Eof(); index.Next()) {
    if (index.FieldByName("id").AsInteger() != kind) continue;
    caption = index.FieldByName("text").AsString();
    return index.FieldByName("db_name").AsString();
  }
  throw DictionaryError(std::string(kDictionaryIndex) + " 中没有报表类型 " + std::to_string(kind) + " 的查询字典");
}

void AddRow(QueryDictionary& dictionary, DictionaryField field) {
  if (std::find(dictionary.tables.begin(), dictionary.tables.end(), field.table) == dictionary.tables.end()) {
    dictionary.tables.push_back(field.table);
  }
  if (field.type != kTotalsOnlyType) dictionary.query_fields.push_back(field);
  if (field.type == kTotalsOnlyType || field.type == kNumericType) {
    dictionary.sum_fields.push_back(std::move(field));
  } else {
    dictionary.group_fields.push_back(std::move(field));
  }
}

// The field's name without the alias and point a joined table puts before it.
std::string BareFieldName(std::string_view field_name) {
  if (field_name.size() > 2 && field_name[1] == '.') field_name.remove_prefix(2);
  return std::string(field_name);
}

}  // namespace

std::string TableReference(std::string_view db_name, std::string_view data_dir_prefix) {
  if (HasAlias(db_name)) {
    return "\"" + std::string(data_dir_prefix) + std::string(db_name.substr(0, db_name.size() - 2)) + "\" " +
           db_name.back();
  }
  return "\"" + std::string(data_dir_prefix) + std::string(db_name) + "\"";
}

std::string TableFileOf(std::string_view reference) {
  if (reference.starts_with('"')) reference.remove_prefix(1);
  return std::string(reference.substr(0, reference.find('"')));
}

std::string AliasOf(std::string_view reference) {
  const std::size_t closing = reference.rfind('"');
  if (closing == std::string_view::npos || closing + 2 != reference.size() - 1 || reference[closing + 1] != ' ') {
    return "";
  }
  return std::string(reference.substr(closing + 2));
}

QueryDictionary LoadQueryDictionary(db::Database& database, int kind, std::string_view data_dir_prefix,
                                    std::string_view caption_suffix) {
  QueryDictionary dictionary;
  const std::string name = FindDictionaryName(database, kind, dictionary.caption);
  dictionary.caption += caption_suffix;
  db::Table rows(database);
  OpenForReading(rows, name, "查询字典");
  for (rows.First(); !rows.Eof(); rows.Next()) {
    AddRow(dictionary, {rows.FieldByName("field_text").AsString(), rows.FieldByName("field_name").AsString(),
                        rows.FieldByName("field_type").AsString(),
                        TableReference(rows.FieldByName("db_name").AsString(), data_dir_prefix)});
  }
  return dictionary;
}

std::vector<std::string> ReadFieldValues(db::Database& database, const DictionaryField& field) {
  db::Table table(database);
  OpenForReading(table, TableFileOf(field.table), "数据库");
  db::Field* values = table.FindField(BareFieldName(field.field_name));
  if (!values) throw DictionaryError("数据库 " + table.TableName() + " 中没有字段 " + field.field_name);
  const bool numeric = field.type == kNumericType;
  std::vector<std::string> listed;
  for (table.First(); !table.Eof(); table.Next()) {
    const std::string text = values->AsString();
    listed.push_back(numeric ? text : mainunit::SqlString(text, '"'));
  }
  return listed;
}

}  // namespace veltra::query
