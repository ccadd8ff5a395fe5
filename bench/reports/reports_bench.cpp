// Times every summary and list builder of the report window on the shared
// workload (20,000 enterprises, 60,000 products, 40,000 projects; besides
// 20,000 software-base enterprises and 40,000 national and 40,000 local
// programme projects) in an installed working folder, and beside it SQLite
// (a file database, synchronous off) running the same statements on the
// same rows: a saved result
// becomes a table there too, and the five enterprise counts fill the
// template as ours do. Every saved table must hold the same rows on both
// sides.
//
//   reports_bench [--folder DIR]
//
// --folder runs on a copy of an existing working folder instead; the
// number of generated enterprises may be set in VELTRA_BENCH_ENTERPRISES.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "bench/common/kfq1_workload.h"
#include "bench/common/sqlite_mirror.h"
#include "bench/common/survey_folder.h"
#include "install/working_folder.h"
#include "platform/formats/table_file.h"
#include "reports/enterprise_lists.h"
#include "reports/enterprise_summaries.h"
#include "reports/project_summaries.h"
#include "schema/schema.h"
#include "tests/support/sqlite_oracle.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

struct Builder {
  const char* name;
  std::function<void(reports::BuilderContext&)> build;
};

const std::vector<Builder> kBuilders = {
    {"enterprise summary (qyhz)", reports::BuildEnterpriseSummary},
    {"enterprise R&D summary (qyrdhz)", reports::BuildEnterpriseRdSummary},
    {"industrial list (gyqy)", reports::BuildIndustrialEnterpriseList},
    {"service list (fwqy)", reports::BuildServiceEnterpriseList},
    {"large list, mode 1 (dqy)", [](reports::BuilderContext& c) { reports::BuildLargeEnterpriseList(c, 1); }},
    {"listed list, mode 2 (dqy)", [](reports::BuilderContext& c) { reports::BuildLargeEnterpriseList(c, 2); }},
    {"software summary (rjqyhz)", reports::BuildSoftwareEnterpriseSummary},
    {"local project summary (dfhz)", reports::BuildLocalProjectSummary},
    {"national project summary (gjhz)", reports::BuildNationalProjectSummary},
};

struct LoggedStatement {
  std::size_t builder;
  std::string sql;
  std::string saved_as;
};

// The tables the builders read; the template kfq4hz.db is filled by them.
const char* const kSourceTables[] = {kMasterTable, kDetailTable, kProjectTable, "rjjdqy.db",
                                     "gjxm.db",    "dfxm2.db",   "kfq4hz.db"};

void WriteGeneratedTables(const fs::path& folder, int enterprises) {
  const Kfq1Data data = MakeKfq1Data(enterprises, 2011);
  const int projects = enterprises * kProjectRecords / kMasterRecords;
  const auto write = [&](const char* table, const FieldDefs& fields, const std::vector<Row>& rows) {
    formats::CreateTableFile(folder / table, formats::TableKind::Paradox, fields, rows);
  };
  write(kMasterTable, data.master_fields, data.master);
  write(kDetailTable, data.detail_fields, data.detail);
  write(kProjectTable, data.project_fields, data.projects);
  write("rjjdqy.db", schema::FindTable("rjjdqy.db")->fields, MakeRecords("rjjdqy.db", enterprises, 2013));
  write("gjxm.db", schema::FindTable("gjxm.db")->fields, MakeRecords("gjxm.db", projects, 2014));
  write("dfxm2.db", schema::FindTable("dfxm2.db")->fields, MakeRecords("dfxm2.db", projects, 2015));
}

std::size_t RecordCount(const fs::path& file) { return formats::OpenTableFile(file)->record_count(); }

void Exec(sqlite3* db, const std::string& sql) {
  CheckSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
}

// Replays one builder's statements: saved results become tables, the
// counts are written into the template before the statement that reads it.
void ReplayInSqlite(sqlite3* db, const std::vector<LoggedStatement>& log, std::size_t builder) {
  std::vector<std::string> counts;
  for (const LoggedStatement& statement : log) {
    if (statement.builder != builder) continue;
    const std::string sql = testing::SqliteSpelling(statement.sql);
    if (statement.saved_as.empty()) {
      counts.push_back("(" + sql + ")");
      continue;
    }
    if (!counts.empty() && sql.find("kfq4hz.db") != std::string::npos) {
      std::string values;
      for (const std::string& count : counts) values += (values.empty() ? "" : ",") + count;
      Exec(db, "delete from \"kfq4hz.db\"");
      Exec(db, "insert into \"kfq4hz.db\" select " + values);
      counts.clear();
    }
    Exec(db, "drop table if exists \"" + statement.saved_as + "\"");
    Exec(db, "create table \"" + statement.saved_as + "\" as " + sql);
  }
}

