// Validation on the default installation with its demo records: every kind
// that the main window offers runs to a numbered result and its register
// row, and a fault opens the enterprise window on its enterprise.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "mainunit/main_unit.h"
#include "entry/kfq.h"
#include "install/working_folder.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "tests/support/working_folder.h"
#include "tests/validation/check_frame_fixture.h"
#include "validation/check_catalog.h"
#include "validation/check_frame.h"
#include "validation/check_run.h"

namespace veltra::validation {
namespace {

// The default installation with its demo records, and the main unit on it.
class InstalledFolderTest : public ::testing::Test {
 protected:
  InstalledFolderTest() {
    char pattern[] = "/tmp/veltra_check_install_XXXXXX";
    parent_ = mkdtemp(pattern);
    install::CreateWorkingFolder(parent_ / "work", {.demo = true});
    main_ = std::make_unique<mainunit::MainUnit>(parent_ / "work");
  }
  ~InstalledFolderTest() override {
    main_.reset();
    std::filesystem::remove_all(parent_);
  }

  mainunit::MainUnit& main() { return *main_; }

 private:
  std::filesystem::path parent_;
  std::unique_ptr<mainunit::MainUnit> main_;
};

class CheckInstallTest : public InstalledFolderTest, public ::testing::WithParamInterface<int> {};

TEST_P(CheckInstallTest, KindRunsToANumberedResult) {
  const int kind = GetParam();
  db::Database& db = main().Database1;
  db::Table catalogue(db);
  catalogue.SetTableName(kCatalogueTable);
  catalogue.Open();
  const KindHeader header = FindKindHeader(catalogue, kind);
  db::Table result(db);
  result.SetTableName(header.result_table);
  CheckRun run(db, result, catalogue);
  const CheckSettings settings{kind, CheckReportTypeFilter(kind), CheckSelectSuffix(kind), "",
                               header.result_register_text};
  ASSERT_NO_THROW(run.Run(settings));
  // A second run gives the same result (the run keeps nothing but what it writes).
  result.Close();
  ASSERT_NO_THROW(run.Run(settings));

  ASSERT_TRUE(result.Active());
  ASSERT_GT(result.RecordCount(), 0);
  int number = 0;
  for (result.First(); !result.Eof(); result.Next()) {
    const std::string state = result.FieldByName("状态").AsString();
    if (state == "OK") {
      EXPECT_EQ(result.RecordCount(), 1);
      continue;
    }
    EXPECT_TRUE(state == "错误" || state == "警告") << state;
    EXPECT_EQ(result.FieldByName("序号").AsString(), std::to_string(++number));
    EXPECT_FALSE(result.FieldByName("字段名").IsNull());
  }

  db::Query registered(db);
  registered.SQL.Add("select text from sendname.db where id=1 and name='" + header.result_table + "'");
  registered.Open();
  ASSERT_EQ(registered.RecordCount(), 1);
  EXPECT_EQ(registered.Fields(0).AsString(), header.result_register_text);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, CheckInstallTest, ::testing::Values(1, 3, 4, 6, 7, 8, 9, 10, 11));

// The enterprise window, created on first use and reused, as the main
// window shows it: it opens, is looked at, and closes.
class EnterpriseWindow : public EntryWindows {
 public:
  explicit EnterpriseWindow(mainunit::MainUnit& main) : main_(main) {}
  void ShowModal(std::string_view window, const std::string& caption) override {
    ASSERT_EQ(window, "TF_kfq");
    if (!entry_) entry_ = std::make_unique<entry::KfqEntry>(main_, prompts_);
    entry_->Activate();
    shown.push_back(caption + ":" + entry_->Master().FieldByName("QA01").AsString());
    entry_->Close();
  }
  std::vector<std::string> shown;

 private:
  mainunit::MainUnit& main_;
  veltra::testing::ScriptedPrompts prompts_;
  std::unique_ptr<entry::KfqEntry> entry_;
};

TEST_F(InstalledFolderTest, DoubleClickOpensTheEnterpriseWindowOnTheFaultyEnterprise) {
  for (const char* number : {"000009", "000008"}) {
    db::Table enterprises(main().Database1);
    enterprises.SetTableName("kfq_1.db");
    enterprises.Open();
    enterprises.Append();
    enterprises.FieldByName("Id").SetAsString(number);
    enterprises.FieldByName("QA01").SetAsString(number);
    enterprises.FieldByName("QC05").SetAsFloat(-1);
    enterprises.Post();
  }
  EnterpriseWindow windows(main());
  CheckFrame frame(main(), windows);
  main().ReportKind = 1;
  frame.FormActivate();
  frame.Button3Click();

  for (const char* number : {"000009", "000008"}) {
    for (frame.Table2.First(); frame.Table2.FieldByName("编号").AsString() != number; frame.Table2.Next()) {
      ASSERT_FALSE(frame.Table2.Eof()) << "no fault for " << number;
    }
    frame.DBGrid1DblClick();
    // Back from the entry window, the result is as it was.
    EXPECT_EQ(frame.Table2.FieldByName("编号").AsString(), number);
  }
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"高新区企业:000009", "高新区企业:000008"}));
}

// A code list of kind 8 carries code2 through tmp_r.DB, which kind 4 uses
// for is_chge: the detail key arrives whole and the fault opens its own row.
TEST_F(InstalledFolderTest, DetailCodeListFaultOpensItsOwnDetailRow) {
  db::Database& db = main().Database1;
  db.CreateTable("zfqy_dm.db", db::TableType::Default, {{"code", FieldType::String, 10}});
  for (const std::string statement :
       {"insert into zfqy_dm.db (code) values ('1')",
        "insert into check_db.DB (id,check_name,field_name,field_name2,db_name,check_result,text1) values "
        "(8,'zfqy_dm.db','code',',code2','dxzfqy.db\";','TDF8J100','主要业务类型代码不正确')",
        "update dxzfqy.db set TDF8J100='7' where CODE2='001'"}) {
    db::Query query(db);
    query.SQL.Add(statement);
    query.ExecSQL();
  }
  testing::RecordingEntryWindows windows(main());
  CheckFrame frame(main(), windows);
  main().ReportKind = 8;
  frame.FormActivate();
  frame.Button3Click();
  for (frame.Table2.First(); frame.Table2.FieldByName("字段名").AsString() != "TDF8J100"; frame.Table2.Next()) {
    ASSERT_FALSE(frame.Table2.Eof()) << "no fault for the code list";
  }
  EXPECT_EQ(frame.Table2.FieldByName("code2").AsString(), "001");
  frame.DBGrid1DblClick();
  ASSERT_EQ(windows.shown.size(), 1u);
  EXPECT_EQ(windows.shown[0].key_value, "0001");
  EXPECT_EQ(windows.shown[0].key_value2, "001");
}

}  // namespace
}  // namespace veltra::validation
