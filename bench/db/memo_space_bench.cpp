// Memo space over repeated posts: a provincial-zone table (sjgxq.db) of
// 30 records, each with a 600-byte remark, then 100 posts that each change
// only one record's remark. Prints the .mb size before and after and the
// live memo bytes, beside SQLite's file size for the same updates.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/kfq1_workload.h"
#include "bench/common/sqlite_mirror.h"
#include "platform/db/database.h"
#include "platform/db/table.h"
#include "platform/formats/table_file.h"
#include "schema/schema.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr const char* kTable = "sjgxq.db";
constexpr const char* kMemoField = "Bz";
constexpr int kRecords = 30;
constexpr int kPosts = 100;
constexpr std::size_t kRemarkBytes = 600;

std::string Remark(int version) { return std::string(kRemarkBytes, static_cast<char>('a' + version % 26)); }

std::uintmax_t SqliteSizeAfterUpdates(const fs::path& file, const FieldDefs& fields, const std::vector<Row>& rows,
                                      std::uintmax_t& before) {
  sqlite3* db = OpenSqlite(file);
  LoadSqlite(db, "sjgxq", fields, rows);
  sqlite3_close(db);
  before = fs::file_size(file);
  db = OpenSqlite(file);
  for (int post = 0; post < kPosts; ++post) {
    const std::string sql = "update sjgxq set " + std::string(kMemoField) + " = '" + Remark(post + 1) +
                            "' where rowid = " + std::to_string(post % kRecords + 1);
    CheckSqlite(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db);
  }
  sqlite3_close(db);
  return fs::file_size(file);
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("memo_space_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const FieldDefs& fields = schema::FindTable(kTable)->fields;
  const auto column = [&](const std::string& name) {
    std::size_t c = 0;
    while (fields[c].name != name) ++c;
    return c;
  };
  // The key, the zone's name and its remark; the figures stay blank.
  std::vector<Row> rows(kRecords, Row(fields.size()));
  for (int r = 0; r < kRecords; ++r) {
    rows[r][column("Id")] = Value::Text(std::to_string(100 + r));
    rows[r][column("Code")] = Value::Text(std::to_string(100 + r));
    rows[r][column("Mc")] = Value::Text("省级高新区" + std::to_string(r));
    rows[r][column(kMemoField)] = Value::Text(Remark(0));
  }
  formats::CreateTableFile(dir / kTable, formats::TableKind::Paradox, fields, rows);
  const fs::path memo_file = dir / "sjgxq.mb";
  const std::uintmax_t before = fs::file_size(memo_file);

  {
    db::Database database(dir);
    db::Table table(database);
    table.SetTableName(kTable);
    table.Open();
    for (int post = 0; post < kPosts; ++post) {
      if (post % kRecords == 0) table.First();
      else table.Next();
      table.Edit();
      table.FieldByName(kMemoField).SetAsString(Remark(post + 1));
      table.Post();
    }
    table.Close();
  }
  const std::uintmax_t after = fs::file_size(memo_file);
  const std::uintmax_t live = kRecords * kRemarkBytes;
  std::uintmax_t sqlite_before = 0;
  const std::uintmax_t sqlite_after = SqliteSizeAfterUpdates(dir / "sjgxq.sqlite", fields, rows, sqlite_before);
  std::printf("%d posts changing %s of %d records (%zu-byte memos, %ju live memo bytes)\n", kPosts, kMemoField,
              kRecords, kRemarkBytes, live);
  std::printf("sjgxq.mb: %ju bytes before, %ju after (%.2fx the live memo bytes)\n", before, after,
              static_cast<double>(after) / static_cast<double>(live));
  const std::uintmax_t ours = fs::file_size(dir / kTable) + after;
  std::printf("SQLite file: %ju bytes before, %ju after; ours (sjgxq.db + .mb) after %ju bytes, %.2fx SQLite\n",
              sqlite_before, sqlite_after, ours, static_cast<double>(ours) / static_cast<double>(sqlite_after));
  fs::remove_all(dir);
  return after <= 4 * before ? 0 : 1;
}
