// The national project window on an installed folder: the issued list loaded
// on first use, the list state of each record, clearing versus deleting, and
// the append that takes only the rows another office entered or added.
#include "entry/gjxm_window.h"
#include "tests/entry/installed_window_fixture.h"
#include "tests/support/render_path.h"

namespace veltra::entry {
namespace {

using ui::MessageKind;

const std::vector<std::string> kIssued = {"110000101", "110000102", "110000103"};

class GjxmWindowTest : public testing::InstalledWindowTest {
 protected:
  db::Table& Projects() { return static_cast<TF_gjxm&>(*window).Frame().Master(); }
  void Set(const std::string& field, const std::string& value) {
    if (Projects().State() == db::DataSetState::Browse) Projects().Edit();
    Projects().FieldByName(field).SetAsString(value);
  }
};

TEST_F(GjxmWindowTest, FirstUseLoadsTheIssuedListAndTheStatusLineFollowsTheListState) {
  AddRowsTo("sendname.db", {{{"name", "gjxm.db"}}, {{"name", "gjxm_r.db"}}, {{"name", "kfq_1.db"}}});
  // A rule whose message names the table is no duplicate number.
  AddRowsTo("gjxm_chk.db", {{{"field_name", "JC200"}, {"field_value", "JC200<=1000"},
                             {"field_text", "gjxm预期产值过大"}, {"status", "错误"}}});
  TF_gjxm& form = Open<TF_gjxm>();
  EXPECT_EQ(Values("gjxm.db", "Id"), kIssued);
  EXPECT_EQ(Values("gjxm.db", "GJ_ONE"), (std::vector<std::string>{"1", "1", "1"}));
  EXPECT_EQ(Values("gjxm.db", "PXH"), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE"), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(Values("sendname.db", "name"), std::vector<std::string>{"kfq_1.db"});
  EXPECT_EQ(form.StatusBar1->SimpleText(), "项目编号:110000101  当前记录:1  总记录:3  未修改  下发清单记录，未录入");
  EXPECT_FALSE(form.EditOf("JB00")->isEnabled());
  ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath("gjxm_cover.png")));
  form.PageControl1->setCurrentWidget(form.TabSheets[1]);
  ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath("gjxm_basic.png")));
  form.PageControl1->setCurrentWidget(form.TabSheets[0]);

  Press("ToolButton7");  // an untouched issued record is entered by saving it
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE")[0], "1");
  EXPECT_TRUE(form.StatusBar1->SimpleText().ends_with("  未修改  下发清单记录，已录入"));

  ui_.ExpectException("数据错误:gjxm预期产值过大");
  Set("JC200", "5000");
  Press("ToolButton7");
  Projects().Cancel();

  Press("ToolButton5");
  EXPECT_TRUE(form.StatusBar1->SimpleText().ends_with("  已修改  新增加记录"));
  EXPECT_TRUE(form.EditOf("JB00")->isEnabled());
  ui::testing::Type(*form.EditOf("JB00"), "110000199");
  Set("JB01", "示例新型传感材料产业化");  // the name of an issued project
  ui_.ExpectException("数据错误:统计编号重复");
  Press("ToolButton7");
  Set("JB01", "示例新增项目");
  Press("ToolButton7");
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE"), (std::vector<std::string>{"1", "", "", "2"}));

  form.PageControl1->setCurrentWidget(form.TabSheets[2]);
  EXPECT_FALSE(form.ToolButton5->isEnabled());
  EXPECT_FALSE(form.ToolButton9->isEnabled());

  // The next opening does not read the issued list again; from a fault it shows the fault's project.
  form.Close();
  unit->OpenedFromCheck = true;
  unit->LocateKeyField = "jb00";
  unit->LocateKeyValue = "110000103";
  Open<TF_gjxm>();
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE"), (std::vector<std::string>{"1", "", "", "2"}));
  EXPECT_EQ(Projects().FieldByName("JB00").AsString(), "110000103");
  EXPECT_EQ(Projects().IndexFieldNames(), "Id");
}

