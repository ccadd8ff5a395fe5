// The generic printout's refresh ("刷新": lay out, draw and show the first
// page) and paging ("下一页") on query_p.db of 48,000 rows x 20 fields and
// 12,000 rows x 233 fields, offscreen: milliseconds per refresh and the
// growth of the process's resident memory over the refreshes. SQLite's
// side reads the same page's rows from the same table in memory, the least
// any refresh has to do.
//
//   printout_bench
#include <QApplication>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/common/kfq1_workload.h"
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

// query_p.db: a string key, then numbers; bt_p.db: one caption a field.
std::vector<Row> WriteTables(const fs::path& folder, int rows, int fields, FieldDefs& defs) {
  defs = {{FieldName(0), FieldType::String, 10}};
  for (int f = 1; f < fields; ++f) defs.push_back({FieldName(f), FieldType::Float, 0});
  std::vector<Row> records;
  records.reserve(static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    Row row{Value::Text(std::to_string(110000 + r))};
    for (int f = 1; f < fields; ++f) row.push_back(Value::Float(r * 0.5 + f));
    records.push_back(std::move(row));
  }
  formats::CreateTableFile(folder / "query_p.db", formats::TableKind::Paradox, defs, records);
  std::vector<Row> captions;
  for (int f = 0; f < fields; ++f) captions.push_back({Value::Text("字段" + std::to_string(f)), Value::Integer(10)});
  formats::CreateTableFile(folder / "bt_p.db", formats::TableKind::Paradox,
                           {{"表头文字", FieldType::String, 255}, {"列宽度", FieldType::SmallInt, 0}}, captions);
  return records;
}

bool Run(int rows, int fields) {
  const fs::path folder = fs::temp_directory_path() / ("veltra-printout-bench-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  install::CreateWorkingFolder(folder);
  FieldDefs defs;
  const std::vector<Row> records = WriteTables(folder, rows, fields, defs);

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

  sqlite3* db = nullptr;
  CheckSqlite(sqlite3_open(":memory:", &db), db);
  LoadSqlite(db, "query_p", defs, records);
  const std::vector<std::string> page = {"select * from query_p limit " + std::to_string(page_rows)};
  double theirs = 0;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    RunSqlite(db, page);
    theirs += SecondsSince(start);
  }
  sqlite3_close(db);

  const double refresh_ms = refresh / kRounds * 1000, growth = peak - opened;
  std::printf("%d rows x %d fields: %d pages of %d rows; opening +%.1f MB\n", rows, fields,
              window.Printout().PageCount(), page_rows, opened - before_open);
  std::printf("  refresh %.1f ms, next page %.1f ms, memory growth over %d refreshes %.1f MB\n", refresh_ms,
              paging / kRounds * 1000, kRounds, growth);
  ReportRatio("  refresh vs. sqlite reading the page", refresh, theirs);
  window.Close();
  fs::remove_all(folder);
  return refresh_ms < 50 && growth < 10;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ui::Application application(argc, argv);
  const bool long_table = Run(48000, 20);
  const bool wide_table = Run(12000, 233);
  return long_table && wide_table ? 0 : 1;
}
