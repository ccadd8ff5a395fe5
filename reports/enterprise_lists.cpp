#include "reports/enterprise_lists.h"

#include <string>
#include <vector>

namespace veltra::reports {
namespace {

// The FROM line of the large-enterprise list by mode; none for an unknown mode.
std::optional<std::string_view> LargeListSource(int mode) {
  switch (mode) {
    case 0: return "kfq_1.db\" where qc05>=50000 order by qc05 desc";
    case 1: return "kfq_1.db\" where qc05>=100000 order by qc05 desc";
    case 2: return "kfq_1.db\" where qb15<>' ' order by qc05 desc";
    default: return std::nullopt;
  }
}

}  // namespace

void BuildIndustrialEnterpriseList(BuilderContext& context) {
  SaveStatementAs(context,
                  WithFromLine(context,
                               {"select qa01 报表编号", ",qa04 企业名称", ",qc05 总收入", ",qc02 工业总产值",
                                ",qc44 工业增加值", ",qc12 净利润", ",qc13 实际上缴税费", ",qc11 出口创汇总额",
                                ",qd01 人数"},
                               "kfq_1.db\" where qc05>=5000 and SUBSTRING(qb03 FROM 1 FOR 2)>=\"06\" and "
                               "SUBSTRING(qb03 FROM 1 FOR 2)<=\"46\" order by qc05 desc"),
                  kIndustrialListTable);
}

void BuildServiceEnterpriseList(BuilderContext& context) {
  SaveStatementAs(context,
                  WithFromLine(context,
                               {"select qa01 报表编号", ",qa04 企业名称", ",qb03 行业代码", ",qc05 总收入",
                                ",qc12 净利润", ",qc13 实际上缴税费", ",qd01 人数"},
                               "kfq_1.db\" where SUBSTRING(qb03 FROM 1 FOR 2)=\"63\" or "
                               "SUBSTRING(qb03 FROM 1 FOR 2)=\"64\" or SUBSTRING(qb03 FROM 1 FOR 2)=\"65\" or "
                               "SUBSTRING(qb03 FROM 1 FOR 2)=\"73\" or SUBSTRING(qb03 FROM 1 FOR 2)=\"74\" or "
                               "SUBSTRING(qb03 FROM 1 FOR 2)=\"75\" order by qc05 desc"),
                  kServiceListTable);
}

void BuildLargeEnterpriseList(BuilderContext& context, int mode) {
  const std::optional<std::string_view> source = LargeListSource(mode);
  if (!source) return;
  SaveStatementAs(context,
                  WithFromLine(context,
                               {"select qa01 报表编号", ",qa04 企业名称", ",qb04 开业时间", ",qb11 认定", ",qb07 进区",
                                ",qa02 企业所在范围", ",qb09 企业组织机构", ",qd01 年末从业人员数", ",qc05 总收入",
                                ",qc44 工业增加值", ",qc12 净利润", ",qc13 实际上缴税费", ",qc11 出口创汇总额",
                                ",qc24 年末资产总计", ",qc31 年末负债合计"},
                               *source),
                  kLargeListTable);
}

}  // namespace veltra::reports
