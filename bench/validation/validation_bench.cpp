// Times the validation of report kind 1 on a working folder beside SQLite
// doing the same work on the same rows in a file database, once with
// synchronous=OFF and once with synchronous=FULL (we sync each statement's
// writes at its end, as SQLite does with FULL): every select's rows
// appended to the result table, tmp.db and tmp_r.DB written, the stamping
// updates, the sort with the result table emptied and filled again, and
// the numbering. Both sides start with the tables the run reads already
// loaded (ours read into memory, SQLite's copied into its file), so the
// ratio compares the run alone; our reading is shown beside it. SQLite
// compares and orders text by its code page 936 bytes as we do, and the
// result tables of both sides must hold the same rows.
//
//   validation_bench [N] [--returns | --long-texts] [--folder DIR]
//
// N enterprises (default 20,000) with 3N products and 2N projects are
// generated on the default installation's catalogue and rules plus 200
// generated plain rules; --returns fills them like a year's returns
// instead (every field, dates, the installed rules only), --long-texts
// the same with long Chinese texts filled to width; --folder runs on
// a copy of an existing working folder. Each side runs in a child process
// of its own, so that its peak resident memory is its own.
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
#include <optional>
#include <string>
#include <vector>

#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "mainunit/main_unit.h"
#include "platform/formats/table_file.h"
#include "platform/sql/engine.h"
#include "platform/text/ascii.h"
#include "tests/support/sqlite_oracle.h"
#include "validation/check_catalog.h"
#include "validation/check_run.h"

namespace fs = std::filesystem;
using namespace veltra;

namespace {

// The tables of kind 1 that the run reads and writes besides its result table.
const std::vector<std::string> kRunTables = {"kfq_1.db", "kfq_2.db", "kfq_5.db", "tmp_r.DB", "sendname.db"};

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

// A table file's name as our statements reach it in SQLite.
std::string SqliteName(const std::string& file) { return text::ToAsciiLower(file); }

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
      Exec(db, "create temp table sorted as " + sql + ",rowid");  // ties stay in the order they were added
      Exec(db, "delete from " + result);  // rowids start again from 1
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

void WriteLines(std::ofstream& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) out << line << '\0';
}

std::vector<std::string> ReadLines(std::ifstream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line, '\0');) lines.push_back(line);
  return lines;
}

// Our side: the tables read into memory, then the run. `log` gets the
// reading and run times, the result table and the statements.
void OurRun(const fs::path& folder, const fs::path& log) {
  std::vector<std::string> statements;
  mainunit::MainUnit main(folder);
  db::Table catalogue(main.Database1), result(main.Database1);
  catalogue.SetTableName(validation::kCatalogueTable);
  catalogue.Open();
  const validation::KindHeader header = validation::FindKindHeader(catalogue, 1);
  std::vector<std::string> tables = kRunTables;
  tables.push_back(header.result_table);
  // A table open in a cursor is read as it is used: a statement over
  // every record reads it whole.
  const double reading = Seconds([&] {
    for (const std::string& name : tables) {
      db::Table table(main.Database1);
      table.SetTableName(name);
      table.Open();
      sql::RunStatement("select count(*) from \"" + name + "\" where " + table.Fields(0).FieldName() + " is null",
                        main.Database1);
    }
  });
  const double run_seconds = Seconds([&] {
    result.SetTableName(header.result_table);
    validation::CheckRun run(main.Database1, result, catalogue);
    run.OnStatement = [&](const std::string& statement) { statements.push_back(statement); };
    run.Run({1, "", "", "", header.result_register_text});
  });
  std::ofstream out(log, std::ios::binary);
  out << reading << ' ' << run_seconds << ' ' << header.result_table << '\0';
  WriteLines(out, statements);
}

struct OurLog {
  double reading = 0;
  double run = 0;
  std::string result_table;
  std::vector<std::string> statements;
};

OurLog ReadOurLog(const fs::path& log) {
  std::ifstream in(log, std::ios::binary);
  OurLog ours;
  in >> ours.reading >> ours.run;
  in.get();
  std::getline(in, ours.result_table, '\0');
  ours.statements = ReadLines(in);
  return ours;
}

