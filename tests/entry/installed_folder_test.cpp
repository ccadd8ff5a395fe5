// A new user's round on a working folder as the installation makes it, with
// its rule tables in force: key in, renumber, delete, import a submission
// with a clash resolved, and find it all again after a restart.
#include "exchange/renumbering.h"
#include "install/working_folder.h"
#include "tests/support/working_folder.h"
#include "entry/kfq.h"

namespace veltra::entry {
namespace {

class InstalledFolderTest : public veltra::testing::WorkingFolderTest {
 protected:
  InstalledFolderTest() : work(folder() / "work") { install::CreateWorkingFolder(work); }
  std::filesystem::path work;
  veltra::testing::ScriptedPrompts prompts;
};

void KeyIn(KfqEntry& kfq, db::Table& table, const std::map<std::string, std::string>& values) {
  kfq.InsertRecord();
  for (const auto& [field, value] : values) table.FieldByName(field).SetAsString(value);
  kfq.SaveRecord();
}

TEST_F(InstalledFolderTest, EveryChangeIsOnDiskAfterARestart) {
  {
    mainunit::MainUnit unit(work);
    KfqEntry kfq(unit, prompts);
    kfq.Activate();
    KeyIn(kfq, kfq.Master(), {{"QA01", "110001"}, {"QA03", "12345678-9"}, {"QA04", "甲公司"}});
    kfq.ShowPage(4);
    KeyIn(kfq, kfq.Detail(0), {{"QE01", "1"}, {"QE02", "产品甲"}});
    kfq.ShowPage(6);
    KeyIn(kfq, kfq.Detail(1), {{"Qh00", "1"}, {"Xmmc", "项目甲"}});
    kfq.ShowPage(0);
    kfq.Master().Edit();
    kfq.Master().FieldByName("QA01").SetAsString("120001");
    kfq.SaveRecord();
    KeyIn(kfq, kfq.Master(), {{"QA01", "130001"}, {"QA03", "22222222-2"}, {"QA04", "丙公司"}});
    prompts.answers = {true};
    kfq.DeleteRecord();

    // Another office's submission reuses 120001 for another enterprise.
    const auto in = work / "in";
    std::filesystem::create_directory(in);
    for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) {
      unit.Database1.CreateTable(std::string("in\\") + name, db::TableType::Default,
                                 schema::FindTable(name)->fields);
    }
    const auto submit = [&unit](const std::string& name, const std::map<std::string, std::string>& values) {
      db::Table submitted(unit.Database1);
      submitted.SetTableName(name);
      submitted.Open();
      submitted.Append();
      for (const auto& [field, value] : values) submitted.FieldByName(field).SetAsString(value);
      submitted.Post();
    };
    submit("in\\kfq_1.db", {{"QA01", "120001"}, {"QA03", "99999999-9"}, {"QA04", "乙公司"}});
    submit("in\\kfq_2.db", {{"QA01", "120001"}, {"QE01", "1"}, {"QE02", "产品乙"}});

    prompts.files = {(in / "kfq_1.db").string()};
    exchange::Renumbering dialog(unit);
    kfq.ImportSubmission([&] {
      dialog.Activate();
      ASSERT_FALSE(dialog.CheckAndApply());
      dialog.List().Edit();
      dialog.List().Fields(1).SetAsString("140001");
      dialog.List().Post();
      ASSERT_TRUE(dialog.CheckAndApply());
      dialog.Close();
    });
    kfq.Close();
  }
  mainunit::MainUnit unit(work);
  KfqEntry kfq(unit, prompts);
  kfq.Activate();
  std::vector<std::string> enterprises;
  for (kfq.Master().First(); !kfq.Master().Eof(); kfq.Master().Next()) {
    enterprises.push_back(kfq.Master().FieldByName("QA01").AsString() + " " +
                          kfq.Master().FieldByName("QA04").AsString());
  }
  EXPECT_EQ(enterprises, (std::vector<std::string>{"120001 甲公司", "140001 乙公司"}));
  kfq.Detail(0).SetMasterFields("");
  std::vector<std::string> products;
  for (kfq.Detail(0).First(); !kfq.Detail(0).Eof(); kfq.Detail(0).Next()) {
    products.push_back(kfq.Detail(0).FieldByName("ID").AsString() + " " +
                       kfq.Detail(0).FieldByName("QE02").AsString());
  }
  EXPECT_EQ(products, (std::vector<std::string>{"120001_1 产品甲", "140001_1 产品乙"}));
  kfq.Detail(1).SetMasterFields("");
  EXPECT_EQ(kfq.Detail(1).RecordCount(), 1);
  EXPECT_EQ(kfq.Detail(1).FieldByName("Id").AsString(), "120001_1");
  EXPECT_TRUE(std::filesystem::is_empty(work / "tmp"));
}

}  // namespace
}  // namespace veltra::entry
