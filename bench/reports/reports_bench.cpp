// Times every summary and list builder of the report window on the shared
// workload (20,000 enterprises, 60,000 products, 40,000 projects; besides
// 20,000 software-base enterprises and 40,000 national and 40,000 local
// programme projects) in an installed working folder, and beside it SQLite
// (a file database, synchronous off) running the same statements on the
// same rows: a saved result
// becomes a table there too, and the five enterprise counts fill the
// template as ours do.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/common/kfq1_workload.h"
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

struct Source {
  const char* table;
  const FieldDefs* fields;
  std::vector<Row> rows;
};

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

}  // namespace

int main() {
  const int enterprises = std::getenv("VELTRA_BENCH_ENTERPRISES") ? std::atoi(std::getenv("VELTRA_BENCH_ENTERPRISES"))
                                                                   : kMasterRecords;
  const Kfq1Data data = MakeKfq1Data(enterprises, 2011);
  const FieldDefs& software_fields = schema::FindTable("rjjdqy.db")->fields;
  const FieldDefs& national_fields = schema::FindTable("gjxm.db")->fields;
  const FieldDefs& local_fields = schema::FindTable("dfxm2.db")->fields;
  const FieldDefs& template_fields = schema::FindTable("kfq4hz.db")->fields;
  const int projects = enterprises * kProjectRecords / kMasterRecords;
  std::vector<Source> sources;
  sources.push_back({kMasterTable, &data.master_fields, data.master});
  sources.push_back({kDetailTable, &data.detail_fields, data.detail});
  sources.push_back({kProjectTable, &data.project_fields, data.projects});
  sources.push_back({"rjjdqy.db", &software_fields, MakeRecords("rjjdqy.db", enterprises, 2013)});
  sources.push_back({"gjxm.db", &national_fields, MakeRecords("gjxm.db", projects, 2014)});
  sources.push_back({"dfxm2.db", &local_fields, MakeRecords("dfxm2.db", projects, 2015)});

  char pattern[] = "/tmp/veltra_reports_bench_XXXXXX";
  const fs::path parent = mkdtemp(pattern);
  const fs::path folder = parent / "work";
  install::CreateWorkingFolder(folder);
  for (const Source& source : sources) {
    formats::CreateTableFile(folder / source.table, formats::TableKind::Paradox, *source.fields, source.rows);
  }

  // Two passes: the first reads the source tables from their files (as the
  // first report after start does), the second finds them in memory (as
  // after entry or validation in the same run). SQLite starts on a closed
  // and reopened file, its pages in the operating system's cache as ours.
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
        ours[pass][current] = SecondsSince(start);
      }
      context.AfterOpen = nullptr;
    }
  }

  const fs::path sqlite_file = parent / "bench.sqlite";
  sqlite3* db = nullptr;
  CheckSqlite(sqlite3_open(sqlite_file.c_str(), &db), db);
  for (const Source& source : sources) LoadSqlite(db, source.table, *source.fields, source.rows);
  LoadSqlite(db, "kfq4hz.db", template_fields, {});
  sqlite3_close(db);
  CheckSqlite(sqlite3_open(sqlite_file.c_str(), &db), db);
  Exec(db, "pragma synchronous=off");
  std::vector<std::vector<double>> theirs(kPasses, std::vector<double>(kBuilders.size()));
  for (int pass = 0; pass < kPasses; ++pass) {
    for (std::size_t b = 0; b < kBuilders.size(); ++b) {
      const auto start = std::chrono::steady_clock::now();
      ReplayInSqlite(db, log, b);
      theirs[pass][b] = SecondsSince(start);
    }
  }
  sqlite3_close(db);

  std::printf("report builders: %d enterprises, %zu products, %zu projects, %zu software enterprises, "
              "%d national and %d local projects, %zu statements\n",
              enterprises, data.detail.size(), data.projects.size(), sources[3].rows.size(), projects, projects,
              log.size());
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
  fs::remove_all(parent);
  return 0;
}
