// Backup, restore, export and the submission folder on an installed folder.
#include "exchange/report_transfer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "entry/kfq.h"
#include "exchange/renumbering.h"
#include "exchange/submission.h"
#include "dbtool/save_data_set_as_table.h"
#include "platform/db/query.h"
#include "platform/formats/table_file.h"
#include "platform/ui/error_text.h"
#include "tests/exchange/installed_folder.h"
#include "tests/support/file_io_probe.h"

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
  // The run's tables are one set: none of them was put in place.
  EXPECT_FALSE(fs::exists(work / "bak" / "kfq_1.db"));
  EXPECT_EQ(std::distance(fs::directory_iterator(work / "bak"), fs::directory_iterator()), 0);
}

// bak\ may come from elsewhere: a table there that is a symbolic link is
// not replaced by a backup, and the refusal names it.
TEST_F(ReportTransferTest, ALinkedTableInTheBackupFolderIsNotReplaced) {
  const fs::path outside = folder() / "outside.db", link = work / "bak" / "kfqzh.db";
  Write(outside, "outside");
  fs::create_symlink(outside, link);
  try {
    transfer.TransferReportTables(TransferMode::Backup, Only({1}));
    ADD_FAILURE() << "replaced the link";
  } catch (const EngineError& refusal) {
    EXPECT_NE(ui::UserText(refusal).find("“" + link.string() + "”是符号链接"), std::string::npos) << ui::UserText(refusal);
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Bytes(outside), "outside");
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

using veltra::testing::CrashSimulator;
using veltra::testing::FolderImage;

class TransferCrashTest : public ReportTransferTest {
 protected:
  const std::vector<fs::path> folders{work, work / "bak"};
  const ReportItem& item = ReportItems()[10];  // sjgxq: a memo file and four companions

  // The files of sjgxq in both folders as the next open sees them.
  std::map<fs::path, std::string> Settled() {
    std::map<fs::path, std::string> files;
    for (const fs::path& folder : folders) {
      if (!fs::exists(folder / "sjgxq.db")) continue;
      Records(folder / "sjgxq.db");  // recovers what a crash left
      for (const char* name : {"sjgxq.db", "sjgxq.mb"}) files[folder / name] = Bytes(folder / name);
      for (const std::string& companion : item.companions) files[folder / companion] = Bytes(folder / companion);
    }
    return files;
  }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const fs::path& folder : folders) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string()[0] == '.') names.push_back(entry.path().string());
      }
    }
    return names;
  }
  void KillWhen(const std::function<void()>& action, const std::function<bool(const FolderImage&)>& wanted) {
    ASSERT_TRUE(veltra::testing::KillWhen(folders, action, wanted)) << "the wanted state never came";
  }
};