// SQLite's side on the tables of `folder` as they were before the run:
// `out` gets its time and the result table's rows.
void SqliteRun(const fs::path& folder, const fs::path& databases, const OurLog& ours, const fs::path& out,
               const std::string& synchronous) {
  fs::create_directory(databases);
  sqlite3* db = bench::OpenSqlite(databases / "bench.sqlite");
  Exec(db, "pragma synchronous=" + synchronous);
  Exec(db, "begin");
  for (const std::string& table : kRunTables) bench::CopyTableToSqlite(db, folder / table, SqliteName(table));
  // Untyped, so that a number appended to a text column stays a number
  // until it is made what our text field stores for it.
  bench::CopyTableToSqlite(db, folder / ours.result_table, SqliteName(ours.result_table), false);
  Exec(db, "commit");
  const std::string result = "\"" + SqliteName(ours.result_table) + "\"";
  const FieldDefs result_fields = formats::OpenTableFile(folder / ours.result_table)->fields();
  std::vector<std::string> result_columns;
  for (const FieldDef& field : result_fields) result_columns.push_back(field.name);
  const double theirs = Seconds([&] { ReplayRun(db, ours.statements, result, result_columns); });
  const std::vector<std::string> rows = bench::SqliteRows(db, "select * from " + result, &result_fields);
  sqlite3_close(db);
  std::ofstream log(out, std::ios::binary);
  log << theirs << '\0';
  WriteLines(log, rows);
}

// The bytes of a table's files in `folder`: the table and its companions
// (memo, indexes), whose names differ from it only in the extension.
std::uintmax_t TableBytes(const fs::path& folder, const std::string& table) {
  const std::string stem = text::ToAsciiLower(fs::path(table).stem().string());
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && text::ToAsciiLower(entry.path().stem().string()) == stem) bytes += entry.file_size();
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<bench::FolderOptions> options = bench::ParseFolderOptions(argc, argv);
  if (!options) return 2;
  const int enterprises = options->enterprises;
  const bench::SurveyWorkload workload = options->workload;
  const fs::path& source = options->folder;
  char pattern[] = "/tmp/veltra_validation_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const fs::path folder = parent / "work";
  const fs::path before = parent / "before";
  InChild([&] {
    if (source.empty()) {
      bench::MakeSurveyFolder(before, enterprises, workload);
    } else {
      fs::copy(source, before, fs::copy_options::recursive);
    }
  });
  fs::copy(before, folder, fs::copy_options::recursive);

  const fs::path log = parent / "run.log";
  const double our_mb = InChild([&] { OurRun(folder, log); });
  const OurLog ours = ReadOurLog(log);
  std::uintmax_t table_bytes = TableBytes(before, ours.result_table);
  for (const std::string& table : kRunTables) table_bytes += TableBytes(before, table);
  const double tables_mb = static_cast<double>(table_bytes) / (1024.0 * 1024.0);
  const std::vector<std::string> our_rows = bench::TableFileRows(folder / ours.result_table);
  if (source.empty()) {
    std::printf("validation of kind 1 (%s): %d enterprises, %d products, %d projects\n",
                bench::WorkloadName(workload), enterprises,
                enterprises * bench::kProductsEach, enterprises * bench::kProjectsEach);
  } else {
    std::printf("validation of kind 1 on a copy of %s\n", source.c_str());
  }
  std::printf("  ours                %8.3f s   (reading the tables first %.3f s)   %zu result rows\n", ours.run,
              ours.reading, our_rows.size());
  std::printf("  peak memory         %8.0f MB, %.1fx the %.0f MB of the tables read\n", our_mb, our_mb / tables_mb,
              tables_mb);
  bool same = true;
  for (const std::string synchronous : {"off", "full"}) {
    const fs::path sqlite_log = parent / ("sqlite_" + synchronous + ".log");
    const double sqlite_mb =
        InChild([&] { SqliteRun(before, parent / ("sqlite_" + synchronous), ours, sqlite_log, synchronous); });
    std::ifstream in(sqlite_log, std::ios::binary);
    std::string seconds;
    std::getline(in, seconds, '\0');
    const double theirs = std::stod(seconds);
    std::printf("  sqlite, sync %-4s   %8.3f s   ratio %.2f (with our reading %.2f)   peak memory %.0f MB   (%zu statements)\n",
                synchronous.c_str(), theirs, ours.run / theirs, (ours.run + ours.reading) / theirs, sqlite_mb,
                ours.statements.size());
    same = bench::SameContents("result table, sync " + synchronous, our_rows, ReadLines(in)) && same;
  }
  fs::remove_all(parent);
  return same ? 0 : 1;
}
