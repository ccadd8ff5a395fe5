#include "reports/enterprise_summaries.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mainunit/on_exit.h"

namespace veltra::reports {
namespace {

constexpr std::string_view kEnterpriseSumsTable = "kfq1hz.db";
constexpr std::string_view kProductSumsTable = "kfq2hz.db";
constexpr std::string_view kProjectSumsTable = "kfq3hz.db";

constexpr SummedColumn kEnterpriseSums[] = {
    {"a.qa_one", "企业数"},         {"a.QC02", "工业总产值"},       {"a.QC05", "总收入"},
    {"a.QC06", "技术收入"},         {"a.QC07", "产品销售收入"},     {"a.QC09", "高新技术产品"},
    {"a.QC10", "商品销售收入"},     {"a.QC49", "其他收入"},         {"a.QC03", "中间投入"},
    {"a.QC43", "增加值"},           {"a.QC44", "工业增加值"},       {"a.QC11", "出口创汇总额"},
    {"a.QC12", "净利润"},           {"a.QC13", "实际上缴税费总额"}, {"a.QC14", "上缴增值税"},
    {"a.QC15", "上缴营业税"},       {"a.QC16", "上缴所得税"},       {"a.QC17", "减免税总额"},
    {"a.QC18", "减免增值税"},       {"a.QC19", "减免营业税"},       {"a.QC20", "减免所得税"},
    {"a.QC62", "应交增值税"},       {"a.QC22", "总成本与费用"},     {"a.QC23", "利息支出"},
    {"a.QC24", "年末资产总计"},     {"a.QC25", "流动资产"},         {"a.QC26", "长期投资"},
    {"a.QC27", "固定资产"},         {"a.QC28", "固定资产原价"},     {"a.QC29", "固定资产净值"},
    {"a.QC30", "无形资产"},         {"a.QC31", "年末负债"},         {"a.QC32", "银行科技开发贷款"},
    {"a.QC33", "年末所有者权益股东权益"}, {"a.QC34", "实收入资本"}, {"a.QC35", "国家资本"},
    {"a.QC45", "集体资本"},         {"a.QC46", "法人资本"},         {"a.QC47", "个人资本"},
    {"a.QC48", "港澳台资本"},       {"a.QC36", "外商资本"},         {"a.QC37", "盈余公积"},
    {"a.QC40", "本年完成固定资产投资额"}, {"a.QC41", "工业能源消费量"}, {"a.QD01", "年末从业人员数"},
    {"a.QD03", "留学归国人数"},     {"a.QD04", "留学归国硕士以上"}, {"a.QD23", "工程技术人员"},
    {"a.QD21", "引进外籍专家"},     {"a.QD14", "吸纳毕业生"},       {"a.QD05", "从业人员年平均数"},
    {"a.QD18", "研究生"},           {"a.QD06", "博士"},             {"a.QD07", "硕士"},
    {"a.QD08", "大学"},             {"a.QD09", "大专"},             {"a.QD10", "中专"},
    {"a.QD11", "高级"},             {"a.QD12", "中级"},             {"a.QD13", "初级"},
    {"a.QJ09", "科技活动人员合计"}, {"a.QJ09_1", "全时"},           {"a.QJ11", "参加科技项目人员"},
    {"a.QJ12", "高中级职称1"},      {"a.QJ13", "无高中级职称1"},    {"a.QJ23", "内部支出合计"},
    {"a.QJ33", "外部支出合计"},     {"a.QI09", "全部科技项目数"},   {"a.Qj53", "科技项目内部支出"},
    {"a.QI01", "企业办科技机构数"}, {"a.QI07", "机构科技活动人员"}, {"a.QJ70", "新产品产值"},
    {"a.QJ71", "新产品销售收入"},   {"a.QJ73", "拥有发明专利数"},   {"a.QJ55", "专利申请数"},
    {"a.QJ74", "专利授权数"},       {"a.QJ58", "技术改造经费支出"},
};

constexpr SummedColumn kProductSums[] = {
    {"b.qe_one", "产品数"},
    {"b.QE14", "产品全年工业总产值"},
    {"b.QE15", "产品全年销售收入"},
    {"b.QE16", "产品创汇"},
};

constexpr SummedColumn kProjectSums[] = {
    {"c.qh_one", "项目数"},
    {"c.Qh50", "项目本年经费内部支出"},
};

// One count of enterprises written into the template field `column`.
struct EnterpriseCount {
  std::string_view column;
  std::string_view counted;  // the argument of count()
  std::string_view condition;
};

// 区外企业数 counts rows: an enterprise with no qb07 counts as outside the zone.
constexpr EnterpriseCount kEnterpriseCounts[] = {
    {"政策区企业数", "qa02", "qa02='1'"},
    {"新建区企业数", "qa02", "qa02='2'"},
    {"区外企业数", "*", "qb07='2' or qb07 is null"},
    {"进区数", "qb07", "qb07='1'"},
    {"认定数", "qb11", "qb11='1'"},
};

constexpr SummedColumn kEnterpriseRdSums[] = {
    {"a.QC02", "QC02"},     {"a.Qj09", "Qj09"},     {"a.Qj14", "Qj14"},   {"a.QJ15", "Qj15"},
    {"a.Qj23", "Qj23"},     {"a.Qj24", "Qj24"},     {"a.Qj33", "Qj33"},   {"a.Qj250", "Qj250"},
    {"a.Qi09", "Qi09"},     {"a.Qj53", "Qj53"},     {"a.Qi01", "Qi01"},   {"a.Qi07", "Qi07"},
    {"a.Qi14", "Qi14"},     {"a.Qi17", "Qi17"},     {"a.Qj55", "Qj55"},   {"a.Qj56", "Qj56"},
    {"a.Qj74", "Qj74"},     {"a.Qj57", "Qj57"},     {"a.Qj75", "Qj75"},   {"a.Qj76", "Qj76"},
    {"a.Qj83", "Qj83"},     {"a.Qj73", "Qj73"},     {"a.Qj83_1", "Qj83_1"}, {"a.Qj83_2", "Qj83_2"},
    {"a.Qi23", "Qi23"},     {"a.Qi24", "Qi24"},     {"a.Qj70", "Qj70"},   {"a.Qj71", "Qj71"},
    {"a.Qj72", "Qj72"},     {"a.Qj79", "Qj79"},     {"a.Qi27", "Qi27"},   {"a.Qj85", "Qj85"},
    {"a.Qj86", "Qj86"},     {"a.Qj87", "Qj87"},     {"a.Qi28", "Qi28"},   {"a.Qi29", "Qi29"},
    {"a.Qi51", "Qi51"},     {"a.Qi52", "Qi52"},
};

constexpr SummedColumn kProjectRdSums[] = {
    {"c.Qh08", "Qh08"}, {"c.Qh08_1", "Qh08_1"}, {"c.Qh08_2", "Qh08_2"}, {"c.Qh08_3", "Qh08_3"}, {"c.Qh50", "Qh50"},
};

using Counts = std::array<std::int64_t, std::size(kEnterpriseCounts)>;

// The main window's scratch table on the template; the caller closes it.
db::Table& OpenCountTemplate(BuilderContext& context) {
  db::Table& template_table = context.main.Table1;
  template_table.Close();
  template_table.SetTableName(std::string(kEnterpriseCountTemplate));
  template_table.Open();
  return template_table;
}

// The template must be there with every count field before anything is
// rewritten, so that a bad installation leaves the old summary whole.
void CheckCountTemplate(BuilderContext& context) {
  RequireInstalledTable(context, kEnterpriseCountTemplate, "企业汇总的计数模板");
  db::Table& template_table = OpenCountTemplate(context);
  mainunit::OnExit close([&template_table] { template_table.Close(); });
  for (const EnterpriseCount& count : kEnterpriseCounts) {
    if (template_table.FindField(count.column)) continue;
    throw EngineError(EngineError::Kind::NoSuchField, EngineError::Words{"计数模板表 " + std::string(kEnterpriseCountTemplate) +
                                                          " 缺少字段 " + std::string(count.column) +
                                                          "，无法生成企业汇总"});
  }
}

Counts CountEnterprises(BuilderContext& context) {
  Counts values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const EnterpriseCount& count = kEnterpriseCounts[i];
    OpenStatement(context, {"select count(" + std::string(count.counted) + ") " + std::string(count.column) +
                            FromLine(context, "kfq_1.db\" where ") + std::string(count.condition)});
    values[i] = context.Query1.Fields(0).AsInteger();
  }
  return values;
}

// The template keeps its own fields; it gets one record with the counts.
void WriteCounts(BuilderContext& context, const Counts& values) {
  context.main.Database1.EmptyTable(kEnterpriseCountTemplate);
  db::Table& template_table = OpenCountTemplate(context);
  mainunit::OnExit close([&template_table] { template_table.Close(); });
  template_table.Append();
  for (std::size_t i = 0; i < values.size(); ++i) {
    template_table.FieldByName(kEnterpriseCounts[i].column).SetAsInteger(values[i]);
  }
  template_table.Post();
}

}  // namespace

