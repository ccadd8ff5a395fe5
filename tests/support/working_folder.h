#pragma once
// A scratch working folder holding the tables the windows need, created
// empty from the schema, and prompts that a test answers in advance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"
#include "schema/schema.h"

namespace veltra::testing {

using NamedRows = std::vector<std::map<std::string, std::string>>;

// Appends rows to a table, each a map of field name to display text.
inline void AppendRows(db::Database& database, const std::string& name, const NamedRows& rows) {
  db::Table table(database);
  table.SetTableName(name);
  table.Open();
  for (const auto& row : rows) {
    table.Append();
    for (const auto& [field, value] : row) table.FieldByName(field).SetAsString(value);
    table.Post();
  }
  table.Close();
}

// Records every message; answers questions and file dialogs from queues
// (an empty queue answers No / Cancel).
class ScriptedPrompts : public mainunit::Prompts {
 public:
  struct Message {
    std::string text;
    std::string title;
    bool default_no = false;  // asked through Confirm
    bool error = false;       // told through Error
  };
  std::vector<Message> notices;
  std::vector<Message> questions;
  std::vector<std::string> dialog_titles;
  std::deque<bool> answers;
  std::deque<std::string> files;  // "" cancels

  void Notice(const std::string& text, const std::string& title) override { notices.push_back({text, title}); }
  void Error(const std::string& text, const std::string& title) override {
    notices.push_back({text, title, false, true});
  }
  bool AskYesNo(const std::string& text, const std::string& title) override {
    return Answer({text, title});
  }
  bool Confirm(const std::string& text, const std::string& title) override {
    return Answer({text, title, true});
  }
  bool Answer(const Message& question) {
    questions.push_back(question);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool Execute(ui::FileDialog& dialog) override {
    dialog_titles.push_back(dialog.title);
    if (files.empty()) return false;
    const std::string file = files.front();
    files.pop_front();
    if (file.empty()) return false;
    dialog.file_name = file;
    return true;
  }
};

class WorkingFolderTest : public ::testing::Test {
 protected:
  WorkingFolderTest() {
    char pattern[] = "/tmp/veltra_wf_XXXXXX";
    folder_ = mkdtemp(pattern);
    std::filesystem::create_directory(folder_ / "tmp");
    for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db", "sendname.db", "bhcl.DB"}) CreateEmpty(name);
    for (const char* name : {"kfq1_chk.db", "kfq2_chk.db", "kfq5_chk.db"}) CreateEmpty(name);
    main_ = std::make_unique<mainunit::MainUnit>(folder_);
  }
  ~WorkingFolderTest() override {
    main_.reset();
    std::filesystem::remove_all(folder_);
  }

  mainunit::MainUnit& main() { return *main_; }
  const std::filesystem::path& folder() const { return folder_; }

  // An empty table named `name` with the schema's fields of `layout` (its own name by default).
  void CreateEmpty(const std::string& name, const std::string& layout = "") {
    const schema::TableDef* def = schema::FindTable(layout.empty() ? name : layout);
    ASSERT_NE(def, nullptr) << name;
    db::Database(folder_).CreateTable(name, db::TableType::Default, def->fields);
  }

  // Appends rows, each a map of field name to display text.
  void AddRows(const std::string& name, const std::vector<std::map<std::string, std::string>>& rows) {
    db::Database database(folder_);
    AppendRows(database, name, rows);
  }

  // One field of every record, read from the file itself.
  std::vector<std::string> Column(const std::string& name, const std::string& field) {
    auto file = formats::OpenTableFile(main().Database1.ResolveTableName(name));
    const int index = FindField(file->fields(), field);
    EXPECT_GE(index, 0) << field;
    std::vector<std::string> values;
    for (const auto& record : file->ReadAll()) values.push_back(record[index].ToDisplayText());
    return values;
  }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<mainunit::MainUnit> main_;
};

}  // namespace veltra::testing
