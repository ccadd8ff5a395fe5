#include "reports/project_summaries.h"

#include <string>
#include <vector>

namespace veltra::reports {
namespace {

constexpr std::string_view kLocalProjectTable = "dfxm2.db";

constexpr SummedColumn kSoftwareEnterpriseSums[] = {
    {"RJJD2_ONE", "企业数"},     {"KE128", "总销售收入"},     {"KE129", "商品销售收入"},   {"KE131", "软件收入"},
    {"KE132", "软件产品收入"},   {"KE133", "嵌入式软件"},     {"KE130", "软件技术收入"},   {"KE134", "软件服务收入"},
    {"KE135", "ITO收入"},        {"KE136", "BPO收入"},        {"KE137", "自主版权收入"},   {"KE138", "出口创汇额"},
    {"KE139", "软件出口创汇额"}, {"KE140", "海关软件创汇额"}, {"KE141", "净利润"},         {"KE142", "上缴税金"},
    {"KE166", "科技活动总额"},   {"KE167", "研究与试验发展"}, {"KE168", "软件研发经费"},   {"KE143", "增加值"},
    {"KE144", "劳动者报酬"},     {"KE145", "软件增加值"},     {"KE126", "年末企业资产"},   {"KE127", "负债总额"},
    {"KE146", "年均员工人数"},   {"KE147", "年末员工人数"},   {"KE148", "博士学位"},       {"KE149", "硕士学位"},
    {"KE150", "本科学历"},       {"KE151", "大专学历"},       {"KE152", "年均软件人数"},   {"KE153", "年末软件人数"},
    {"KE154", "有5年以上人员"},  {"KE155", "有2_5年"},        {"KE156", "有2年以下"},      {"KE157", "开发人员"},
    {"KE158", "测试人员"},       {"KE159", "销售人员"},       {"KE160", "培训人员"},       {"KE161", "维护人员"},
    {"KE162", "项目管理人员"},
};

constexpr SummedColumn kLocalProjectSums[] = {
    {"DF_ONE", "地方级项目数"}, {"JC100", "计划总投资"},      {"JF1002", "当年落实资金"},
    {"JF1102", "政府部门资金"}, {"JF1302", "贷款"},           {"JF1502", "自有资金"},
    {"JF1402", "国外资金"},     {"JG102", "当年实现产值"},    {"JG202", "当年产品销售收入"},
    {"JG212", "出口创汇额"},    {"JG302", "当年实现净利润额"}, {"JG402", "当年上缴税金额"},
};

constexpr SummedColumn kNationalProjectSums[] = {
    {"gj_one", "国家级项目数"}, {"JC100", "计划总投资"}, {"JC130", "贷款"},     {"JC150", "自有资金"},
    {"JF100_2", "落实资金"},    {"JG10_2", "产值"},      {"JG20_2", "产品销售收入"}, {"JG21_2", "出口创汇"},
    {"JG30_2", "净利润额"},     {"JG40_2", "交税总额"},
};

}  // namespace

void BuildSoftwareEnterpriseSummary(BuilderContext& context) {
  SaveStatementAs(context, SumStatement(context, kSoftwareEnterpriseSums, "rjjdqy.db\""), kSoftwareSummaryTable);
}

void BuildLocalProjectSummary(BuilderContext& context) {
  RequireInstalledTable(context, kLocalProjectTable, "地方级计划项目表");
  SaveStatementAs(context, SumStatement(context, kLocalProjectSums, "dfxm2.db\""), kLocalProjectSummaryTable);
}

// The FROM line stands on its own line here, without the leading blank.
void BuildNationalProjectSummary(BuilderContext& context) {
  std::vector<std::string> lines = SumLines(kNationalProjectSums);
  lines.push_back("from \"" + context.main.DataDirPrefix + "gjxm.db\"");
  lines.push_back("where  (is_chge='1' or is_chge='2')");
  SaveStatementAs(context, lines, kNationalProjectSummaryTable);
}

}  // namespace veltra::reports
