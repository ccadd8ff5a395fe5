// The validation window's workings: activation and the catalogue, the run
// with its grid, the kind's filter, and the jump from a fault to its entry
// window.
#include "validation/check_frame.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "check_frame_fixture.h"

namespace veltra::validation {
namespace {

using testing::CheckFrameTest;
using testing::TextRows;

TEST_F(CheckFrameTest, ActivationReadsTheCatalogueOncePerOpening) {
  frame.FormActivate();
  EXPECT_EQ(frame.Caption(), "高新区企业数据校验");
  EXPECT_TRUE(frame.Table2.Active());
  EXPECT_EQ(frame.Table2.TableName(), "kfq_r.db");

  // While open, a changed kind or catalogue waits for the next opening.
  CreateResultTable("qw_r.db");
  AddCatalogueRow({3, "kfq1_chk.db", "qa01", "", "kfq_1.db\"", "qw_r.db", "区外企业数据校验", "", ""});
  main().ReportKind = 3;
  frame.FormActivate();
  EXPECT_EQ(frame.Caption(), "高新区企业数据校验");

  frame.FormClose();
  EXPECT_FALSE(frame.Table2.Active());
  EXPECT_FALSE(frame.Table3.Active());
  frame.FormActivate();
  EXPECT_EQ(frame.Caption(), "区外企业数据校验");
  EXPECT_EQ(frame.Table2.TableName(), "qw_r.db");
}

TEST_F(CheckFrameTest, KindFourFilterStaysInTheWindow) {
  CreateResultTable("gjxm_r.db", {{"is_chge", FieldType::String, 1}});
  AddCatalogueRow({4, "gjxm_chk.db", "jb00", "", "gjxm.db\"", "gjxm_r.db", "国家级项目数据校验", "", ""});
  main().ReportKind = 4;
  frame.FormActivate();
  EXPECT_EQ(frame.ReportTypeFilter(), " and (is_chge=\"1\" or is_chge=\"2\")");
  EXPECT_EQ(frame.CheckSelectSuffix(), ",is_chge");
  EXPECT_EQ(main().ReportTypeFilter, "");

  frame.FormClose();
  main().ReportKind = 1;
  frame.FormActivate();
  EXPECT_EQ(frame.ReportTypeFilter(), "");
  EXPECT_EQ(frame.CheckSelectSuffix(), "");
}

TEST_F(CheckFrameTest, RunShowsTheResultAndAttachesTheGridOnEveryExit) {
  std::vector<bool> grid_attached_during_progress;
  frame.OnViewChanged = [&] { grid_attached_during_progress.push_back(frame.DataSource1.Enabled()); };
  frame.FormActivate();
  frame.Button3Click();
  EXPECT_TRUE(frame.DataSource1.Enabled());
  EXPECT_FALSE(grid_attached_during_progress.empty());
  EXPECT_EQ(std::count(grid_attached_during_progress.begin(), grid_attached_during_progress.end(), true), 1)
      << "only the caption change comes with the grid attached";
  EXPECT_EQ(frame.Progress().position, 0);
  EXPECT_EQ(frame.Progress().maximum, 100);
  EXPECT_EQ(frame.Table2.RecNo(), 1);
  EXPECT_EQ(frame.Table2.RecordCount(), 2);

  AddRules("kfq1_chk.db", {{"qc02", "qc02 >>= 0", "坏规则"}});
  EXPECT_THROW(frame.Button3Click(), EngineError);
  EXPECT_TRUE(frame.DataSource1.Enabled());
}

TEST_F(CheckFrameTest, KindWithoutCatalogueRowsTouchesNoResultTable) {
  frame.FormActivate();
  frame.Button3Click();
  frame.FormClose();
  const TextRows before = Rows("kfq_r.db");

  main().ReportKind = 6;
  try {
    frame.FormActivate();
    FAIL() << "activated without a catalogue row for the kind";
  } catch (const EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("report kind 6"), std::string::npos) << error.what();
  }
  EXPECT_THROW(frame.Button3Click(), EngineError);
  EXPECT_EQ(Rows("kfq_r.db"), before);
}

TEST_F(CheckFrameTest, DoubleClickOpensTheEntryWindowOnTheFault) {
  frame.FormActivate();
  frame.Button3Click();
  frame.Table2.Next();
  frame.DBGrid1DblClick();
  frame.Table2.First();
  frame.Button5Click();

  ASSERT_EQ(windows.shown.size(), 2u);
  EXPECT_EQ(windows.shown[0].window, "TF_kfq");
  EXPECT_EQ(windows.shown[0].caption, "高新区企业");
  EXPECT_EQ(windows.shown[0].key_field, "qa01");
  EXPECT_EQ(windows.shown[0].key_value, "110002");
  EXPECT_EQ(windows.shown[0].key_value2, "");
  EXPECT_TRUE(windows.shown[0].opened_from_check);
  EXPECT_EQ(windows.shown[1].key_value, "110001");
}

TEST_F(CheckFrameTest, DetailFaultsCarryTheirCode2) {
  CreateFromSchema("dxzfqy.db");
  db().CreateTable("tmp_r.DB", db::TableType::Default,
                   {{"编号", FieldType::String, 10}, {"字段值", FieldType::String, 10}, {"code2", FieldType::String, 4}});
  CreateResultTable("dx_r.db", {{"code2", FieldType::String, 4}});
  AddCatalogueRow({8, "dxzfqy_chk.db", "code", ",code2", "dxzfqy.db\"", "dx_r.db", "大学科技园", "", ""});
  AddRules("dxzfqy_chk.db", {{"tdf8114", "tdf8114 is not null", "企业名称为空"}});
  AddRow("dxzfqy.db", {{"ID", "D1K1"}, {"CODE", "D1"}, {"CODE2", "K1"}});
  // A result table without code2 cannot name the detail row.
  CreateFromSchema("fhq.db");
  CreateResultTable("fhq_r.db");
  AddCatalogueRow({9, "fhq_chk.db", "code", "", "fhq.db\"", "fhq_r.db", "孵化器", "", ""});
  AddRules("fhq_chk.db", {{"code", "code<>'F1'", "编号错"}});
  AddRow("fhq.db", {{"ID", "F1"}, {"CODE", "F1"}});

  main().ReportKind = 8;
  frame.FormActivate();
  frame.Button3Click();
  frame.DBGrid1DblClick();
  ASSERT_EQ(windows.shown.size(), 1u);
  EXPECT_EQ(windows.shown[0].window, "TF_dxkjy");
  EXPECT_EQ(windows.shown[0].caption, "大学科技园情况");
  EXPECT_EQ(windows.shown[0].key_value, "D1");
  EXPECT_EQ(windows.shown[0].key_value2, "K1");

  frame.FormClose();
  main().ReportKind = 9;
  frame.FormActivate();
  frame.Button3Click();
  EXPECT_THROW(frame.DBGrid1DblClick(), EngineError);
  EXPECT_EQ(windows.shown.size(), 1u);
  EXPECT_EQ(main().LocateKeyValue, "F1");
}

}  // namespace
}  // namespace veltra::validation