std::span<const SummedColumn> EnterpriseSums() { return kEnterpriseSums; }

void BuildEnterpriseSummary(BuilderContext& context) {
  CheckCountTemplate(context);
  SaveStatementAs(context, SumStatement(context, kEnterpriseSums, "kfq_1.db\" a"), kEnterpriseSumsTable);
  SaveStatementAs(context, SumStatement(context, kProductSums, "kfq_2.db\" b"), kProductSumsTable);
  SaveStatementAs(context, SumStatement(context, kProjectSums, "kfq_5.db\" c"), kProjectSumsTable);
  WriteCounts(context, CountEnterprises(context));
  SaveStatementAs(context, {"select * from kfq1hz.db,kfq2hz.db,kfq3hz.db,kfq4hz.db"}, kEnterpriseSummaryTable);
}

void BuildEnterpriseRdSummary(BuilderContext& context) {
  SaveStatementAs(context, SumStatement(context, kEnterpriseRdSums, "kfq_1.db\" a"), kEnterpriseSumsTable);
  SaveStatementAs(context, SumStatement(context, kProjectRdSums, "kfq_5.db\" c"), kProjectSumsTable);
  SaveStatementAs(context, {"select * from kfq1hz.db,kfq3hz.db"}, kEnterpriseRdSummaryTable);
}

}  // namespace veltra::reports
