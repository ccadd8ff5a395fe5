// Times the enterprise window's first activation (the rules loaded as
// constraints, the tables opened, the cover shown) on a working folder of
// N enterprises (default 20,000), offscreen. The window's enterprise table
// must then hold the rows SQLite holds for kfq_1.db.
//
//   entry_bench [N] [--returns] [--folder DIR]
//
// --returns fills the generated folder like a year's returns; --folder
// runs on a copy of an existing working folder instead.
#include <QApplication>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "entry/kfq_window.h"
#include "mainunit/main_unit.h"
#include "mainunit/ui_prompts.h"
#include "platform/ui/application.h"
#include "tests/support/sqlite_oracle.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

// Every record the window's table shows, as canonical rows, sorted.
std::vector<std::string> ShownRows(db::Table& table) {
  std::vector<std::string> rows;
  std::vector<Value> row(static_cast<std::size_t>(table.FieldCount()));
  for (table.First(); !table.Eof(); table.Next()) {
    for (int i = 0; i < table.FieldCount(); ++i) row[static_cast<std::size_t>(i)] = table.Fields(i).Value();
    rows.push_back(testing::CanonicalRow(row));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
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

  mainunit::MainUnit main(folder);
  mainunit::UiPrompts prompts;
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
  window.Close();
  fs::remove_all(parent);
  return same ? 0 : 1;
}
