// Times the enterprise window's first activation (the rules loaded as
// constraints, the tables opened, the cover shown) on a working folder of
// N enterprises (default 20,000), offscreen. The window's enterprise table
// must then hold the rows SQLite holds for kfq_1.db.
//
// Then "数据追加" of the folder's own kfq_1.db, kfq_2.db and kfq_5.db (every
// record found by its key and updated in place), pressed in the window,
// beside the engine's own import of the same files into a copy of the
// folder: a table opened, each record found by key, edited, copied, posted.
//
//   entry_bench [N] [--returns | --long-texts] [--folder DIR] [--activation-only]
//
// --returns fills the generated folder like a year's returns, --long-texts
// the same with long Chinese texts filled to width; --folder
// runs on a copy of an existing working folder instead; --activation-only
// stops after the first activation and its check.
#include <QApplication>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "bench/common/import_by_key.h"
#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "entry/kfq_window.h"
#include "mainunit/main_unit.h"
#include "mainunit/ui_prompts.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "schema/schema.h"
#include "tests/support/sqlite_oracle.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

// Every record the window's table shows, as canonical rows, sorted; the
// window's controls and details are not dragged along.
std::vector<std::string> ShownRows(db::Table& table) {
  std::vector<std::string> rows;
  std::vector<Value> row(static_cast<std::size_t>(table.FieldCount()));
  table.DisableControls();
  for (table.First(); !table.Eof(); table.Next()) {
    for (int i = 0; i < table.FieldCount(); ++i) row[static_cast<std::size_t>(i)] = table.Fields(i).Value();
    rows.push_back(testing::CanonicalRow(row));
  }
  table.First();
  table.EnableControls();
  std::sort(rows.begin(), rows.end());
  return rows;
}

constexpr const char* kImported[] = {"kfq_1.db", "kfq_2.db", "kfq_5.db"};

// Picks the files of the submission in turn and never empties a table.
class SubmissionPrompts : public mainunit::UiPrompts {
 public:
  explicit SubmissionPrompts(fs::path folder) : folder_(std::move(folder)) {}
  bool Confirm(const std::string&, const std::string&) override { return false; }
  bool Execute(ui::FileDialog& dialog) override {
    dialog.file_name = (folder_ / kImported[next_++ % std::size(kImported)]).string();
    return true;
  }

 private:
  fs::path folder_;
  std::size_t next_ = 0;
};

// The engine alone, on the same files: the number of records imported.
int EngineImport(const fs::path& folder, const fs::path& submission) {
  db::Database database(folder);
  int imported = 0;
  for (const char* name : kImported) {
    const schema::TableDef& definition = *schema::FindTable(name);
    db::Table source(database);
    source.SetTableName((submission / name).string());
    source.Open();
    db::Table target(database);
    target.SetTableName(name);
    target.GetIndexDefs() = definition.indexes;
    target.Open();
    imported += bench::ImportByKey(source, target, definition.indexes.front());
  }
  return imported;
}

}  // namespace

int main(int argc, char** argv) {
  const auto activation_only = std::find(argv + 1, argv + argc, std::string("--activation-only"));
  const bool stop_after_activation = activation_only != argv + argc;
  if (stop_after_activation) std::rotate(activation_only, activation_only + 1, argv + argc--);
  const std::optional<bench::FolderOptions> options = bench::ParseFolderOptions(argc, argv);
  if (!options) return 2;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ui::Application application(argc, argv);
  char pattern[] = "/tmp/veltra_entry_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const fs::path folder = parent / "work";
  if (options->folder.empty()) {
    bench::MakeSurveyFolder(folder, options->enterprises, options->workload);
  } else {
    fs::copy(options->folder, folder, fs::copy_options::recursive);
  }
  sqlite3* db = bench::OpenSqlite(":memory:");
  bench::CopyTableToSqlite(db, folder / "kfq_1.db", "kfq_1.db");
  const fs::path submission = parent / "submission";
  const fs::path engine_folder = parent / "engine";
  fs::create_directory(submission);
  if (!stop_after_activation) {
    for (const char* name : kImported) fs::copy_file(folder / name, submission / name);
    fs::copy(folder, engine_folder, fs::copy_options::recursive);
  }

  mainunit::MainUnit main(folder);
  SubmissionPrompts prompts(submission);
  const auto start = std::chrono::steady_clock::now();
  entry::TF_kfq window(main, prompts);
  window.SetCaption("高新区企业");
  window.Show();
  QApplication::processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  db::Table& master = window.Frame().Master();
  std::printf("enterprise window, first activation on %d enterprises: %.1f ms\n", master.RecordCount(), ms);
  const bool same =
      bench::SameContents("kfq_1.db in the window", ShownRows(master), bench::SqliteRows(db, "select * from \"kfq_1.db\""));
  sqlite3_close(db);
  if (stop_after_activation) {
    window.Close();
    fs::remove_all(parent);
    return same ? 0 : 1;
  }

  const auto seconds_since = [](std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
  };
  auto import_start = std::chrono::steady_clock::now();
  window.ToolButton9->click();
  const double window_import = seconds_since(import_start);
  import_start = std::chrono::steady_clock::now();
  const int imported = EngineImport(engine_folder, submission);
  const double engine_import = seconds_since(import_start);
  std::printf("数据追加 of kfq_1, kfq_2, kfq_5 (%d records), window %.2f s, engine %.2f s: %.1fx\n", imported,
              window_import, engine_import, window_import / engine_import);
  window.Close();
  fs::remove_all(parent);
  return same ? 0 : 1;
}
