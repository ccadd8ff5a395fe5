// Times the validation of report kind 1 on a working folder beside SQLite
// doing the same work on the same rows in a file database, once with
// synchronous=OFF and once with synchronous=FULL (we sync each statement's
// writes at its end, as SQLite does with FULL): every select's rows appended to the result table, tmp.db and
// tmp_r.DB written, the stamping updates, the sort with the result table
// emptied and filled again, and the numbering. Both row counts are shown.
//
//   validation_bench [N] [--folder DIR]
//
// N enterprises (default 20,000) with 3N products and 2N projects are
// generated on the default installation's catalogue and rules plus 200
// generated plain rules; --folder runs on a copy of an existing working
// folder instead. Each side runs in a child process of its own, so that
// its peak resident memory is its own.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "mainunit/main_unit.h"
#include "bench/common/survey_folder.h"
#include "platform/formats/table_file.h"
#include "platform/text/ascii.h"
#include "schema/schema.h"
#include "validation/check_catalog.h"
#include "tests/support/sqlite_oracle.h"
#include "validation/check_run.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n  in: %s\n", error, sql.c_str());
    std::exit(1);
  }
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n  in: %s\n", sqlite3_errmsg(db), sql.c_str());
    std::exit(1);
  }
  return statement;
}

// A table file's name as our statements reach it in SQLite's spelling.
std::string SqliteName(const std::string& file) { return "\"" + text::ToAsciiLower(file) + "\""; }

