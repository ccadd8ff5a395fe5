// Every fixed printout on a table whose contents the test knows: the PDF
// holds the title, the captions and each value beside its caption or in
// its column; a page of each is rendered for a look.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/print/page_canvas.h"
#include "platform/print/page_output.h"
#include "reports/gjwsb_p.h"
#include "reports/list_p.h"
#include "reports/summary_sheet_p.h"
#include "reports/survey_sheet_p.h"
#include "tests/platform/print/print_test_support.h"

namespace veltra::reports {
namespace {

using print::testing::PdfText;
using print::testing::ScriptedUser;

class PrintWindowsTest : public ::testing::Test {
 protected:
  PrintWindowsTest()
      // ctest runs the tests side by side: each its own folder.
      : folder_(print::testing::OutputPath(::testing::UnitTest::GetInstance()->current_test_info()->name())),
        created_(std::filesystem::create_directories(folder_)),
        database_(folder_) {}
  ~PrintWindowsTest() override { std::filesystem::remove_all(folder_); }

  // A table of the given fields and rows (values as display texts, "" null).
  void Write(const std::string& name, const FieldDefs& fields, const std::vector<std::vector<std::string>>& rows) {
    database_.CreateTable(name, db::TableType::Default, fields);
    db::Table table(database_);
    table.SetTableName(name);
    table.Open();
    for (const auto& row : rows) {
      table.Append();
      for (std::size_t i = 0; i < row.size(); ++i)
        if (!row[i].empty()) table.Fields(static_cast<int>(i)).SetAsString(row[i]);
      table.Post();
    }
    table.Close();
  }

  // Prints to a PDF (there is no printer here) and keeps a PNG of page 1.
  std::string PrintToText(PrintWindow& window, const std::string& name) {
    ScriptedUser user;
    const auto pdf = folder_ / (name + ".pdf");
    user.file_answers = {pdf};
    window.QuickRep1.Print();
    EXPECT_FALSE(window.Table1.Active()) << name << ": the table stays open after printing";
    window.Table1.Open();
    const print::Document document = window.QuickRep1.Prepare();
    window.Table1.Close();
    if (!document.pages.empty()) {
      print::RenderPageImage(document, 0, 96).save(
          QString::fromStdString(std::string(VELTRA_PRINT_OUTPUT_DIR) + "/" + name + ".png"));
    }
    return std::filesystem::exists(pdf) ? PdfText(pdf) : std::string();
  }

