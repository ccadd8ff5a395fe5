#include "install/working_folder.h"

#include <unistd.h>

#include <map>
#include <system_error>

#include "install/dictionary.h"
#include "install/result_tables.h"
#include "platform/formats/table_file.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/types/error.h"
#include "schema/embedded_file.h"
#include "schema/schema.h"

namespace veltra::install {

// Built from install/data by the build.
const std::vector<EmbeddedFile>& EmbeddedInstallFiles();

namespace {

namespace fs = std::filesystem;

constexpr const char* kFolders[] = {"bak", "tmp", "sendfile", "attach"};
constexpr std::string_view kDictionaries = "dictionaries.txt";
constexpr std::string_view kDemoFolder = "demo/";

struct TableContent {
  std::string file_name;
  FieldDefs fields;
  bool survey = false;
  std::vector<formats::Record> records;
};

Value ParseValue(const std::string& text, const FieldDef& field, const std::string& where) {
  if (text.empty()) return Value::Null();
  try {
    switch (field.type) {
      case FieldType::Float:
      case FieldType::Money: {
        std::size_t used = 0;
        const double number = std::stod(text, &used);
        if (used == text.size()) return Value::Float(number);
        break;
      }
      case FieldType::SmallInt:
      case FieldType::Integer: {
        std::size_t used = 0;
        const long long number = std::stoll(text, &used);
        if (used == text.size()) return Value::Integer(number);
        break;
      }
      case FieldType::Date:
        if (const auto date = ParseDate(text)) return Value::FromDate(*date);
        break;
      case FieldType::String:
        // The file would keep only what fits: an installed row is never cut.
        if (text::GbkLength(text) > static_cast<std::size_t>(field.size)) {
          throw InstallError(where + ": '" + text + "' is longer than the " + std::to_string(field.size) +
                             " bytes of " + field.name);
        }
        return Value::Text(text);
      default:
        return Value::Text(text);
    }
  } catch (const std::logic_error&) {
    // std::stod and std::stoll refuse the text; reported below.
  }
  throw InstallError(where + ": '" + text + "' is no value for " + field.name + " (" +
                     std::string(FieldTypeName(field.type)) + ")");
}

// Every post of an entry window stores null numbers as 0; installed records do as well.
void NullNumbersToZero(formats::Record& record, const FieldDefs& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldType type = fields[i].type;
    if (record[i].is_null() && (type == FieldType::Float || type == FieldType::SmallInt || type == FieldType::Integer)) {
      record[i] = type == FieldType::Float ? Value::Float(0) : Value::Integer(0);
    }
  }
}

class FolderBuilder {
 public:
  FolderBuilder() {
    for (const schema::TableDef& table : schema::AllTables()) {
      if (!table.is_layout()) Add(table.file_name, table.fields, table.survey);
    }
  }

  void AddRows(const TableRows& rows) {
    TableContent& table = Target(rows);
    std::vector<int> positions;
    for (const std::string& column : rows.columns) {
      const int position = FindField(table.fields, column);
      if (position < 0) throw InstallError(rows.source + ": " + table.file_name + " has no field " + column);
      positions.push_back(position);
    }
    for (std::size_t r = 0; r < rows.rows.size(); ++r) {
      const std::string where = rows.source + ":" + std::to_string(rows.lines[r]);
      formats::Record record(table.fields.size());
      for (std::size_t c = 0; c < positions.size(); ++c) {
        const auto position = static_cast<std::size_t>(positions[c]);
        record[position] = ParseValue(rows.rows[r][c], table.fields[position], where);
      }
      if (table.survey) NullNumbersToZero(record, table.fields);
      table.records.push_back(std::move(record));
    }
  }

  void AddResultTables() {
    for (const ResultTable& result : ResultTables(Rows("check_db.DB"))) Add(result.file_name, result.fields, false);
    const ResultTable scratch = CodeListScratch(Rows("check_db.DB"));
    Target(TableRows{.table = scratch.file_name}).fields = scratch.fields;
  }

  void WriteInto(const fs::path& folder) const {
    for (const TableContent& table : tables_) {
      const fs::path path = folder / table.file_name;
      formats::CreateTableFile(path, formats::KindForPath(path), table.fields, table.records);
    }
  }

  void Remember(const TableRows& rows) { parsed_.push_back(rows); }

 private:
  void Add(const std::string& file_name, const FieldDefs& fields, bool survey) {
    tables_.push_back(TableContent{file_name, fields, survey, {}});
  }

  // The table that rows go to: a known table, or a new file of a shared
  // layout (a rule table, a code list, a dictionary).
  TableContent& Target(const TableRows& rows) {
    for (TableContent& table : tables_) {
      if (text::EqualsIgnoreAsciiCase(table.file_name, rows.table)) return table;
    }
    const schema::TableDef* definition = schema::FindTable(rows.table);
    if (!definition) throw InstallError(rows.source + ": no definition for the table " + rows.table);
    Add(rows.table, definition->fields, definition->survey);
    return tables_.back();
  }

  const TableRows& Rows(std::string_view table) const {
    for (const TableRows& rows : parsed_) {
      if (text::EqualsIgnoreAsciiCase(rows.table, table)) return rows;
    }
    throw InstallError("the installation has no rows for " + std::string(table));
  }

  std::vector<TableContent> tables_;
  std::vector<TableRows> parsed_;
};

fs::path StagingFolder(const fs::path& folder) {
  const fs::path parent = folder.has_parent_path() ? folder.parent_path() : fs::path(".");
  return parent / ("." + folder.filename().string() + ".installing-" + std::to_string(::getpid()));
}

}  // namespace

void CreateWorkingFolder(const fs::path& target, const InstallOptions& options) {
  const fs::path folder = target.has_filename() ? target : target.parent_path();
  std::error_code error;
  if (fs::exists(folder, error)) {
    throw InstallError(folder.string() + " already exists; an existing working folder is left as it is");
  }

  FolderBuilder builder;
  for (const EmbeddedFile& file : EmbeddedInstallFiles()) {
    const bool demo = file.name.starts_with(kDemoFolder);
    if (!file.name.ends_with(".txt") || (demo && !options.demo)) continue;
    std::vector<TableRows> all = file.name == kDictionaries ? BuildDictionaries(file.text, file.name)
                                                            : ParseRowFile(file.text, file.name);
    for (const TableRows& rows : all) {
      builder.AddRows(rows);
      builder.Remember(rows);
    }
  }
  builder.AddResultTables();

  const fs::path staging = StagingFolder(folder);
  fs::remove_all(staging, error);
  try {
    fs::create_directories(staging);
    for (const char* name : kFolders) fs::create_directory(staging / name);
    builder.WriteInto(staging);
    fs::rename(staging, folder);
  } catch (...) {
    fs::remove_all(staging, error);
    throw;
  }
}

}  // namespace veltra::install
