// The validation run on real tables in a scratch working folder: plain,
// code-list and grouped rules, the result's order and numbering, the send
// register and what a failing statement leaves behind.
#include "validation/check_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "check_test_support.h"
#include "platform/formats/table_file.h"
#include "tests/support/engine_error.h"
#include "tests/support/file_io_probe.h"
#include "validation/check_catalog.h"

namespace veltra::validation {
namespace {

using testing::CatalogueRow;
using testing::FieldValues;
using testing::NumberedCodes;
using veltra::testing::ThrowsEngineError;
using testing::Rule;
using testing::TextRows;

// Result row as display text: 编号, 字段值, [extra columns,] 字段名, 错误信息, 状态, 序号.
using ResultRow = std::vector<std::string>;

class CheckRunTest : public testing::CheckTest {
 protected:
  void SetUp() override {
    CreateSystemTables();
    CreateFromSchema("kfq_1.db");
    CreateResultTable("kfq_r.db");
  }

  // The kind's first catalogue row: plain rules on kfq_1.db from kfq1_chk.db.
  void AddEnterpriseHeader(const std::vector<Rule>& rules) {
    AddCatalogueRow({1, "kfq1_chk.db", "qa01", "", "kfq_1.db\"", "kfq_r.db", "高新区企业数据校验", "高新区企业数据",
                     "高新区企业校验结果"});
    AddRules("kfq1_chk.db", rules);
  }

  void AddEnterprise(const std::string& qa01, const FieldValues& values) {
    FieldValues all = {{"Id", qa01}, {"QA01", qa01}};
    all.insert(all.end(), values.begin(), values.end());
    AddRow("kfq_1.db", all);
  }

  // Runs the kind as the validation window does.
  void RunCheck(int kind = 1) { RunCheckOn(db(), kind); }
  void RunCheckOn(db::Database& database, int kind = 1) {
    db::Table catalogue(database);
    catalogue.SetTableName(kCatalogueTable);
    catalogue.Open();
    const KindHeader header = FindKindHeader(catalogue, kind);
    db::Table result(database);
    result.SetTableName(header.result_table);
    CheckRun run(database, result, catalogue);
    run.OnProgress = [this](int position, int max) { progress.emplace_back(position, max); };
    run.OnStatement = [this](const std::string& statement) { statements.push_back(statement); };
    run.Run({kind, CheckReportTypeFilter(kind), CheckSelectSuffix(kind), "", header.result_register_text});
  }

  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> statements;
};

TEST_F(CheckRunTest, CleanKindYieldsTheSingleOkRow) {
  AddEnterpriseHeader({{"qc05", "qc05>=0", "总收入不能为负"}});
  AddEnterprise("110001", {{"QC05", "10"}});
  AddEnterprise("110002", {{"QC05", "0"}});

  RunCheck();

  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"", "", "", "无任何错误及警告", "OK", ""}}));
  // A rerun starts again from an empty result table.
  RunCheck();
  EXPECT_EQ(Rows("kfq_r.db").size(), 1u);
}

TEST_F(CheckRunTest, PlainRulesStampSortAndNumberTheirFaults) {
  AddEnterpriseHeader({{"qc05", "qc05>=0", "总收入不能为负", "错误"},
                       {"qa03", "qa03 is not null", "法人代码不能为空", "警告"},
                       {"qc02", "qc02<=qc05", "工业总产值大于总收入", "错误"}});
  AddEnterprise("110003", {{"QC05", "-5"}, {"QA03", "A3"}, {"QC02", "1"}});
  AddEnterprise("110001", {{"QC05", "-1"}, {"QC02", "9"}});
  AddEnterprise("110002", {{"QA03", "A2"}, {"QC05", "7"}, {"QC02", "3"}});
  // A null value is not known to break "qc05>=0": no fault for it.
  AddEnterprise("110004", {{"QA03", "A4"}, {"QC02", "1"}});

  RunCheck();

  // 状态 descending in GBK order puts 警告 before 错误; then by 编号.
  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"110001", "", "qa03", "法人代码不能为空", "警告", "1"},
                                        {"110001", "-1", "qc05", "总收入不能为负", "错误", "2"},
                                        {"110001", "9", "qc02", "工业总产值大于总收入", "错误", "3"},
                                        {"110003", "-5", "qc05", "总收入不能为负", "错误", "4"},
                                        {"110003", "1", "qc02", "工业总产值大于总收入", "错误", "5"}}));
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 0}}));
}

