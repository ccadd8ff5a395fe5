// Backup and restore of the enterprise tables (kfq_1.db with 20,000
// records, kfq_2.db with 60,000, kfq_5.db) beside a plain `cp` of the
// same files in the same run, once as it is and once followed by `sync`
// of the copies, since every copy of ours reaches the disk before it
// replaces its target. Each time is the best of five rounds.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/common/kfq1_workload.h"
#include "exchange/report_transfer.h"
#include "platform/formats/table_file.h"
#include "schema/schema.h"

namespace fs = std::filesystem;
using namespace veltra;
using namespace veltra::bench;

namespace {

constexpr int kRounds = 5;
constexpr const char* kTables[] = {"kfq_1.db", "kfq_2.db", "kfq_5.db"};

// Backup and restore ask nothing.
class NoPrompts : public mainunit::Prompts {
 public:
  void Notice(const std::string&, const std::string&) override {}
  void Error(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  bool Execute(ui::FileDialog&) override { return false; }
};

double Best(const std::function<void()>& work) {
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, SecondsSince(start));
  }
  return best;
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

void PrintLine(const char* what, double ours, const char* other_name, double other) {
  std::printf("%-32s ours %7.3f s   %-8s %7.3f s   ratio %5.2f\n", what, ours, other_name, other, ours / other);
}

}  // namespace

int main() {
  char pattern[] = "/tmp/veltra_backup_bench_XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  fs::create_directory(folder / "bak");
  fs::create_directory(folder / "copies");
  const Kfq1Data data = MakeKfq1Data(kMasterRecords, 2011);
  formats::CreateTableFile(folder / kMasterTable, formats::TableKind::Paradox, data.master_fields, data.master);
  formats::CreateTableFile(folder / kDetailTable, formats::TableKind::Paradox, data.detail_fields, data.detail);
  formats::CreateTableFile(folder / "kfq_5.db", formats::TableKind::Paradox, schema::FindTable("kfq_5.db")->fields);
  std::uintmax_t bytes = 0;
  std::string sources;
  std::string copies;
  for (const char* table : kTables) {
    bytes += fs::file_size(folder / table);
    sources += " " + (folder / table).string();
    copies += " " + (folder / "copies" / table).string();
  }
  std::printf("enterprise tables: %.1f MB in %zu files\n", static_cast<double>(bytes) / 1e6, std::size(kTables));

  mainunit::MainUnit unit(folder);
  unit.SendBaseDir = folder.string() + "/";
  NoPrompts prompts;
  db::Table table(unit.Database1);
  exchange::ReportTransfer transfer(unit, prompts, table);
  std::vector<bool> enterprises(exchange::kReportItemCount, false);
  enterprises[0] = true;

  const double backup = Best([&] { transfer.TransferReportTables(exchange::TransferMode::Backup, enterprises); });
  const double restore = Best([&] { transfer.TransferReportTables(exchange::TransferMode::Restore, enterprises); });
  const std::string cp = "cp" + sources + " " + (folder / "copies").string();
  const double plain_cp = Best([&] { Shell(cp); });
  const double synced_cp = Best([&] { Shell(cp + " && sync" + copies); });

  PrintLine("backup", backup, "cp", plain_cp);
  PrintLine("backup", backup, "cp+sync", synced_cp);
  PrintLine("restore", restore, "cp", plain_cp);
  PrintLine("restore", restore, "cp+sync", synced_cp);
  fs::remove_all(folder);
  return 0;
}