  std::filesystem::path folder_;
  bool created_;
  db::Database database_;
};

FieldDef Str(const std::string& name, int size) { return {name, FieldType::String, size}; }
FieldDef Num(const std::string& name) { return {name, FieldType::Float, 0}; }

// True when `words` stand in this order on one line of `text`.
bool OnOneLine(const std::string& text, const std::vector<std::string>& words) {
  std::size_t line_start = 0;
  while (line_start < text.size()) {
    const std::size_t line_end = std::min(text.find('\n', line_start), text.size());
    const std::string line = text.substr(line_start, line_end - line_start);
    std::size_t at = 0;
    bool all = true;
    for (const std::string& word : words) {
      at = line.find(word, at);
      if (at == std::string::npos) {
        all = false;
        break;
      }
      at += word.size();
    }
    if (all) return true;
    line_start = line_end + 1;
  }
  return false;
}

struct ListCase {
  std::string name;
  std::function<std::unique_ptr<PrintWindow>(db::Database&)> make;
  std::string table;
  FieldDefs fields;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::vector<std::string>> lines;  // words expected on one line each, in order
};

TEST_F(PrintWindowsTest, ListsAndSheetsPrintTheirTitleCaptionsAndValuesInPlace) {
  const FieldDefs enterprise = {Str("报表编号", 6), Str("企业名称", 60), Num("总收入"),   Num("净利润"),
                                Num("实际上缴税费"), Num("出口创汇总额"), Num("人数"),     Num("工业总产值")};
  FieldDefs service = enterprise;
  service.insert(service.begin() + 2, Str("行业代码", 4));
  FieldDefs survey = {Str("KW", 26), Str("DQ", 3), Str("TBR", 8)};
  for (const char* field : {"GJ_1", "GJ_2", "GJ_3", "GJ_4", "DF_1", "DF_2", "DF_3"}) survey.push_back(Num(field));
  for (const char* prefix : {"DN_", "QN_"})
    for (int i = 1; i <= 7; ++i) survey.push_back(Num(prefix + std::to_string(i)));
  survey.push_back(Num("QWQYS"));
  survey.push_back({"QWTJS", FieldType::SmallInt, 0});
  std::vector<std::string> survey_row = {"北京市科委", "110", "张三", "11", "12", "13", "14", "21", "22", "23"};
  for (int i = 1; i <= 14; ++i) survey_row.push_back(std::to_string(30 + i));
  survey_row.insert(survey_row.end(), {"51", "52"});
  FieldDefs unreported = {Str("CODE", 1)};
  for (int i = 1; i <= 6; ++i) unreported.push_back({"XMS_" + std::to_string(i), FieldType::SmallInt, 0});
  for (const char* field : {"ZCZ", "XSSR", "JLR", "SJSF", "CH"})
    for (const char* group : {"_1", "_2"}) unreported.push_back(Num(std::string(field) + group));

  const std::vector<ListCase> cases = {
      {"gyqy", [](db::Database& d) { return std::make_unique<TF_gyqy_p>(d); }, "gyqy.db", enterprise,
       {{"110001", "甲工业公司", "9000.5", "800", "70", "60", "500", "1"}, {"110002", "乙工业公司", "", "", "", "", "", ""}},
       {{"产品收入500万以上的全部工业企业"},
        {"报表编号", "企业名称", "总收入", "净利润", "上缴税费", "出口创汇", "人数"},
        {"110001", "甲工业公司", "9000.5", "800", "70", "60", "500"},
        {"110002", "乙工业公司"}}},
      {"fwqy", [](db::Database& d) { return std::make_unique<TF_fwqy_p>(d); }, "fwqy.db", service,
       {{"110003", "丙服务公司", "7400", "300", "20", "10", "5", "42"}},
       {{"技术服务型企业"},
        {"报表编号", "企业名称", "行业代码", "总收入", "净利润", "上缴税费", "人数"},
        {"110003", "丙服务公司", "7400", "300", "20", "10", "42"}}},
      {"dqy", [](db::Database& d) { return std::make_unique<TF_dqy_p>(d); }, "dqy.db", enterprise,
       {{"110004", "丁大公司", "200000", "3000", "400", "50", "900", "1"}},
       {{"企业清单"},
        {"报表编号", "企业名称", "总收入", "净利润", "上缴税费", "出口创汇"},
        {"110004", "丁大公司", "200000", "3000", "400", "50"}}},
      {"gjwsb", [](db::Database& d) { return std::make_unique<TF_gjwsb_p>(d); }, "gj_wsb.db",
       {Str("JB00", 9), Str("JB01", 46), Str("JB02", 14), Str("YY", 1)},
       {{"G0001", "智能传感器项目", "2009AA01", "2"}, {"G0002", "无原因项目", "2009AA02", ""},
        {"G0003", "其它项目", "2009AA03", "4"}},
       {{"2011年国家级Veltra计划项目未统计上报原因调查表"},
        {"项目编号", "计划编号", "项目名称", "验收、结题过", "项目承担"},
        {"G0001", "2009AA01", "智能传感器项目", "√"},
        {"G0003", "2009AA03", "其它项目", "√"}}},
      {"dfwsb", [](db::Database& d) { return std::make_unique<TF_dfwsb_p>(d); }, "df_wsb.db", unreported,
       {{"1", "1", "2", "3", "4", "5", "6", "101", "102", "201", "202", "301", "302", "401", "402", "501", "502"},
        {"2", "99", "99", "99", "99", "99", "99"}},
       {{"2009年地方级项目未统计原因及主要指标预计情况调查表"},
        {"未统计原因", "项目数", "总产值", "销售收入", "净利润", "上缴税费", "创汇（美元）"},
        {"验收", "1"}, {"其他", "6"}}},
      {"xmdcb", [](db::Database& d) { return std::make_unique<TF_xmdcb_p>(d); }, "xmdcb.db", survey,
       {survey_row},
       {{"2011年Veltra计划项目统计情况调查表"},
        {"省市科委名称", "北京市科委", "地区码", "110", "填表人", "张三"},
        {"要求统计项目数", "11", "实际统计项目数", "12", "增加项目数", "13"},
        {"未统计项目数", "14", "未统计原因请录入附后数据库"},
        {"31", "32", "33", "34", "35", "36", "37"},
        {"区外高新技术企业数", "51", "实际统计企业数", "52"}}},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.table, c.fields, c.rows);
    auto window = c.make(database_);
    const std::string text = PrintToText(*window, c.name);
    for (const auto& words : c.lines) EXPECT_TRUE(OnOneLine(text, words)) << words.front() << "\n" << text;
    // Only the first record of a one-record sheet prints.
    EXPECT_EQ(text.find("99"), std::string::npos) << text;
  }
}

TEST_F(PrintWindowsTest, ListCaptionsOnlyOnTheFirstPageAndTheCallersTitleOnEvery) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 80; ++i) rows.push_back({std::to_string(120000 + i), "企业" + std::to_string(i), "100000"});
  const QString long_name = QStringLiteral("北京中关村科技园区海淀园高新技术创业服务中心有限责任公司");
  rows[0][1] = long_name.toStdString();
  Write("dqy.db", {Str("报表编号", 6), Str("企业名称", 60), Num("总收入"), Num("净利润"), Num("实际上缴税费"),
                   Num("出口创汇总额")},
        rows);
  TF_dqy_p window(database_);
  window.QRLabel1().text = QStringLiteral("2011年上市企业清单");
  window.Table1.Open();
  const print::Document document = window.QuickRep1.Prepare();
  window.Table1.Close();
  ASSERT_GE(document.pages.size(), 2u);
  // A name longer than its cell is printed smaller, whole and clear of the next column.
  const print::TextOp* name = print::testing::FindText(document.pages[0], long_name);
  ASSERT_NE(name, nullptr);
  const int name_cell_right = window.QuickRep1.page.ContentRect().left() + 160 + 640;
  EXPECT_LE(name->top_left.x() + print::MeasureText(name->font, long_name).width(), name_cell_right);
  for (std::size_t page = 0; page < document.pages.size(); ++page) {
    EXPECT_NE(print::testing::FindText(document.pages[page], QStringLiteral("2011年上市企业清单")), nullptr) << page;
    EXPECT_EQ(print::testing::FindText(document.pages[page], QStringLiteral("企业名称")) != nullptr, page == 0) << page;
  }
}