TEST_F(CheckRunTest, QuotesInMessagesAndCodesStayData) {
  AddEnterpriseHeader({{"qa03", "qa03<>'x'", "单位's \"代码\"", "警告"}});
  AddCatalogueRow({1, "qa16_dm.db", "qa01", "", "kfq_1.db\";", "qa16", "代码'表'外", "", ""});
  AddCodes("qa16_dm.db", {"O'K", "AB"});
  AddEnterprise("110001", {{"QA03", "x"}, {"Qa16", "O'K"}});
  AddEnterprise("110002", {{"QA03", "y"}, {"Qa16", "O'"}});

  RunCheck();

  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"110001", "x", "qa03", "单位's \"代码\"", "警告", "1"},
                                        {"110002", "O'", "qa16", "代码'表'外", "错误", "2"}}));
}

// Code lists of 1, 202, 203 and 405 codes: the batches end on a full
// batch, one code past it and a last batch of a single code.
class CodeListTest : public CheckRunTest, public ::testing::WithParamInterface<int> {};

TEST_P(CodeListTest, EveryBatchIsApplied) {
  const int count = GetParam();
  const std::vector<std::string> codes = NumberedCodes(count);
  AddEnterpriseHeader({});
  AddCatalogueRow({1, "qa03_dm.db", "qa01", "", "kfq_1.db\";", "qa03", "法人代码不在代码表中", "", ""});
  AddCodes("qa03_dm.db", codes);
  int number = 110000;
  // A record for the first code, the last of each batch, the first of the
  // next, and the very last code: all valid.
  for (int index : {0, 201, 202, 403, 404, count - 1}) {
    if (index < count) AddEnterprise(std::to_string(++number), {{"QA03", codes[index]}});
  }
  AddEnterprise("120001", {{"QA03", "C9999"}});
  AddEnterprise("120002", {{"QA03", "c0001"}});
  AddEnterprise("120003", {});  // null: not known to be outside the list

  RunCheck();

  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"120001", "C9999", "qa03", "法人代码不在代码表中", "错误", "1"},
                                        {"120002", "c0001", "qa03", "法人代码不在代码表中", "错误", "2"}}));
  // The survivors of the last batch stay in the scratch table.
  EXPECT_EQ(Column("tmp_r.DB", "编号"), (std::vector<std::string>{"120001", "120002"}));
  // 202 codes to a statement; only the first reads the survey table.
  std::vector<std::size_t> codes_per_batch;
  for (const std::string& statement : statements) {
    const bool first_batch = statement.find("where not (qa03=") != std::string::npos;
    const bool later_batch = statement.find("from tmp_r.db") != std::string::npos;
    if (!first_batch && !later_batch) continue;
    EXPECT_EQ(first_batch, codes_per_batch.empty()) << statement;
    codes_per_batch.push_back(static_cast<std::size_t>(std::count(statement.begin(), statement.end(), '\'')) / 2);
  }
  std::vector<std::size_t> expected;
  for (int left = count; left > 0; left -= 202) expected.push_back(std::min(left, 202));
  EXPECT_EQ(codes_per_batch, expected);
}

INSTANTIATE_TEST_SUITE_P(BatchBoundaries, CodeListTest, ::testing::Values(1, 202, 203, 405));

TEST_F(CheckRunTest, EmptyCodeListAddsNoFault) {
  AddEnterpriseHeader({});
  AddCatalogueRow({1, "qa03_dm.db", "qa01", "", "kfq_1.db\";", "qa03", "法人代码不在代码表中", "", ""});
  CreateFromSchema("qa03_dm.db");
  AddRow("tmp_r.DB", {{"编号", "stale"}});
  AddEnterprise("110001", {{"QA03", "X"}});

  RunCheck();

  EXPECT_EQ(Rows("tmp_r.DB"), TextRows{});
  EXPECT_EQ(Column("kfq_r.db", "状态"), (std::vector<std::string>{"OK"}));
}

