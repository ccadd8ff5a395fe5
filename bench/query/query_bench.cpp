// The statements of the query window over the shared workload: 20,000
// enterprises in kfq_1.db and 60,000 products in kfq_2.db, written as
// Paradox files into an installed working folder, and built by the
// window's builder from the shipped enterprise dictionary:
//   - a total of 20 sums (15 of the enterprise, 5 of its products) grouped
//     by 5 enterprise fields, over the join of kfq_1 with kfq_2;
//   - a query of four fields with three conditions and two sort fields.
// Ours runs them through the table engine's query component with the
// tables already read (as in a session where the window has run once);
// SQLite runs the same text on the same rows, in memory, with the
// schema's indexes. Both materialise every row.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/kfq1_workload.h"
#include "install/working_folder.h"
#include "platform/db/query.h"
#include "platform/formats/table_file.h"
#include "query/query_dictionary.h"
#include "query/query_statement.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr int kRounds = 10;

int Place(const std::vector<query::DictionaryField>& fields, const std::string& field_name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].field_name == field_name) return static_cast<int>(i);
  }
  std::fprintf(stderr, "the enterprise dictionary has no field %s\n", field_name.c_str());
  std::exit(1);
}

std::vector<int> Places(const std::vector<query::DictionaryField>& fields, const std::vector<std::string>& names) {
  std::vector<int> places;
  for (const std::string& name : names) places.push_back(Place(fields, name));
  return places;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::size_t RunOurs(db::Database& database, const std::vector<std::string>& lines) {
  db::Query query(database);
  for (const std::string& line : lines) query.SQL.Add(line);
  query.Open();
  return static_cast<std::size_t>(query.RecordCount());
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / ("veltra-query-bench-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  install::CreateWorkingFolder(folder);
  const Kfq1Data data = MakeKfq1Data(kMasterRecords, 2011);
  formats::CreateTableFile(folder / kMasterTable, formats::TableKind::Paradox, data.master_fields, data.master);
  formats::CreateTableFile(folder / kDetailTable, formats::TableKind::Paradox, data.detail_fields, data.detail);

  db::Database database(folder);
  const query::QueryDictionary dictionary = query::LoadQueryDictionary(database, 1, "", "");
  query::QueryChoices totals;
  totals.dictionary = &dictionary;
  totals.group_ticks = Places(dictionary.group_fields, {"a.QA02", "a.QA15", "a.QB05", "a.QB07", "a.QB11"});
  totals.sum_ticks = Places(dictionary.sum_fields,
                            {"a.QC02", "a.QC04", "a.QC05", "a.QC06", "a.QC07", "a.QC09", "a.QC10", "a.QC49",
                             "a.QC11", "a.QC12", "a.QC13", "a.QC14", "a.QC22", "a.QC24", "a.QC31", "b.QE14",
                             "b.QE15", "b.QE16", "b.QE_ONE", "a.Qa_one"});
  query::QueryChoices listing;
  listing.dictionary = &dictionary;
  listing.query_ticks = Places(dictionary.query_fields, {"a.QA01", "a.QA04", "a.QC05", "a.QC02"});
  listing.and_conditions = {{"a.QC05 > 1000", "\"kfq_1.db\" a"}, {"a.QC02 < 80000", "\"kfq_1.db\" a"}};
  listing.or_conditions = {{"a.QA15 <> '3'", "\"kfq_1.db\" a"}};
  const auto& captions = dictionary.query_fields;
  listing.sort = {{captions[listing.query_ticks[2]].caption, true}, {captions[listing.query_ticks[0]].caption, false}};
  const std::vector<std::vector<std::string>> statements = {query::BuildTotalsStatement(totals),
                                                            query::BuildQueryStatement(listing)};
  const char* const names[] = {"totals: 5 groups, 20 sums, kfq_1 x kfq_2", "query: 3 conditions, order by"};

  sqlite3* db = OpenSqliteWorkload(data);

  int status = 0;
  for (std::size_t s = 0; s < statements.size(); ++s) {
    const std::vector<std::string> text = {Joined(statements[s])};
    RunOurs(database, statements[s]);  // reads the tables once
    // Rounds alternate, so that a busy machine weighs on both sides alike.
    double ours = 0;
    double theirs = 0;
    std::size_t ours_rows = 0;
    std::size_t sqlite_rows = 0;
    for (int round = 0; round < kRounds; ++round) {
      auto start = std::chrono::steady_clock::now();
      ours_rows = RunOurs(database, statements[s]);
      ours += SecondsSince(start);
      start = std::chrono::steady_clock::now();
      sqlite_rows = RunSqlite(db, text);
      theirs += SecondsSince(start);
    }
    std::printf("%s\nrows: ours %zu, sqlite %zu\n", text.front().c_str(), ours_rows, sqlite_rows);
    ReportRatio(names[s], ours, theirs);
    if (ours_rows != sqlite_rows) status = 1;
  }
  sqlite3_close(db);
  fs::remove_all(folder);
  return status;
}
