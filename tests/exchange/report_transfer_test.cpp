// Backup, restore, export and the submission folder on an installed folder.
#include "exchange/report_transfer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "entry/kfq.h"
#include "exchange/renumbering.h"
#include "exchange/submission.h"
#include "tests/exchange/installed_folder.h"

namespace veltra::exchange {
namespace {

namespace fs = std::filesystem;

std::vector<bool> Only(std::initializer_list<std::size_t> items) {
  std::vector<bool> ticked(kReportItemCount, false);
  for (std::size_t item : items) ticked[item] = true;
  return ticked;
}

class ReportTransferTest : public InstalledFolderTest {
 protected:
  // The bytes of every file of `item` that backup and restore carry.
  std::map<std::string, std::string> ItemFiles(const ReportItem& item) {
    std::map<std::string, std::string> files;
    for (const std::string& table : item.tables) {
      files[table] = Bytes(work / table);
      files[fs::path(table).stem().string() + ".mb"] = Bytes(work / (fs::path(table).stem().string() + ".mb"));
    }
    for (const std::string& companion : item.companions) files[companion] = Bytes(work / companion);
    return files;
  }
  // Record count and first column of a dBase file as Debian's dbfread reads them.
  std::string ReadWithDbfread(const fs::path& dbf) {
    const std::string command = "/usr/bin/python3 -c \"import sys, dbfread; t = dbfread.DBF(sys.argv[1], "
                                "encoding='gbk'); rows = list(t); print(len(rows), [list(r.values())[0] for r in "
                                "rows])\" " + dbf.string() + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ::pclose(pipe);
    return out;
  }
  std::string DbfreadExpectation(const fs::path& table) {
    const auto records = formats::OpenTableFile(table)->ReadAll();
    std::string out = std::to_string(records.size()) + " [";
    for (std::size_t i = 0; i < records.size(); ++i) {
      out += (i ? ", '" : "'") + records[i][0].ToDisplayText() + "'";
    }
    return out + "]\n";
  }