TEST_F(CheckRunTest, KeylessZoneFaultsAreDropped) {
  db().CreateTable("zone.db", db::TableType::Default,
                   {{"code", FieldType::String, 6}, {"qj25", FieldType::Float, 0}, {"qj02", FieldType::Float, 0}});
  AddCatalogueRow({1, "zone_chk.db", "code", "", "zone.db\"", "kfq_r.db", "综合", "综合数据", "综合结果"});
  AddRules("zone_chk.db", {{"qj25", "qj25>0", "qj25须为正"}, {"qj02", "qj02>0", "qj02须为正"}});
  AddRow("zone.db", {{"qj25", "-1"}, {"qj02", "-2"}});
  AddRow("zone.db", {{"code", "A1"}, {"qj25", "-3"}, {"qj02", "4"}});

  RunCheck();

  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"", "-2", "qj02", "qj02须为正", "错误", "1"},
                                        {"A1", "-3", "qj25", "qj25须为正", "错误", "2"}}));
}

TEST_F(CheckRunTest, GroupedRuleGoesThroughTmpDb) {
  CreateFromSchema("kfq_2.db");
  AddEnterpriseHeader({});
  AddCatalogueRow({1, "kfq2_chk.db", "a.qa01", "", "kfq_1.db\" a,kfq_2.db\" b", "", "", "产品", ""});
  AddRules("kfq2_chk.db", {{"count(b.qe01) 产品数", "产品数=0", "企业没有产品", "警告", "产品数", "a.qa01",
                            "a.qa01=b.qa01"}});
  AddEnterprise("110001", {});
  AddEnterprise("110002", {});
  AddRow("kfq_2.db", {{"ID", "110002_1"}, {"QA01", "110002"}, {"QE01", "1"}});

  RunCheck();

  EXPECT_EQ(Rows("kfq_r.db"), (TextRows{{"110001", "0", "产品数", "企业没有产品", "警告", "1"}}));
  // tmp.db holds the grouped rows, its string column a byte wider than the query's.
  EXPECT_EQ(Rows("tmp.db").size(), 2u);
  db::Table tmp(db());
  tmp.SetTableName("tmp.db");
  tmp.Open();
  EXPECT_EQ(tmp.FieldByName("编号").Size(), 7);
}

TEST_F(CheckRunTest, RegisterHoldsOneRowPerTableAfterTwoRuns) {
  CreateFromSchema("kfq_2.db");
  AddEnterpriseHeader({{"qc05", "qc05>=0", "总收入不能为负"}});
  AddCatalogueRow({1, "qa03_dm.db", "qa01", "", "kfq_1.db\";", "qa03", "代码错", "代码表", ""});
  AddCodes("qa03_dm.db", {"A"});
  AddCatalogueRow({1, "kfq2_chk.db", "a.qa01", "", "kfq_1.db\" a,kfq_2.db\" b", "", "", "产品", ""});
  AddRules("kfq2_chk.db", {{"count(b.qe01) n", "n<0", "x", "警告", "n", "a.qa01", "a.qa01=b.qa01"}});
  AddCatalogueRow({1, "kfq5_chk.db", "qa01", "", "kfq_2.db\" p", "", "", "产品数据", ""});
  AddRules("kfq5_chk.db", {{"qe01", "p.qe01 is not null", "序号为空"}});
  AddCatalogueRow({3, "kfq1_chk.db", "qa01", "", "kfq_1.db\"", "qw_r.db", "区外", "区外企业数据", "区外结果"});
  AddRow("sendname.db", {{"id", "2"}, {"name", "other.db"}, {"text", "别的表"}});

  RunCheck();
  RunCheck();

  TextRows register_rows = Rows("sendname.db");
  std::sort(register_rows.begin(), register_rows.end());
  // Joined and code-list expressions register nothing; an alias is no part of the name.
  EXPECT_EQ(register_rows, (TextRows{{"1", "kfq_r.db", "高新区企业校验结果"},
                                     {"2", "kfq_1.db", "高新区企业数据"},
                                     {"2", "kfq_2.db", "产品数据"},
                                     {"2", "other.db", "别的表"}}));
}

