// The generic printout's refresh ("刷新": lay out, draw and show the first
// page) and paging ("下一页") on query_p.db of 48,000 rows x 20 fields and
// 12,000 rows x 233 fields, offscreen: milliseconds per refresh and the
// growth of the process's resident memory over the refreshes. SQLite's
// side reads the same page's rows from the same table in memory, the least
// any refresh has to do.
//
//   printout_bench [--folder DIR]
//
// --folder runs on a copy of an existing working folder instead, on the
// query_p.db and bt_p.db its last query left (or every field of kfq_1.db).
#include <QApplication>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "bench/common/kfq1_workload.h"
#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "install/working_folder.h"
#include "platform/formats/table_file.h"
#include "platform/ui/application.h"
#include "query/query_p.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr int kRounds = 10;

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

std::string FieldName(int f) {
  char name[8];
  std::snprintf(name, sizeof name, "F%03d", f);
  return name;
}

// query_p.db holding `records`, and bt_p.db one caption a field.
void WriteQueryResult(const fs::path& folder, const FieldDefs& defs, const std::vector<Row>& records) {
  formats::CreateTableFile(folder / "query_p.db", formats::TableKind::Paradox, defs, records);
  std::vector<Row> captions;
  for (const FieldDef& field : defs) captions.push_back({Value::Text(field.name), Value::Integer(10)});
  formats::CreateTableFile(folder / "bt_p.db", formats::TableKind::Paradox,
                           {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}}, captions);
}

// A string key, then numbers.
void WriteGeneratedResult(const fs::path& folder, int rows, int fields) {
  FieldDefs defs = {{FieldName(0), FieldType::String, 10}};
  for (int f = 1; f < fields; ++f) defs.push_back({FieldName(f), FieldType::Float, 0});
  std::vector<Row> records;
  records.reserve(static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    Row row{Value::Text(std::to_string(110000 + r))};
    for (int f = 1; f < fields; ++f) row.push_back(Value::Float(r * 0.5 + f));
    records.push_back(std::move(row));
  }
  WriteQueryResult(folder, defs, records);
}

// The printout of the working folder's query_p.db; true when it stays
// within the limits.
bool Run(const fs::path& folder) {
  const auto table = formats::OpenTableFile(folder / "query_p.db");
  const std::size_t rows = table->record_count(), fields = table->fields().size();
  db::Database database(folder);
  query::TF_query_p window(database);
  const double before_open = ResidentMegabytes();
  window.Show();
  QApplication::processEvents();
  const double opened = ResidentMegabytes();
  const int page_rows = window.Printout().Page(0).row_count;

  double refresh = 0, paging = 0, peak = opened;
  for (int round = 0; round < kRounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    window.Button1.click();
    refresh += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    window.Button4.click();
    paging += SecondsSince(start);
    peak = std::max(peak, ResidentMegabytes());
  }

  sqlite3* db = OpenSqlite(":memory:");
  CopyTableToSqlite(db, folder / "query_p.db", "query_p");
  const std::vector<std::string> page = {"select * from query_p limit " + std::to_string(page_rows)};
  double theirs = 0;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    RunSqlite(db, page);
    theirs += SecondsSince(start);
  }
  sqlite3_close(db);

  const double refresh_ms = refresh / kRounds * 1000, growth = peak - opened;
  std::printf("%zu rows x %zu fields: %d pages of %d rows; opening +%.1f MB\n", rows, fields,
              window.Printout().PageCount(), page_rows, opened - before_open);
  std::printf("  refresh %.1f ms, next page %.1f ms, memory growth over %d refreshes %.1f MB\n", refresh_ms,
              paging / kRounds * 1000, kRounds, growth);
  ReportRatio("  refresh vs. sqlite reading the page", refresh, theirs);
  window.Close();
  return refresh_ms < 50 && growth < 10;
}

// A copy of `source`, or a new installation with generated tables of
// `rows` x `fields`.
bool RunInScratchFolder(const fs::path& source, int rows, int fields) {
  const fs::path folder = fs::temp_directory_path() / ("veltra-printout-bench-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  if (source.empty()) {
    install::CreateWorkingFolder(folder);
    WriteGeneratedResult(folder, rows, fields);
  } else {
    fs::copy(source, folder, fs::copy_options::recursive);
    // A folder no query has run in yet shows every field of its enterprises.
    if (!fs::exists(folder / "query_p.db")) {
      const auto enterprises = formats::OpenTableFile(folder / "kfq_1.db");
      WriteQueryResult(folder, enterprises->fields(), enterprises->ReadAll());
    }
  }
  const bool within = Run(folder);
  fs::remove_all(folder);
  return within;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<FolderOptions> options = ParseFolderOptions(argc, argv, false);
  if (!options) return 2;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ui::Application application(argc, argv);
  return RunReportingEngineErrors(argv[0], [&] {
    if (!options->folder.empty()) return RunInScratchFolder(options->folder, 0, 0) ? 0 : 1;
    const bool long_table = RunInScratchFolder({}, 48000, 20);
    const bool wide_table = RunInScratchFolder({}, 12000, 233);
    return long_table && wide_table ? 0 : 1;
  });
}