void CopyToSqlite(sqlite3* db, const fs::path& file) {
  auto table = formats::OpenTableFile(file);
  const std::string name = SqliteName(file.filename().string());
  std::string columns, marks;
  for (const FieldDef& field : table->fields()) {
    columns += (columns.empty() ? "\"" : ",\"") + field.name + "\"";
    marks += marks.empty() ? "?" : ",?";
  }
  Exec(db, "create table " + name + " (" + columns + ")");
  sqlite3_stmt* insert = Prepare(db, "insert into " + name + " values (" + marks + ")");
  for (const formats::Record& record : table->ReadAll()) {
    for (std::size_t c = 0; c < record.size(); ++c) {
      const Value& v = record[c];
      const int at = static_cast<int>(c) + 1;
      if (v.is_null()) sqlite3_bind_null(insert, at);
      else if (v.kind() == Value::Kind::Text) sqlite3_bind_text(insert, at, v.text().data(), static_cast<int>(v.text().size()), SQLITE_TRANSIENT);
      else sqlite3_bind_double(insert, at, v.AsDouble());
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
bool IsSelect(const std::string& sql) { return sql.rfind("select", 0) == 0; }

int ColumnCount(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = Prepare(db, sql);
  const int count = sqlite3_column_count(statement);
  sqlite3_finalize(statement);
  return count;
}

// Replays the run: where a select's rows went follows from the statement
// and the one after it, as the run's steps give them.
void ReplayRun(sqlite3* db, const std::vector<std::string>& run, const std::string& result,
               const std::vector<std::string>& result_columns) {
  for (std::size_t i = 0; i < run.size(); ++i) {
    const std::string sql = testing::SqliteSpelling(run[i]);
    const std::string next = i + 1 < run.size() ? run[i + 1] : "";
    if (!IsSelect(sql)) {
      Exec(db, sql);
    } else if (Contains(sql, " left join ")) {  // a grouped rule's first step
      Exec(db, "drop table if exists \"tmp.db\"");
      Exec(db, "create table \"tmp.db\" as " + sql);
    } else if (IsSelect(next) && Contains(next, "from tmp_r.db")) {  // a code list batch that more batches follow
      Exec(db, "drop table if exists \"tmp_r.next\"");
      Exec(db, "create table \"tmp_r.next\" as " + sql);
      Exec(db, "drop table \"tmp_r.db\"");
      Exec(db, "alter table \"tmp_r.next\" rename to \"tmp_r.db\"");
    } else if (Contains(sql, " order by ")) {  // the sort, then the numbering
      Exec(db, "create temp table sorted as " + sql);
      Exec(db, "delete from " + result);
      Exec(db, "insert into " + result + " select * from sorted");
      Exec(db, "drop table sorted");
      Exec(db, "insert into " + result + " (状态,错误信息) select 'OK','无任何错误及警告' where not exists (select 1 from " +
                   result + ")");
      Exec(db, "update " + result + " set 序号=rowid");
    } else {  // faults appended to the result table
      std::string columns;
      for (int c = 0; c < ColumnCount(db, sql); ++c) columns += (c ? ",\"" : "\"") + result_columns[c] + "\"";
      Exec(db, "insert into " + result + " (" + columns + ") " + sql);
    }
  }
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` in a child process; its peak resident memory in MB.
double InChild(const std::function<void()>& work) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) std::exit(1);
  if (child == 0) {
    work();
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a benchmark step failed\n");
    std::exit(1);
  }
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Our side: the run, then its statements (each ended by a NUL), its time,
// result table and row count written to `log`.
void OurRun(const fs::path& folder, const fs::path& log) {
  std::vector<std::string> statements;
  std::size_t rows = 0;
  std::string result_table;
  const double seconds = Seconds([&] {
    mainunit::MainUnit main(folder);
    db::Table catalogue(main.Database1), result(main.Database1);
    catalogue.SetTableName(validation::kCatalogueTable);
    catalogue.Open();
    const validation::KindHeader header = validation::FindKindHeader(catalogue, 1);
    result_table = header.result_table;
    result.SetTableName(header.result_table);
    validation::CheckRun run(main.Database1, result, catalogue);
    run.OnStatement = [&](const std::string& statement) { statements.push_back(statement); };
    run.Run({1, "", "", "", header.result_register_text});
    rows = static_cast<std::size_t>(result.RecordCount());
  });
  std::ofstream out(log, std::ios::binary);
  out << seconds << ' ' << rows << ' ' << result_table << '\0';
  for (const std::string& statement : statements) out << statement << '\0';
}

// SQLite's side on the tables of `folder` as they were before the run.
void SqliteRun(const fs::path& folder, const fs::path& parent, const fs::path& log, const fs::path& out,
               const std::string& synchronous) {
  std::ifstream in(log, std::ios::binary);
  double ours = 0;
  std::size_t our_rows = 0;
  std::string result_file;
  in >> ours >> our_rows;
  in.get();
  std::getline(in, result_file, '\0');
  std::vector<std::string> statements;
  for (std::string statement; std::getline(in, statement, '\0');) statements.push_back(statement);

  sqlite3* db = nullptr;
  const fs::path databases = parent / ("sqlite_" + synchronous);
  fs::create_directory(databases);
  sqlite3_open((databases / "bench.sqlite").c_str(), &db);
  Exec(db, "pragma synchronous=" + synchronous);
  Exec(db, "begin");
  for (const char* table : {"kfq_1.db", "kfq_2.db", "kfq_5.db", "tmp_r.DB", "sendname.db"}) CopyToSqlite(db, folder / table);
  CopyToSqlite(db, folder / result_file);
  Exec(db, "commit");
  const std::string result = SqliteName(result_file);
  std::vector<std::string> result_columns;
  const auto result_table = formats::OpenTableFile(folder / result_file);
  for (const FieldDef& field : result_table->fields()) result_columns.push_back(field.name);
  const double theirs = Seconds([&] { ReplayRun(db, statements, result, result_columns); });
  sqlite3_stmt* count = Prepare(db, "select count(*) from " + result);
  sqlite3_step(count);
  const long long their_rows = sqlite3_column_int64(count, 0);
  sqlite3_finalize(count);
  sqlite3_close(db);
  std::ofstream(out) << theirs << ' ' << their_rows << ' ' << statements.size();
}

std::uintmax_t FolderBytes(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) bytes += entry.file_size();
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  int enterprises = 20000;
  fs::path source;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--folder" && i + 1 < argc) {
      source = argv[++i];
    } else if (std::atoi(arg.c_str()) > 0) {
      enterprises = std::atoi(arg.c_str());
    } else {
      std::fprintf(stderr, "usage: %s [N] [--folder DIR]\n", argv[0]);
      return 2;
    }
  }
  char pattern[] = "/tmp/veltra_validation_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const fs::path folder = parent / "work";
  const fs::path before = parent / "before";
  InChild([&] {
    if (source.empty()) {
      bench::MakeSurveyFolder(before, enterprises);
    } else {
      fs::copy(source, before, fs::copy_options::recursive);
    }
  });
  fs::copy(before, folder, fs::copy_options::recursive);
  const std::uintmax_t bytes_before = FolderBytes(folder);

  const fs::path log = parent / "run.log";
  const double our_mb = InChild([&] { OurRun(folder, log); });
  const std::uintmax_t bytes_after = FolderBytes(folder);
  double ours = 0;
  std::size_t our_rows = 0;
  std::ifstream(log) >> ours >> our_rows;
  if (source.empty()) {
    std::printf("validation of kind 1: %d enterprises, %d products, %d projects\n", enterprises,
                enterprises * bench::kProductsEach, enterprises * bench::kProjectsEach);
  } else {
    std::printf("validation of kind 1 on a copy of %s\n", source.c_str());
  }
  const double folder_mb = static_cast<double>(std::max(bytes_before, bytes_after)) / (1024.0 * 1024.0);
  std::printf("  ours                %8.3f s   %zu result rows   peak memory %.0f MB, %.1fx the folder's %.0f MB\n", ours,
              our_rows, our_mb, our_mb / folder_mb, folder_mb);
  bool same_rows = true;
  for (const std::string synchronous : {"off", "full"}) {
    const fs::path sqlite_log = parent / ("sqlite_" + synchronous + ".log");
    const double sqlite_mb = InChild([&] { SqliteRun(before, parent, log, sqlite_log, synchronous); });
    double theirs = 0;
    std::size_t their_rows = 0, statements = 0;
    std::ifstream(sqlite_log) >> theirs >> their_rows >> statements;
    same_rows = same_rows && their_rows == our_rows;
    std::printf("  sqlite, sync %-4s   %8.3f s   %zu result rows%s   peak memory %.0f MB   ratio %.2f   (%zu statements)\n",
                synchronous.c_str(), theirs, their_rows, their_rows == our_rows ? "" : " (DIFFER)", sqlite_mb,
                ours / theirs, statements);
  }
  fs::remove_all(parent);
  return same_rows ? 0 : 1;
}