TEST_F(CheckRunTest, Code2OfDetailRowsReachesTheResult) {
  db().CreateTable("tmp_r.DB", db::TableType::Default,
                   {{"编号", FieldType::String, 10}, {"字段值", FieldType::String, 10}, {"code2", FieldType::String, 4}});
  CreateFromSchema("dxzfqy.db");
  CreateResultTable("dx_r.db", {{"code2", FieldType::String, 4}});
  AddCatalogueRow({8, "dxzfqy_chk.db", "code", ",code2", "dxzfqy.db\"", "dx_r.db", "大学科技园", "在园企业", "结果"});
  AddRules("dxzfqy_chk.db", {{"tdf8114", "tdf8114 is not null", "企业名称为空"}});
  AddCatalogueRow({8, "td_dm.db", "code", ",code2", "dxzfqy.db\";", "tdf8117", "法人代码错", "", ""});
  AddCodes("td_dm.db", {"01", "02"});
  AddRow("dxzfqy.db", {{"ID", "D1K1"}, {"CODE", "D1"}, {"CODE2", "K1"}, {"Tdf8117", "01"}});
  AddRow("dxzfqy.db", {{"ID", "D2K2"}, {"CODE", "D2"}, {"CODE2", "K2"}, {"Tdf8117", "09"}, {"Tdf8114", "甲"}});

  RunCheck(8);

  EXPECT_EQ(Rows("dx_r.db"), (TextRows{{"D1", "", "K1", "tdf8114", "企业名称为空", "错误", "1"},
                                       {"D2", "09", "K2", "tdf8117", "法人代码错", "错误", "2"}}));
}

// Kind 4 checks only projects whose is_chge is "1" or "2" with plain rules
// and code lists; grouped rules see every project.
TEST_F(CheckRunTest, KindFourFilterLimitsPlainRulesAndCodeLists) {
  CreateFromSchema("gjxm.db");
  db().CreateTable("gjxmmx.db", db::TableType::Default, {{"JB00", FieldType::String, 9}, {"X", FieldType::Float, 0}});
  CreateResultTable("gjxm_r.db", {{"is_chge", FieldType::String, 1}});
  AddCatalogueRow({4, "gjxm_chk.db", "jb00", "", "gjxm.db\"", "gjxm_r.db", "国家级项目", "项目数据", "项目结果"});
  AddRules("gjxm_chk.db", {{"jb01", "jb01 is not null", "项目名称为空"}});
  AddCatalogueRow({4, "jb02_dm.db", "jb00", "", "gjxm.db\";", "jb02", "项目编号错", "", ""});
  AddCodes("jb02_dm.db", {"OK"});
  AddCatalogueRow({4, "gjmx_chk.db", "a.jb00", "", "gjxm.db\" a,gjxmmx.db\" b", "", "", "", ""});
  AddRules("gjmx_chk.db", {{"count(b.x) n", "n=0", "没有明细", "警告", "n", "a.jb00,is_chge", "a.jb00=b.jb00"}});
  int number = 0;
  for (const char* change : {"1", "2", "0", ""}) {
    const std::string jb00 = "P" + std::to_string(++number);
    AddRow("gjxm.db", {{"Id", jb00}, {"JB00", jb00}, {"JB02", "BAD"}, {"IS_CHGE", change}});
  }

  RunCheck(4);

  EXPECT_EQ(Rows("gjxm_r.db"), (TextRows{{"P1", "0", "1", "n", "没有明细", "警告", "1"},
                                         {"P2", "0", "2", "n", "没有明细", "警告", "2"},
                                         {"P3", "0", "0", "n", "没有明细", "警告", "3"},
                                         {"P4", "0", "", "n", "没有明细", "警告", "4"},
                                         {"P1", "", "1", "jb01", "项目名称为空", "错误", "5"},
                                         {"P1", "BAD", "1", "jb02", "项目编号错", "错误", "6"},
                                         {"P2", "", "2", "jb01", "项目名称为空", "错误", "7"},
                                         {"P2", "BAD", "2", "jb02", "项目编号错", "错误", "8"}}));
}