// Backup and restore stopped at every write, sync and rename, by a kill, a
// power cut (with or without the table's unsynced writes on the disk) or
// a failed operation: each folder then holds its old generation of sjgxq
// or the new one, whole, also when the restored table had a group or a
// replacement cut short; and after a kill or failure the next run
// completes, leaving nothing of the stopped one behind.
TEST_F(TransferCrashTest, AStopAnywhereInBackupOrRestoreLeavesWholeGenerations) {
  for (const auto& entry : fs::directory_iterator(work)) {
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with("sjgxq")) fs::remove(entry.path());
  }
  for (const std::string& companion : item.companions) Write(work / companion, "backed up " + companion);
  transfer.TransferReportTables(TransferMode::Backup, Only({10}));
  for (const std::string& companion : item.companions) Write(work / companion, "current " + companion);
  fs::remove(work / "sjgxq.yg0");
  db::Query edit(unit->Database1);
  edit.SQL.Add("update \"sjgxq.db\" set Mc = '当前的名称'");
  edit.ExecSQL();
  const FolderImage base = veltra::testing::ImageOf(folders);

  const fs::path journal = work / ".sjgxq.db.rollback";
  const fs::path intent = work / ".sjgxq.db.replace";
  const std::function<void()> rename_all = [&] {
    auto file = formats::OpenTableFile(work / "sjgxq.db");
    std::vector<formats::Record> records = file->ReadAll();
    file->WriteAllOrNothing([&] {
      for (std::size_t i = 0; i < records.size(); ++i) {
        records[i][2] = Value::Text("改到一半的名称");
        file->Overwrite(i, records[i]);
      }
    });
  };
  const std::function<void()> rewrite = [&] {
    const auto file = formats::OpenTableFile(work / "sjgxq.db");
    formats::CreateTableFile(work / "sjgxq.db", formats::TableKind::Paradox, file->fields(), {});
  };
  const struct {
    const char* what;
    TransferMode mode;
    std::function<void()> setup;
  } cases[] = {
      {"backup", TransferMode::Backup, [] {}},
      {"restore", TransferMode::Restore, [] {}},
      {"restore over a group cut short", TransferMode::Restore,
       [&] {
         KillWhen(rename_all, [&](const FolderImage& image) {
           return image.count(journal) && image.at(journal).size() > 8 && image.at(work / "sjgxq.db") != base.at(work / "sjgxq.db");
         });
       }},
      {"restore over a replacement cut short", TransferMode::Restore,
       [&] { KillWhen(rewrite, [&](const FolderImage& image) { return image.count(intent) > 0; }); }},
  };
  const auto run = [&](TransferMode mode) { transfer.TransferReportTables(mode, Only({10})); };
  for (const auto& c : cases) {
    veltra::testing::RestoreImage(folders, base);
    c.setup();
    const FolderImage start = veltra::testing::ImageOf(folders);
    const auto before = Settled();
    veltra::testing::RestoreImage(folders, start);
    run(c.mode);
    const auto after = Settled();
    ASSERT_NE(before, after) << c.what;
    for (const auto crash : {CrashSimulator::Crash::Kill, CrashSimulator::Crash::PowerCut,
                             CrashSimulator::Crash::PowerCutTablesWritten, CrashSimulator::Crash::Failure}) {
      for (int stop_at = 1;; ++stop_at) {
        veltra::testing::RestoreImage(folders, start);
        FolderImage image;
        bool stopped = false;
        {
          CrashSimulator stop(folders, crash, stop_at);
          try {
            run(c.mode);
          } catch (const EngineError&) {
          }
          stopped = stop.stopped();
          image = stop.Image();
        }
        veltra::testing::RestoreImage(folders, image);
        const std::string where = std::string(c.what) + ", stop " + std::to_string(static_cast<int>(crash)) + " at " + std::to_string(stop_at);
        std::map<fs::path, std::string> seen;
        ASSERT_NO_THROW(seen = Settled()) << where;
        ASSERT_TRUE(seen == before || seen == after) << where;
        if (crash != CrashSimulator::Crash::Kill && crash != CrashSimulator::Crash::Failure) {
          if (!stopped) break;
          continue;
        }
        run(c.mode);
        ASSERT_EQ(Settled(), after) << where;
        ASSERT_EQ(Leftovers(), std::vector<std::string>()) << where;
        if (!stopped) break;
      }
    }
  }
}

// Backup, restore and a submission of two tables stopped at every point by
// a kill or a power cut, with or without the writes since the last sync on
// the disk in any order: whichever table is opened first, the target holds
// both tables of the old generation or both of the new one.
TEST_F(TransferCrashTest, ARunsTablesAreReplacedAsOneSet) {
  const std::vector<bool> ticked = Only({1, 4});
  const std::vector<std::string> tables = {"kfqzh.db", "gj_wsb.db"};
  for (const char* name : kSubmissionTables) {
    if (std::find(tables.begin(), tables.end(), name) == tables.end()) fs::remove(work / name);
  }
  transfer.TransferReportTables(TransferMode::Backup, ticked);
  for (const std::string& name : tables) {
    db::Query edit(unit->Database1);
    edit.SQL.Add("delete from \"" + name + "\"");
    edit.ExecSQL();
  }
  const FolderImage base = veltra::testing::ImageOf(folders);
  const struct {
    const char* what;
    fs::path target;
    std::function<void()> run;
  } runs[] = {
      {"backup", work / "bak", [&] { transfer.TransferReportTables(TransferMode::Backup, ticked); }},
      {"restore", work, [&] { transfer.TransferReportTables(TransferMode::Restore, ticked); }},
      {"submission", work / "bak", [&] { WriteSubmission(transfer, (work / "bak").string()); }},
  };
  for (const auto& r : runs) {
    const auto generation = [&](bool second_first) {
      std::vector<std::vector<std::string>> records;
      for (std::size_t t = 0; t < tables.size(); ++t) records.push_back(Records(r.target / tables[second_first ? tables.size() - 1 - t : t]));
      if (second_first) std::reverse(records.begin(), records.end());
      return records;
    };
    veltra::testing::RestoreImage(folders, base);
    const auto before = generation(false);
    r.run();
    const auto after = generation(false);
    ASSERT_NE(before, after);
    for (const auto crash : {CrashSimulator::Crash::Kill, CrashSimulator::Crash::PowerCut, CrashSimulator::Crash::PowerCutAnyWrites}) {
      int mixed = 0, states = 0;
      for (int stop_at = 1;; ++stop_at) {
        veltra::testing::RestoreImage(folders, base);
        std::vector<FolderImage> images;
        {
          CrashSimulator stop(folders, crash, stop_at);
          try {
            r.run();
          } catch (const EngineError&) {
          }
          if (stop.stopped()) images = stop.Images();
        }
        if (images.empty()) break;
        for (const FolderImage& image : images) {
          veltra::testing::RestoreImage(folders, image);
          const auto seen = generation(stop_at % 2 == 0);
          ++states;
          mixed += seen != before && seen != after;
        }
      }
      EXPECT_EQ(mixed, 0) << "of " << states << " states, " << r.what << ", crash " << static_cast<int>(crash);
    }
  }
}