TEST_F(PrintWindowsTest, SummarySheetsMaskValuesLeaveNullsEmptyAndPrintNothingWhenEmpty) {
  struct SheetCase {
    std::string name;
    std::function<std::unique_ptr<SummarySheet>(db::Database&)> make;
    std::string table;
    bool masked;
  };
  const std::vector<SheetCase> cases = {
      {"qyhz", [](db::Database& d) { return std::make_unique<TF_qyhz_p>(d); }, "qyhz.db", true},
      {"qyrdhz", [](db::Database& d) { return std::make_unique<TF_qyrdhz_p>(d); }, "qyrdhz.db", true},
      {"rjqyhz", [](db::Database& d) { return std::make_unique<TF_rjqyhz_p>(d); }, "rjqyhz.db", true},
      {"dfhz", [](db::Database& d) { return std::make_unique<TF_dfhz_p>(d); }, "dfhz.db", false},
      {"gjhz", [](db::Database& d) { return std::make_unique<TF_gjhz_p>(d); }, "gjhz.db", true},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = c.make(database_);
    // Every printed column gets its own value (the last one null); a column
    // the sheet does not print comes first, so positions cannot line up by chance.
    FieldDefs fields = {Num("不打印的列")};
    std::vector<std::string> row = {"777777.25"};
    std::vector<std::pair<std::string, std::string>> expected;  // caption, printed value
    int n = 0;
    for (const auto& printed_row : window->rows()) {
      for (const auto& pair : printed_row) {
        fields.push_back(Num(std::string(pair.column)));
        ++n;
        row.push_back(std::to_string(1000 + 10 * n) + ".6");
        expected.emplace_back(std::string(pair.caption), c.masked ? std::to_string(1001 + 10 * n)
                                                                   : std::to_string(1000 + 10 * n) + ".6");
      }
    }
    row.back() = "";
    expected.back().second = "";
    Write(c.table, fields, {});
    const std::string empty = PrintToText(*window, c.name + "_empty");
    EXPECT_TRUE(empty.empty()) << "an empty table prints no page";

    std::filesystem::remove(folder_ / c.table);
    Write(c.table, fields, {row});
    const std::string text = PrintToText(*window, c.name);
    for (const auto& [caption, value] : expected) {
      if (value.empty()) continue;
      EXPECT_TRUE(OnOneLine(text, {caption, value})) << caption << " " << value << "\n" << text;
    }
    EXPECT_EQ(text.find("777777"), std::string::npos);
    EXPECT_EQ(text.find(std::to_string(1000 + 10 * n)), std::string::npos) << "the null value prints empty";
  }
}

}  // namespace
}  // namespace veltra::reports