TEST_F(CheckRunTest, FailingStatementStopsTheRunAndKeepsThePreviousResult) {
  AddEnterpriseHeader({{"qc05", "qc05>=0", "总收入不能为负"}});
  AddEnterprise("110001", {{"QC05", "-1"}});
  RunCheck();
  const TextRows previous = {{"110001", "-1", "qc05", "总收入不能为负", "错误", "1"}};
  ASSERT_EQ(Rows("kfq_r.db"), previous);
  AddRules("kfq1_chk.db", {{"qc02", "qc02 >>= 0", "坏规则"}});
  AddEnterprise("110002", {{"QC05", "-2"}});

  for (int run = 0; run < 2; ++run) {
    // The second run is not stopped by tables the first one left open.
    EXPECT_TRUE(ThrowsEngineError([&] { RunCheck(); }, EngineError::Kind::Syntax)) << "run " << run;
    EXPECT_EQ(Rows("kfq_r.db"), previous);
    EXPECT_EQ(formats::OpenTableFile(folder() / "kfq_r.db")->record_count(), 1u);
  }
}

// Stopped at any write, sync or rename (a kill, a power cut, a write
// that fails), a run leaves on disk the previous result or the whole new one.
TEST_F(CheckRunTest, StoppedRunLeavesThePreviousResultOrTheWholeNewOne) {
  AddEnterpriseHeader({{"qc05", "qc05>=0", "总收入不能为负"}, {"qc02", "qc02>=0", "工业总产值为负"}});
  AddEnterprise("110001", {{"QC05", "-1"}, {"QC02", "-2"}});
  RunCheck();
  AddEnterprise("110002", {{"QC05", "-3"}, {"QC02", "-4"}});
  const std::vector<std::filesystem::path> folders{folder()};
  const auto result_on_disk = [&] { return formats::OpenTableFile(folder() / "kfq_r.db")->ReadAll(); };
  const auto previous = result_on_disk();
  const veltra::testing::FolderImage start = veltra::testing::ImageOf(folders);
  RunCheck();
  const auto next = result_on_disk();
  ASSERT_EQ(next.size(), 4u);

  using Crash = veltra::testing::CrashSimulator::Crash;
  for (const Crash crash : {Crash::Kill, Crash::PowerCut, Crash::PowerCutTablesWritten, Crash::Failure}) {
    for (int stop_at = 1;; ++stop_at) {
      veltra::testing::RestoreImage(folders, start);
      bool stopped = false;
      veltra::testing::FolderImage image;
      {
        veltra::testing::CrashSimulator stop(folders, crash, stop_at);
        try {
          db::Database database(folder());
          RunCheckOn(database);
        } catch (const EngineError&) {
        }
        stopped = stop.stopped();
        image = stop.Image();
      }
      veltra::testing::RestoreImage(folders, image);
      const auto seen = result_on_disk();
      ASSERT_TRUE(seen == previous || seen == next) << "crash " << static_cast<int>(crash) << " at " << stop_at;
      if (!stopped) break;
    }
  }
}

TEST_F(CheckRunTest, MissingTablesAreNamed) {
  AddEnterpriseHeader({});
  AddCatalogueRow({1, "qa03_dm.db", "qa01", "", "kfq_1.db\";", "qa03", "代码错", "", ""});
  AddCodes("qa03_dm.db", {"A"});
  std::filesystem::remove(db().ResolveTableName("tmp_r.DB"));
  EXPECT_TRUE(ThrowsEngineError([&] { RunCheck(); }, std::nullopt, {"tmp_r"}));

  db::Table catalogue(db());
  catalogue.SetTableName(kCatalogueTable);
  catalogue.Open();
  EXPECT_TRUE(ThrowsEngineError([&] { FindKindHeader(catalogue, 6); }, std::nullopt, {"check_db.DB"}))
      << "a kind without catalogue rows";
}

}  // namespace
}  // namespace veltra::validation