// Builds the reports on both sides in `parent`; 0 when both saved the same tables.
int Run(const fs::path& source, const fs::path& parent) {
  const fs::path folder = parent / "work";
  if (source.empty()) {
    install::CreateWorkingFolder(folder);
    WriteGeneratedTables(folder, std::getenv("VELTRA_BENCH_ENTERPRISES")
                                     ? std::atoi(std::getenv("VELTRA_BENCH_ENTERPRISES"))
                                     : kMasterRecords);
  } else {
    fs::copy(source, folder, fs::copy_options::recursive);
  }
  // SQLite gets the tables as they are before the first build, and starts
  // on a closed and reopened file, its pages in the operating system's
  // cache as ours.
  const fs::path sqlite_file = parent / "bench.sqlite";
  sqlite3* db = OpenSqlite(sqlite_file);
  Exec(db, "begin");
  for (const char* table : kSourceTables) CopyTableToSqlite(db, folder / table, table);
  Exec(db, "commit");
  sqlite3_close(db);

  // Two passes: the first reads the source tables from their files (as the
  // first report after start does), the second finds them in memory (as
  // after entry or validation in the same run).
  constexpr int kPasses = 2;
  std::vector<LoggedStatement> log;
  std::vector<std::vector<double>> ours(kPasses, std::vector<double>(kBuilders.size()));
  {
    mainunit::MainUnit main(folder);
    db::Query query(main.Database1);
    std::size_t current = 0;
    reports::BuilderContext context{main, query, [&](db::Query& q, std::string_view saved_as) {
                                      log.push_back({current, q.SQL.Text(), std::string(saved_as)});
                                    }};
    for (int pass = 0; pass < kPasses; ++pass) {
      for (current = 0; current < kBuilders.size(); ++current) {
        const auto start = std::chrono::steady_clock::now();
        kBuilders[current].build(context);
        // Each builder answers for releasing its own result (every row's
        // shared texts let go), as SQLite's side drops its own table; else
        // the next builder's statement pays for it when it opens.
        query.Close();
        ours[pass][current] = SecondsSince(start);
      }
      context.AfterOpen = nullptr;
    }
  }

  db = OpenSqlite(sqlite_file);
  Exec(db, "pragma synchronous=off");
  std::vector<std::vector<double>> theirs(kPasses, std::vector<double>(kBuilders.size()));
  for (int pass = 0; pass < kPasses; ++pass) {
    for (std::size_t b = 0; b < kBuilders.size(); ++b) {
      const auto start = std::chrono::steady_clock::now();
      ReplayInSqlite(db, log, b);
      theirs[pass][b] = SecondsSince(start);
    }
  }
  bool same = true;
  std::set<std::string> compared;
  for (const LoggedStatement& statement : log) {
    if (statement.saved_as.empty() || !compared.insert(statement.saved_as).second) continue;
    const fs::path saved = folder / statement.saved_as;
    const FieldDefs fields = formats::OpenTableFile(saved)->fields();
    same = SameContents(statement.saved_as, TableFileRows(saved),
                        SqliteRows(db, "select * from \"" + statement.saved_as + "\"", &fields)) && same;
  }
  sqlite3_close(db);

  std::printf("report builders: %zu enterprises, %zu products, %zu projects, %zu software enterprises, "
              "%zu national and %zu local projects, %zu statements\n",
              RecordCount(folder / kMasterTable), RecordCount(folder / kDetailTable),
              RecordCount(folder / kProjectTable), RecordCount(folder / "rjjdqy.db"), RecordCount(folder / "gjxm.db"),
              RecordCount(folder / "dfxm2.db"), log.size());
  for (int pass = 0; pass < kPasses; ++pass) {
    std::printf(pass == 0 ? "first build, tables read from their files:\n" : "second build, tables in memory:\n");
    double ours_total = 0, theirs_total = 0;
    for (std::size_t b = 0; b < kBuilders.size(); ++b) {
      ReportRatio(kBuilders[b].name, ours[pass][b], theirs[pass][b]);
      ours_total += ours[pass][b];
      theirs_total += theirs[pass][b];
    }
    ReportRatio("all builders", ours_total, theirs_total);
  }
  return same ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<FolderOptions> options = ParseFolderOptions(argc, argv, false);
  if (!options) return 2;
  char pattern[] = "/tmp/veltra_reports_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const int status = RunReportingEngineErrors(argv[0], [&] { return Run(options->folder, parent); });
  fs::remove_all(parent);
  return status;
}