TEST_F(GjxmWindowTest, WithoutTheIssuedListTheEmptyTableShowsOnlyTheCover) {
  std::filesystem::remove(work / "gjxm_s.dbf");
  TF_gjxm& form = Open<TF_gjxm>();
  EXPECT_FALSE(form.TabSheets[1]->TabVisible());
  Press("ToolButton5");
  EXPECT_TRUE(form.TabSheets[1]->TabVisible());
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
  Press("ToolButton8");
  EXPECT_FALSE(form.TabSheets[1]->TabVisible());
}

TEST_F(GjxmWindowTest, DeleteClearsAnIssuedRecordAndDeletesOnlyAnAddedOne) {
  Open<TF_gjxm>();
  Set("JB21", "示例单位");
  Set("JC100", "99");
  Press("ToolButton7");

  ui_.ExpectMessage(MessageKind::Question, "提示", "是否清空当前记录", ui::Answer::Yes);
  Press("ToolButton6");
  EXPECT_EQ(Values("gjxm.db", "JB00"), kIssued);
  EXPECT_EQ(Values("gjxm.db", "JB02")[0], "2011AA000101");
  EXPECT_EQ(Values("gjxm.db", "JB21")[0], "");
  EXPECT_EQ(Values("gjxm.db", "JC100")[0], "0");
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE")[0], "");
  EXPECT_EQ(Values("gjxm.db", "GJ_ONE")[0], "1");
  EXPECT_FALSE(unit->RecordsDeleted);

  // A record still being added is only dropped.
  Press("ToolButton5");
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::Yes);
  Press("ToolButton6");
  EXPECT_EQ(Values("gjxm.db", "JB00"), kIssued);

  Press("ToolButton5");
  Set("JB00", "110000199");
  Set("JB01", "示例新增项目");
  Press("ToolButton7");
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::Yes);
  Press("ToolButton6");
  EXPECT_EQ(Values("gjxm.db", "JB00"), kIssued);
  EXPECT_TRUE(unit->RecordsDeleted);
}

TEST_F(GjxmWindowTest, AppendTakesOnlyTheRowsAnotherOfficeEnteredOrAdded) {
  CreateEmpty("work/other.db", "gjxm.db");
  AddRowsTo("other.db", {{{"JB00", "110000101"}, {"JB01", "示例新型传感材料产业化"}, {"JC100", "7"}, {"IS_CHGE", "1"}},
                         {{"JB00", "110000102"}, {"JB01", "示例智能电网监测装置"}, {"JC100", "8"}},
                         {{"JB00", "120000001"}, {"JB01", "示例外地新增"}, {"IS_CHGE", "2"}}});
  Open<TF_gjxm>();
  ui_.ExpectFileDialog("请选择国家级项目数据库  文件名:gjxm.db", (work / "other.db").string());
  ui_.ExpectMessage(MessageKind::Question, "", "是否清空国家级项目数据库", ui::Answer::No);
  Press("ToolButton9");
  EXPECT_EQ(Values("gjxm.db", "JB00"), (std::vector<std::string>{"110000101", "110000102", "110000103", "120000001"}));
  EXPECT_EQ(Values("gjxm.db", "JC100"), (std::vector<std::string>{"7", "860.5", "450", "0"}));
  EXPECT_EQ(Values("gjxm.db", "IS_CHGE"), (std::vector<std::string>{"1", "", "", "2"}));

  // A row that cannot be stored ends the import there; the window is as before it.
  AddRowsTo("other.db", {{{"JB00", "120000002"}, {"JB01", "示例外地新增"}, {"IS_CHGE", "2"}},
                         {{"JB00", "120000003"}, {"JB01", "示例后续项目"}, {"IS_CHGE", "2"}}});
  ui_.ExpectFileDialog("请选择国家级项目数据库  文件名:gjxm.db", (work / "other.db").string());
  ui_.ExpectMessage(MessageKind::Question, "", "是否清空国家级项目数据库", ui::Answer::No);
  ui_.ExpectException("数据错误:统计编号重复");
  Press("ToolButton9");
  EXPECT_EQ(Values("gjxm.db", "JB00").size(), 4u);
  EXPECT_EQ(Projects().IndexFieldNames(), "Id");
  EXPECT_FALSE(Projects().ConstraintsDisabled());
  EXPECT_FALSE(static_cast<TF_gjxm&>(*window).Frame().Importing());
  EXPECT_FALSE(static_cast<TF_gjxm&>(*window).ProgressBar1->isVisible());
}

}  // namespace
}  // namespace veltra::entry
