// Import by key, append from files and the import of a submission.
#include <algorithm>
#include <set>

#include "exchange/renumbering.h"
#include "platform/formats/table_file.h"
#include "platform/types/error.h"
#include "tests/entry/entry_test_support.h"
#include "tests/support/file_io_probe.h"

namespace veltra::entry::testing {
namespace {

class ImportTest : public KfqTest {
 protected:
  void SetUp() override {
    kfq.Activate();
    AddEnterprise("110001", "L1", "甲");
    AddDetailRow(0, {{"QE01", "1"}, {"QE02", "旧产品"}});
    std::filesystem::create_directory(folder() / "in");
    for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) CreateEmpty(std::string("in\\") + name, name);
    AddRows("in\\kfq_1.db", {{{"QA01", "110001"}, {"QA03", "L1"}, {"QA04", "甲(新名)"}, {"QC05", "12"}},
                             {{"QA01", "110002"}, {"QA03", "L2"}, {"QA04", "乙"}}});
    AddRows("in\\kfq_2.db", {{{"QA01", "110001"}, {"QE01", "1"}, {"QE02", "新产品"}},
                             {{"QA01", "110002"}, {"QE01", "1"}, {"QE02", "乙产品"}}});
    AddRows("in\\kfq_5.db", {{{"Qa01", "110002"}, {"Qh00", "1"}, {"Xmmc", "乙项目"}}});
  }
  std::string In(const char* name) { return (folder() / "in" / name).string(); }
};

TEST_F(ImportTest, ExistingRecordsAreUpdatedInPlaceAndNewOnesAppended) {
  AddRows("kfq1_chk.db", {{{"field_name", "QC05"}, {"field_value", "QC05>100"}, {"field_text", "太小"},
                           {"status", "错误"}}});
  kfq.Close();
  kfq.Activate();  // the rule refuses every imported record unless suspended
  prompts.files = {In("kfq_1.db"), In("kfq_2.db"), In("kfq_5.db")};
  prompts.answers = {false, false, false};
  kfq.AppendFromFiles();
  EXPECT_EQ(prompts.dialog_titles, (std::vector<std::string>{"请选择企业数据库  文件名:kfq_1.db",
                                                              "请选择产品数据库  文件名:kfq_2.db",
                                                              "请选择科技项目情况数据库  文件名:kfq_5.db"}));
  EXPECT_EQ(prompts.questions[0].text, "是否清空企业数据库");
  EXPECT_EQ(prompts.questions[0].title, "");
  EXPECT_EQ(Column("kfq_1.db", "Id"), (std::vector<std::string>{"110001", "110002"}));
  EXPECT_EQ(Column("kfq_1.db", "QA04"), (std::vector<std::string>{"甲(新名)", "乙"}));
  EXPECT_EQ(Column("kfq_1.db", "QC02"), (std::vector<std::string>{"0", "0"}));  // null numbers become 0
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1", "110002_1"}));
  EXPECT_EQ(Column("kfq_2.db", "QE02"), (std::vector<std::string>{"新产品", "乙产品"}));
  EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110002_1"}));
  EXPECT_EQ(Column("kfq_5.db", "Qh_one"), (std::vector<std::string>{"1"}));
  // Afterwards the window is as before: constraints in force, links and order back.
  EXPECT_FALSE(kfq.Master().ConstraintsDisabled());
  EXPECT_EQ(kfq.Detail(0).MasterFields(), "QA01");
  EXPECT_EQ(kfq.Master().IndexFieldNames(), "Id");
  EXPECT_TRUE(kfq.DetailPostOn());
  EXPECT_FALSE(kfq.View().progress.visible);
  EXPECT_EQ(kfq.CurrentTable(), &kfq.Master());
  EXPECT_EQ(kfq.View().page, 0);
  // Importing again adds nothing.
  prompts.files = {In("kfq_1.db"), In("kfq_2.db"), In("kfq_5.db")};
  kfq.AppendFromFiles();
  EXPECT_EQ(Column("kfq_1.db", "Id").size(), 2u);
  EXPECT_EQ(Column("kfq_2.db", "ID").size(), 2u);
}

TEST_F(ImportTest, AFailedMasterRecordStopsTheImportAndLeavesTheWindowWorking) {
  AddRows("in\\kfq_1.db", {{{"QA01", "110003"}, {"QA03", "L1"}, {"QA04", "丙"}}});  // legal-person code taken
  prompts.files = {In("kfq_1.db")};
  try {
    kfq.AppendFromFiles();
    ADD_FAILURE() << "the clash was imported";
  } catch (const EngineError& error) {
    EXPECT_STREQ(error.what(), "企业数据错误:企业法人代码重复,请退出系统查检查重复记录");
  }
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001", "110002"}));
  EXPECT_FALSE(kfq.Master().ConstraintsDisabled());
  EXPECT_TRUE(kfq.DetailPostOn());
  EXPECT_FALSE(kfq.View().progress.visible);
  EXPECT_FALSE(main().Table1.Active());
  AddEnterprise("110005", "L5", "戊");  // the window goes on working
  EXPECT_EQ(Column("kfq_1.db", "QA01").size(), 3u);
}

TEST_F(ImportTest, EmptyingWaitsForAnImportableSourceFile) {
  CreateEmpty("in\\wrong.db", "sendname.db");
  prompts.files = {In("wrong.db")};
  prompts.answers = {true};
  EXPECT_THROW(kfq.AppendFromFiles(), EngineError);
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001"}));
  prompts.files = {"", In("kfq_2.db")};  // enterprise dialog cancelled: that table is skipped
  prompts.answers = {true};
  kfq.AppendFromFiles();
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001"}));
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1", "110002_1"}));
  EXPECT_EQ(Column("kfq_2.db", "QE02")[0], "新产品");
}

// A cut anywhere in an import, a kill or a power cut of any of the three
// kinds, leaves each table readable and as it was or as imported, and once
// the import has ended, all of it. Each enterprise's record spans disk
// sectors, and two of them are updated in place.
TEST_F(ImportTest, ACutAnywhereLeavesEveryRecordWholeAndAnEndedImportOnTheDisk) {
  using veltra::testing::CrashSimulator;
  using Rows = std::set<std::vector<std::string>>;
  const std::vector<std::string> tables = {"kfq_1.db", "kfq_2.db", "kfq_5.db"};
  const auto rows_of = [&](const std::string& table) {
    Rows rows;
    for (const auto& record : formats::OpenTableFile(folder() / table)->ReadAll()) {
      std::vector<std::string> shown;
      for (const Value& value : record) shown.push_back(value.ToDisplayText());
      rows.insert(shown);
    }
    return rows;
  };
  const auto import = [&] {
    prompts.files = {In("kfq_1.db"), In("kfq_2.db"), In("kfq_5.db")};
    prompts.answers = {false, false, false};
    kfq.AppendFromFiles();
  };
  AddEnterprise("110003", "L3", "丙");
  AddRows("in\\kfq_1.db", {{{"QA01", "110003"}, {"QA03", "L3"}, {"QA04", "丙(新名)"}}});
  kfq.Close();
  const veltra::testing::FolderImage initial = veltra::testing::ImageOf({folder()});
  std::vector<Rows> before, after;
  for (const auto& table : tables) before.push_back(rows_of(table));
  kfq.Activate();
  import();
  kfq.Close();
  for (const auto& table : tables) after.push_back(rows_of(table));
  for (const auto crash : {CrashSimulator::Crash::Kill, CrashSimulator::Crash::PowerCut,
                           CrashSimulator::Crash::PowerCutAnyWrites}) {
    for (int stop_at = 1;; ++stop_at) {
      veltra::testing::RestoreImage({folder()}, initial);
      kfq.Activate();
      std::vector<veltra::testing::FolderImage> images;
      bool stopped = false;
      {
        CrashSimulator cut({folder()}, crash, stop_at);
        try {
          import();
        } catch (const EngineError&) {
        }
        kfq.Close();
        stopped = cut.stopped();
        images = cut.Images();
      }
      for (std::size_t i = 0; i < images.size(); ++i) {
        veltra::testing::RestoreImage({folder()}, images[i]);
        for (std::size_t t = 0; t < tables.size(); ++t) {
          const std::string where = tables[t] + ", model " + std::to_string(static_cast<int>(crash)) + " at point " +
                                    std::to_string(stop_at) + " image " + std::to_string(i);
          Rows seen;
          ASSERT_NO_THROW(seen = rows_of(tables[t])) << where;
          if (!stopped) {
            EXPECT_EQ(seen, after[t]) << where;
          }
          EXPECT_TRUE(seen == before[t] || seen == after[t]) << where << ": " << seen.size() << " records";
        }
      }
      if (!stopped) break;
    }
  }
}

class SubmissionTest : public ImportTest {
 protected:
  void Renumber(const std::function<void(exchange::Renumbering&)>& user) {
    exchange::Renumbering dialog(main());
    kfq.ImportSubmission([&] {
      dialog.Activate();
      user(dialog);
      dialog.Close();
    });
  }
  bool TmpEmpty() { return std::filesystem::is_empty(folder() / "tmp"); }
};

TEST_F(SubmissionTest, AClashResolvedInTheDialogIsImportedUnderItsNewNumber) {
  // The submission's 110002 is another office's enterprise: local 110002 has another code.
  AddEnterprise("110002", "L9", "本地乙");
  prompts.files = {In("kfq_1.db")};
  Renumber([&](exchange::Renumbering& dialog) {
    EXPECT_FALSE(dialog.CheckAndApply());
    EXPECT_EQ(dialog.Line1(), exchange::kClashLine1);
    db::Table& list = dialog.List();
    ASSERT_EQ(list.RecordCount(), 1);
    EXPECT_EQ(list.Fields(0).AsString(), "110002");
    // A number typed too long reaches the check whole, and is refused.
    list.Edit();
    list.Fields(1).SetAsString("1100077");
    list.Post();
    try {
      dialog.CheckAndApply();
      ADD_FAILURE() << "a 7-character number was taken";
    } catch (const EngineError& e) {
      EXPECT_STREQ(e.what(), "修改后编号1100077超过6位");
    }
    list.Edit();
    list.Fields(1).SetAsString("110007");
    list.Post();
    EXPECT_TRUE(dialog.CheckAndApply());
    EXPECT_TRUE(main().ImportOk);
  });
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001", "110002", "110007"}));
  EXPECT_EQ(Column("kfq_2.db", "ID"), (std::vector<std::string>{"110001_1", "110007_1"}));
  EXPECT_EQ(Column("kfq_5.db", "Id"), (std::vector<std::string>{"110007_1"}));
  EXPECT_TRUE(TmpEmpty());
  EXPECT_EQ(main().OpenDialog1.filter, "*.db;*.dbf|*.db;*.dbf");
  EXPECT_EQ(prompts.dialog_titles.back(), "请选择上报企业数据的磁盘目录");
}

TEST_F(SubmissionTest, AbandoningTheDialogImportsNothingAndRemovesTheCopies) {
  prompts.files = {In("kfq_1.db")};
  Renumber([&](exchange::Renumbering&) { main().ImportOk = false; });
  EXPECT_EQ(Column("kfq_1.db", "QA01"), (std::vector<std::string>{"110001"}));
  EXPECT_TRUE(TmpEmpty());
}

}  // namespace
}  // namespace veltra::entry::testing
