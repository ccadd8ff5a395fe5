// The report window on an installed folder: default ticks per kind, and a
// print run that a failing report ends.
#include "reports/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "install/working_folder.h"
#include "platform/types/error.h"
#include "tests/platform/print/print_test_support.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/working_folder.h"

namespace veltra::reports {
namespace {

using ui::testing::Click;
using ui::testing::Find;

class ReportWindowTest : public veltra::testing::WorkingFolderTest {
 protected:
  ReportWindowTest() : work_(folder() / "work") {
    install::CreateWorkingFolder(work_);
    unit_ = std::make_unique<mainunit::MainUnit>(work_);
    ReportDispatch::Builders builders;
    builders.enterprises = [this] { built_.push_back("kfqhz"); };
    builders.large_list = [this] { built_.push_back("dqy"); };
    builders.listed_list = [this] {
      built_.push_back("shqy");
      WriteListedEnterprise();
    };
    builders.industrial_list = [] { throw EngineError(EngineError::Kind::NoSuchTable, "no gyqy", {"gyqy.db"}); };
    window_ = std::make_unique<TF_report>(*unit_, builders);
  }

  // What the listed-enterprise builder leaves behind: one enterprise in dqy.db.
  void WriteListedEnterprise() {
    unit_->Database1.CreateTable("dqy.db", db::TableType::Default,
                                 {{"报表编号", FieldType::String, 6}, {"企业名称", FieldType::String, 60},
                                  {"总收入", FieldType::Float, 0}, {"净利润", FieldType::Float, 0},
                                  {"实际上缴税费", FieldType::Float, 0}, {"出口创汇总额", FieldType::Float, 0}});
    Append("dqy.db", {{"报表编号", "110009"}, {"企业名称", "上市公司甲"}, {"总收入", "150000"}});
  }
  void Append(const std::string& table_name, const std::map<std::string, std::string>& values) {
    db::Table table(unit_->Database1);
    table.SetTableName(table_name);
    table.Open();
    table.Append();
    for (const auto& [field, value] : values) table.FieldByName(field).SetAsString(value);
    table.Post();
    table.Close();
  }
  std::string Subtitle() {
    db::Table table(unit_->Database1);
    table.SetTableName("check_pt.db");
    table.Open();
    return table.FieldByName("text").AsString();
  }

  std::vector<std::string> Ticked() const {
    std::vector<std::string> keys;
    for (int i = 0; i < window_->CheckListBox1->Count(); ++i)
      if (window_->CheckListBox1->Checked(i)) keys.push_back(window_->ListBox1->Item(i));
    return keys;
  }
  void Tick(const std::vector<std::string>& keys) {
    for (int i = 0; i < window_->ListBox1->Count(); ++i) {
      const std::string key = window_->ListBox1->Item(i);
      window_->CheckListBox1->SetChecked(i, std::find(keys.begin(), keys.end(), key) != keys.end());
    }
  }
  // Shows the window for `kind`, runs `steps` in it, closes it.
  void Open(int kind, const std::function<void()>& steps = {}) {
    unit_->ReportKind = kind;
    ui_.OnModal("F_report", [&](ui::Form&) { if (steps) steps(); }, ui::kModalCancel);
    window_->ShowModal();
  }

  const bool application_ = (ui::testing::EnsureApplication(), true);
  ui::testing::UiScript ui_;
  std::filesystem::path work_;
  std::unique_ptr<mainunit::MainUnit> unit_;
  std::unique_ptr<TF_report> window_;
  std::vector<std::string> built_;
};

TEST_F(ReportWindowTest, KindsTickTheirRowsAndKindThreeSharesKindOnesAndResetsTheTicks) {
  const std::vector<std::string> kind_one = {"kfqhz", "dqy", "gyqy", "fwqy", "shqy", "kfqrdhz", "kfq_r.db"};
  Open(4);
  EXPECT_EQ(Ticked(), (std::vector<std::string>{"xmdcb", "gjhz", "dfwsb", "dfhz", "gjxm_r.db"}));
  EXPECT_EQ(window_->CheckListBox1->Item(0), "2011年Veltra计划项目统计情况调查表");
  Open(1, [&] { Tick({"gyqy"}); });
  Open(1);
  EXPECT_EQ(Ticked(), std::vector<std::string>{"gyqy"}) << "the same kind keeps the user's ticks";
  Open(3, [&] { EXPECT_TRUE(window_->grab().save(VELTRA_PRINT_OUTPUT_DIR "/report_window.png")); });
  EXPECT_EQ(Ticked(), kind_one);
  Open(3, [&] { Tick({}); });
  Open(3);
  EXPECT_EQ(Ticked(), kind_one) << "kind 3 reloads the defaults at every opening";
  EXPECT_FALSE(unit_->Table1.Active());
}

TEST_F(ReportWindowTest, ACatalogueThatCouldNotBeReadIsReadAgainAtTheNextOpening) {
  std::filesystem::rename(work_ / "rept_db.db", work_ / "rept_db.away");
  ui_.ExpectException("表rept_db.db不存在");
  Open(1);
  EXPECT_EQ(window_->CheckListBox1->Count(), 0);
  std::filesystem::rename(work_ / "rept_db.away", work_ / "rept_db.db");
  Open(1);
  EXPECT_GT(window_->CheckListBox1->Count(), 0);
}

TEST_F(ReportWindowTest, AFailingReportEndsTheClickWithTheFrameworksErrorOnly) {
  print::testing::ScriptedUser printer;
  const auto survey = folder() / "xmdcb.pdf";
  printer.file_answers = {survey, folder() / "shqy.pdf", folder() / "faults.pdf"};
  ui_.ExpectException("表gyqy.db不存在");
  Open(1, [&] {
    Tick({"xmdcb", "gyqy", "shqy", "kfq_r.db"});
    ASSERT_TRUE(Click(Find(*window_, "ToolButton3")));
  });

  // Without a printer each report asks for its own file, by name.
  EXPECT_EQ(printer.file_captions, std::vector<QString>{"保存为PDF文件：2011年Veltra计划项目统计情况调查表"});
  EXPECT_NE(print::testing::PdfText(survey).find("2011年Veltra计划项目统计情况调查表"), std::string::npos);
  EXPECT_TRUE(built_.empty()) << "the reports after the failing one were built";
  EXPECT_FALSE(std::filesystem::exists(folder() / "shqy.pdf"));
  EXPECT_FALSE(std::filesystem::exists(folder() / "faults.pdf"));
}

}  // namespace
}  // namespace veltra::reports