  db::Table table{unit->Database1};
  ReportTransfer transfer{*unit, prompts, table};
};

TEST_F(ReportTransferTest, EveryItemComesBackByteForByteAfterADamagedFolder) {
  ASSERT_FALSE(Bytes(work / "sjgxq.mb").empty());  // the remark is a memo
  for (std::size_t i = 0; i < kReportItemCount; ++i) {
    const ReportItem& item = ReportItems()[i];
    // The engine keeps no index files, but a folder from elsewhere may hold them.
    for (const std::string& companion : item.companions) {
      if (fs::exists(work / (fs::path(companion).stem().string() + ".db"))) Write(work / companion, "index " + companion);
    }
    const auto before = ItemFiles(item);
    transfer.TransferReportTables(TransferMode::Backup, Only({i}));
    for (const std::string& table_file : item.tables) {
      if (before.at(table_file).empty()) {
        EXPECT_FALSE(fs::exists(work / "bak" / table_file)) << table_file;
      }
    }

    for (const auto& [file, bytes] : before) {
      if (!bytes.empty()) Write(work / file, "damaged");
    }
    transfer.TransferReportTables(TransferMode::Restore, Only({i}));
    for (const auto& [file, bytes] : before) EXPECT_EQ(Bytes(work / file), bytes) << file;
  }
  EXPECT_EQ(Records(work / "sjgxq.db").front().find("示例数据，仅供试用") != std::string::npos, true);
}

TEST_F(ReportTransferTest, CompanionsFollowTheirTableAndNeverOutliveIt) {
  Write(work / "bak" / "kfq_1.xg0", "older index");
  transfer.TransferReportTables(TransferMode::Backup, Only({0, 2}));  // both name the same tables
  EXPECT_FALSE(fs::exists(work / "bak" / "kfq_1.xg0"));                // the working folder has none

  // Files of the current generation that the backup lacks.
  for (const char* file : {"kfq_1.px", "kfq_1.mb", "kfq_2.val", "kfq_5.px"}) Write(work / file, "current");
  fs::remove(work / "bak" / "kfq_5.db");
  transfer.TransferReportTables(TransferMode::Restore, Only({0}));
  for (const char* file : {"kfq_1.px", "kfq_1.mb", "kfq_2.val"}) EXPECT_FALSE(fs::exists(work / file)) << file;
  EXPECT_EQ(Bytes(work / "kfq_5.px"), "current");  // its table stays as it is, so does it
}

TEST_F(ReportTransferTest, ATableThatExistsButCannotBeReadEndsTheOperationNamingIt) {
  fs::remove(work / "kfq_2.db");
  fs::create_directory(work / "kfq_2.db");
  try {
    transfer.TransferReportTables(TransferMode::Backup, Only({0, 1}));
    ADD_FAILURE() << "the unreadable table was passed over";
  } catch (const EngineError& error) {
    EXPECT_NE(std::string(error.what()).find((work / "kfq_2.db").string()), std::string::npos) << error.what();
  }
  EXPECT_TRUE(fs::exists(work / "bak" / "kfq_1.db"));
  EXPECT_FALSE(fs::exists(work / "bak" / "kfqzh.db")) << "the operation went on after the failure";
}

TEST_F(ReportTransferTest, ExportWritesTheChosenFormatAndSkipsOnlyWhatIsCancelled) {
  const fs::path out = folder() / "out";
  fs::create_directory(out);
  // Items 0 and 2 ask for the enterprise tables twice; a name without
  // extension is a Paradox table; kfqzh's dialog is cancelled.
  prompts.files = {(out / "kfq_1.dbf").string(), (out / "kfq_2.DBF").string(), (out / "kfq_5.dbf").string(),
                   "",
                   (out / "kfq_1_2").string(), (out / "kfq_2.db").string(), (out / "kfq_5.txt").string()};
  for (const char* stem : {"gjxm", "gj_wsb", "tzjg", "rjjd", "rjjdqy", "rjjdqycp", "dx", "dxzfqy", "dxxm",
                           "dxzfqyxm", "fhq", "fhqzfqy", "tsjd", "sjgxq"}) {
    prompts.files.push_back((out / (std::string(stem) + ".dbf")).string());
  }
  transfer.TransferReportTables(TransferMode::Export, std::vector<bool>(kReportItemCount, true));

  ASSERT_EQ(prompts.dialog_titles.size(), 21u);
  EXPECT_EQ(prompts.dialog_titles[3], "保存高新区综合情况库  文件名：kfqzh.dbf");
  EXPECT_EQ(prompts.dialog_titles[4], prompts.dialog_titles[0]);
  EXPECT_EQ(prompts.dialog_titles[15], "大学科技园项目库（大学园填）  文件名：dxxm.dbf");
  EXPECT_EQ(unit->SaveDialog1.file_name, (out / "sjgxq.dbf").string());
  EXPECT_FALSE(fs::exists(out / "kfqzh.dbf"));
  EXPECT_FALSE(fs::exists(out / "dxzfqyxm.dbf"));  // no such table in the working folder

  const std::vector<std::pair<std::string, std::string>> written = {
      {"kfq_1.dbf", "kfq_1.db"}, {"fhqzfqy.dbf", "fhqzfqy.db"}, {"kfq_2.DBF", "kfq_2.db"}, {"kfq_1_2.db", "kfq_1.db"}, {"kfq_5.txt", "kfq_5.db"},
      {"gjxm.dbf", "gjxm.db"},   {"rjjdqycp.dbf", "rjjdqycp.db"}, {"sjgxq.dbf", "sjgxq.db"}};
  for (const auto& [file, source] : written) {
    EXPECT_EQ(Records(out / file).size(), Records(work / source).size()) << file;
    if (fs::path(file).extension() != ".txt") {
      EXPECT_EQ(Records(out / file), Records(work / source)) << file;
    }
  }
  EXPECT_EQ(formats::OpenTableFile(out / "kfq_2.DBF")->kind(), formats::TableKind::DBase);
  // The wide tables: a record of more than 4000 bytes, a name cut to ten characters.
  ASSERT_FALSE(Records(work / "kfq_1.db").empty());
  ASSERT_FALSE(Records(work / "fhqzfqy.db").empty());
  for (const char* file : {"kfq_1.dbf", "fhqzfqy.dbf", "kfq_2.DBF", "gjxm.dbf", "sjgxq.dbf"}) {
    EXPECT_EQ(ReadWithDbfread(out / file), DbfreadExpectation(out / file)) << file;
  }
  const FieldDefs fhqzfqy = formats::OpenTableFile(out / "fhqzfqy.dbf")->fields();
  EXPECT_TRUE(std::any_of(fhqzfqy.begin(), fhqzfqy.end(), [](const FieldDef& f) { return f.name == "Fhqzfqy_on"; }));
  const std::string record_length = formats::ReadWholeFile(out / "kfq_1.dbf").substr(10, 2);
  EXPECT_GT(static_cast<unsigned char>(record_length[0]) | static_cast<unsigned char>(record_length[1]) << 8, 4000);
}

TEST_F(ReportTransferTest, TheWorkingTablesThemselvesAreNeverTargets) {
  fs::create_directory_symlink(work, folder() / "alias");
  const auto before = ItemFiles(ReportItems()[0]);
  for (const fs::path& self : {work / "KFQ_1.DB", folder() / "alias" / "kfq_1.db"}) {
    prompts.files = {self.string()};
    EXPECT_THROW(transfer.TransferReportTables(TransferMode::Export, Only({0})), EngineError) << self;
  }
  for (const fs::path& self : {work, folder() / "alias"}) {
    try {
      WriteSubmission(transfer, self.string());
      ADD_FAILURE() << "submitted into " << self;
    } catch (const EngineError& refusal) {
      EXPECT_NE(std::string(refusal.what()).find("gjxm.db"), std::string::npos) << refusal.what();
    }
  }
  EXPECT_EQ(ItemFiles(ReportItems()[0]), before);
}

TEST_F(ReportTransferTest, ASubmissionIsReadBackByTheReceivingOffice) {
  const fs::path out = folder() / "submission";
  fs::create_directory(out);
  // Left there by an earlier table of another origin.
  for (const char* file : {"kfq_1.VAL", "kfq_1.xg0", "kfq_1.yg12", "kfq_1.xls"}) Write(out / file, "old");
  WriteSubmission(transfer, out.string());  // no trailing separator: one is added
  EXPECT_TRUE(fs::remove(out / "kfq_1.xls"));  // not a table's companion: kept
  std::set<std::string> expected(kSubmissionTables.begin(), kSubmissionTables.end());
  expected.erase("fhqxm.db");  // not in the working folder
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".mb") continue;
    files.insert(name);
    EXPECT_EQ(Records(entry.path()), Records(work / name)) << name;
    EXPECT_EQ(formats::OpenTableFile(entry.path())->kind(), formats::TableKind::Paradox);
  }
  EXPECT_EQ(files, expected);

  // Another office's folder imports the enterprises with their products and projects.
  const fs::path office = folder() / "office";
  install::CreateWorkingFolder(office);
  mainunit::MainUnit receiving(office);
  prompts.files = {(out / "kfq_1.db").string()};
  entry::KfqEntry kfq(receiving, prompts);
  kfq.Activate();
  Renumbering dialog(receiving);
  kfq.ImportSubmission([&] {
    dialog.Activate();
    EXPECT_TRUE(dialog.CheckAndApply());
    dialog.Close();
  });
  kfq.Close();
  for (const char* table_file : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) {
    EXPECT_EQ(Records(office / table_file), Records(work / table_file)) << table_file;
  }
}

}  // namespace
}  // namespace veltra::exchange