// A table the user may not write is not replaced either: packing,
// emptying, saving a result over it and restoring it are refused in
// Chinese, naming the file, and the table stays as it was.
TEST_F(ReportTransferTest, AReadOnlyTableIsNeverReplaced) {
  transfer.TransferReportTables(TransferMode::Backup, Only({10}));
  db::Database& database = unit->Database1;
  const std::string before = Bytes(work / "sjgxq.db");
  const struct {
    const char* what;
    std::function<void()> action;
  } cases[] = {
      {"pack", [&] { database.PackTable("sjgxq.db"); }},
      {"empty", [&] { database.EmptyTable("sjgxq.db"); }},
      {"save as",
       [&] {
         db::Query query(database);
         query.SQL.Add("select * from \"sjgxq.db\"");
         query.Open();
         dbtool::SaveDataSetAsTable(database, query, nullptr, "sjgxq.db");
       }},
      {"restore", [&] { transfer.TransferReportTables(TransferMode::Restore, Only({10})); }},
  };
  for (const auto& c : cases) {
    veltra::testing::FileIoProbe probe("sjgxq.db");
    probe.read_only = true;
    try {
      c.action();
      ADD_FAILURE() << c.what << " replaced a read-only table";
    } catch (const EngineError& refusal) {
      const std::string text = ui::UserText(refusal);
      EXPECT_NE(text.find("表sjgxq.db读写失败：没有读写权限"), std::string::npos) << c.what << ": " << text;
    }
    EXPECT_EQ(Bytes(work / "sjgxq.db"), before) << c.what;
  }
}

// Export and submission names that name no file are refused in Chinese
// and create nothing; a missing folder is named as missing.
TEST_F(ReportTransferTest, TargetsThatNameNoFileAreRefused) {
  const auto listing = [&] {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder())) files.insert(entry.path());
    return files;
  };
  const std::set<fs::path> files_before = listing();
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {
      {"a\nb.db", "控制字符"}, {"a\rb.db", "控制字符"},  {"a\tb.db", "控制字符"},         {"a\ab.db", "控制字符"},
      {"a\x1b.db", "控制字符"}, {std::string("nul\0x.db", 8), "控制字符"}, {"", "没有给出文件名"},
      {".", "不是可用的文件名"}, {"..", "不是可用的文件名"},      {"bak/", "以目录分隔符结尾"}, {"bak\\", "以目录分隔符结尾"},
      {"nosuch/kfqzh.dbf", "目录" + (work / "nosuch").string() + "不存在"},
  };
  for (const auto& c : cases) {
    try {
      if (c.name.empty()) {
        transfer.TransferTableFile("kfqzh.db", c.name, TransferMode::Submission);  // the dialog takes no empty name
      } else {
        prompts.files = {c.name};
        transfer.TransferReportTables(TransferMode::Export, Only({1}));
      }
      ADD_FAILURE() << "exported to " << c.name;
    } catch (const EngineError& refusal) {
      const std::string text = ui::UserText(refusal);
      EXPECT_NE(text.find(c.reason), std::string::npos) << text;
      EXPECT_NE(text.find("kfqzh.db"), std::string::npos) << text;
    }
  }
  EXPECT_EQ(listing(), files_before);
}

}  // namespace
}  // namespace veltra::exchange
