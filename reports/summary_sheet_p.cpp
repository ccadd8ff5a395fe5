#include "reports/summary_sheet_p.h"

#include <algorithm>

#include "reports/sheet_layout.h"

namespace veltra::reports {
namespace {

const char* const kNoDecimals = "0.";

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// Each pair column's caption cell is as wide as its longest caption; the
// values share what is left.
std::vector<int> CaptionWidths(const std::vector<SummarySheet::Row>& rows, const print::Font& font) {
  std::vector<int> widths;
  for (const SummarySheet::Row& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t i = 0; i < row.size(); ++i)
      widths[i] = std::max(widths[i], CellWidthFor(Utf8(row[i].caption), font));
  }
  return widths;
}

using Row = SummarySheet::Row;

const std::vector<Row> kEnterpriseSummary = {
    {{"企业数", "企业数"}, {"流动资产", "流动资产"}, {"科技项目内部支出", "科技项目内部支出"}},
    {{"进区数", "进区数"}, {"固定资产合计", "固定资产"}, {"企业办机构数", "企业办科技机构数"}},
    {{"认定数", "认定数"}, {"年末负债", "年末负债"}, {"机构科技活动人员", "机构科技活动人员"}},
    {{"政策区企业", "政策区企业数"}, {"年末所有者权益", "年末所有者权益股东权益"}, {"新产品产值", "新产品产值"}},
    {{"新建区企业", "新建区企业数"}, {"实收入资本", "实收入资本"}, {"新产品销售收入", "新产品销售收入"}},
    {{"区外企业", "区外企业数"}, {"本年固定投资额", "本年完成固定资产投资额"}, {"拥有发明专利数", "拥有发明专利数"}},
    {{"产品数", "产品数"}, {"工业能源消费量", "工业能源消费量"}, {"专利申请数", "专利申请数"}},
    {{"项目数", "项目数"}, {"年末从业人员数", "年末从业人员数"}, {"专利授权数", "专利授权数"}},
    {{"工业总产值", "工业总产值"}, {"从业人员平均数", "从业人员年平均数"}, {"技术改造经费支出", "技术改造经费支出"}},
    {{"总收入", "总收入"}, {"研究生", "研究生"}, {"产品工业产值", "产品全年工业总产值"}},
    {{"技术收入", "技术收入"}, {"博士", "博士"}, {"产品销售收入", "产品全年销售收入"}},
    {{"产品销售收入", "产品销售收入"}, {"硕士", "硕士"}, {"产品创汇", "产品创汇"}},
    {{"商品销售收入", "商品销售收入"}, {"大学", "大学"}, {"项目经费内部支出", "项目本年经费内部支出"}},
    {{"中间投入", "中间投入"}, {"大专", "大专"}},
    {{"增加值", "增加值"}, {"中专", "中专"}},
    {{"工业增加值", "工业增加值"}, {"高级", "高级"}},
    {{"出口创汇总额", "出口创汇总额"}, {"中级", "中级"}},
    {{"净利润", "净利润"}, {"初级", "初级"}},
    {{"实际上缴税", "实际上缴税费总额"}, {"科技活动人员合计", "科技活动人员合计"}},
    {{"减免税总额", "减免税总额"}, {"全时", "全时"}},
    {{"应交增值税", "应交增值税"}, {"参加科技项目人员", "参加科技项目人员"}},
    {{"总成本与费用", "总成本与费用"}, {"内部支出合计", "内部支出合计"}},
    {{"年末资产总计", "年末资产总计"}, {"全部科技项目数", "全部科技项目数"}},
};

const std::vector<Row> kEnterpriseRdSummary = {
    {{"科技活动人员合计", "Qj09"}, {"专利所有权转让及许可数", "Qi23"}},
    {{"R&D人员合计", "Qj14"}, {"专利所有权转让及许可收入", "Qi24"}},
    {{"科技活动经费筹集总额", "QJ15"}, {"新产品产值", "Qj70"}},
    {{"企业内部用于科技活动的经费支出合计", "Qj23"}, {"新产品销售收入", "Qj71"}},
    {{"研究与试验发展（R&D）经费支出", "Qj24"}, {"出口", "Qj72"}},
    {{"委托外单位开展科技活动的经费支出", "Qj33"}, {"拥有注册商标", "Qj79"}},
    {{"企业内部科技活动经费固定资产", "Qj250"}, {"形成国家或行业标准", "Qi27"}},
    {{"全部科技项目数", "Qi09"}, {"软件著作版权", "Qj85"}},
    {{"全部科技项目经费内部支出", "Qj53"}, {"集成电路布图", "Qj86"}},
    {{"机构数", "Qi01"}, {"植物新品种", "Qj87"}},
    {{"机构人员合计", "Qi07"}, {"国家奖", "Qi28"}},
    {{"机构经费支出", "Qi14"}, {"其他奖励", "Qi29"}},
    {{"仪器和设备原价", "Qi17"}, {"研究开发费用加计扣除减免税", "Qi51"}},
    {{"专利申请数", "Qj55"}, {"高新技术企业减免税", "Qi52"}},
    {{"发明专利", "Qj56"}, {"本年度参加项目人员", "Qh08"}},
    {{"当年专利授权数", "Qj74"}, {"研究人员", "Qh08_1"}},
    {{"发明专利授权数", "Qj57"}, {"技术人员", "Qh08_2"}},
    {{"欧美日专利授权数", "Qj75"}, {"辅助人员", "Qh08_3"}},
    {{"欧美日发明专利授权数", "Qj76"}, {"本年度项目经费内部支出", "Qh50"}},
    {{"拥有有效专利数", "Qj83"}},
    {{"发明专利数", "Qj73"}},
    {{"境外授权", "Qj83_1"}},
    {{"拥有欧美日专利数", "Qj83_2"}},
};

const std::vector<Row> kSoftwareEnterpriseSummary = {
    {{"企业数", "企业数"}, {"劳动者报酬", "劳动者报酬"}},
    {{"总销售收入", "总销售收入"}, {"软件增加值", "软件增加值"}},
    {{"商品销售收入", "商品销售收入"}, {"年末企业资产", "年末企业资产"}},
    {{"软件收入", "软件收入"}, {"负债总额", "负债总额"}},
    {{"软件产品收入", "软件产品收入"}, {"年均员工人数", "年均员工人数"}},
    {{"嵌入式软件", "嵌入式软件"}, {"年末员工人数", "年末员工人数"}},
    {{"软件技术收入", "软件技术收入"}, {"博士学位", "博士学位"}},
    {{"软件服务收入", "软件服务收入"}, {"硕士学位", "硕士学位"}},
    {{"ITO收入", "ITO收入"}, {"本科学历", "本科学历"}},
    {{"BPO收入", "BPO收入"}, {"大专学历", "大专学历"}},
    {{"自主版权收入", "自主版权收入"}, {"年均软件人数", "年均软件人数"}},
    {{"出口创汇额", "出口创汇额"}, {"年末软件人数", "年末软件人数"}},
    {{"软件出口创汇额", "软件出口创汇额"}, {"有5年以上人员", "有5年以上人员"}},
    {{"海关软件创汇额", "海关软件创汇额"}, {"有2_5年", "有2_5年"}},
    {{"净利润", "净利润"}, {"开发人员", "开发人员"}},
    {{"上缴税金", "上缴税金"}, {"测试人员", "测试人员"}},
    {{"科技活动总额", "科技活动总额"}, {"销售人员", "销售人员"}},
    {{"研究与试验发展", "研究与试验发展"}, {"培训人员", "培训人员"}},
    {{"软件研发经费", "软件研发经费"}, {"维护人员", "维护人员"}},
    {{"增加值", "增加值"}, {"项目管理人员", "项目管理人员"}},
};

const std::vector<Row> kLocalProjectSummary = {
    {{"地方级项目数", "地方级项目数"}, {"计划总投资", "计划总投资"}},
    {{"当年落实资金", "当年落实资金"}, {"政府部门资金", "政府部门资金"}},
    {{"贷款", "贷款"}, {"自有资金", "自有资金"}},
    {{"国外资金", "国外资金"}, {"当年实现产值", "当年实现产值"}},
    {{"当年产品销售收入", "当年产品销售收入"}, {"出口创汇额", "出口创汇额"}},
    {{"当年实现净利润额", "当年实现净利润额"}, {"当年上缴税金额", "当年上缴税金额"}},
};

const std::vector<Row> kNationalProjectSummary = {
    {{"国家级项目数", "国家级项目数"}, {"计划总投资", "计划总投资"}},
    {{"落实资金合计", "落实资金"}, {"贷款", "贷款"}},
    {{"自有资金", "自有资金"}, {"产值", "产值"}},
    {{"产品销售收入", "产品销售收入"}, {"出口创汇", "出口创汇"}},
    {{"净利润", "净利润额"}, {"交税总额", "交税总额"}},
};

}  // namespace

SummarySheet::SummarySheet(db::Database& database, const std::string& table_name, std::string_view title,
                           const std::vector<Row>& rows, const std::string& mask)
    : PrintWindow(database, table_name, print::Orientation::Portrait), rows_(rows) {
  const print::Font font = Song(11);
  const int full = QuickRep1.page.ContentRect().width();

  const std::vector<int> captions = CaptionWidths(rows, font);
  int value = full;
  for (int width : captions) value -= width;
  value /= static_cast<int>(captions.size());

  int y = AddSheetTitle(QuickRep1, Utf8(title));
  for (const Row& row : rows) {
    std::vector<SheetCell> cells;
    for (std::size_t i = 0; i < row.size(); ++i) {
      cells.push_back(Caption(captions[i], Utf8(row[i].caption)));
      cells.push_back(Number(value, std::string(row[i].column), mask));
    }
    AddRuledRow(QuickRep1.title, y, kSheetRowHeight, cells, font);
    y += kSheetRowHeight;
  }
}

TF_qyhz_p::TF_qyhz_p(db::Database& database)
    : SummarySheet(database, "qyhz.db", "2011年高新技术产业开发区（区外）企业汇总表", kEnterpriseSummary, kNoDecimals) {}

TF_qyrdhz_p::TF_qyrdhz_p(db::Database& database)
    : SummarySheet(database, "qyrdhz.db", "2009年高新技术产业开发区（区外）企业R&D情况表", kEnterpriseRdSummary,
                   kNoDecimals) {}

TF_rjqyhz_p::TF_rjqyhz_p(db::Database& database)
    : SummarySheet(database, "rjqyhz.db", "2009国家Veltra计划软件产业基地内软件企业情况汇总表",
                   kSoftwareEnterpriseSummary, kNoDecimals) {}

TF_dfhz_p::TF_dfhz_p(db::Database& database)
    : SummarySheet(database, "dfhz.db", "2009年地方级项目汇总表", kLocalProjectSummary, "") {}

TF_gjhz_p::TF_gjhz_p(db::Database& database)
    : SummarySheet(database, "gjhz.db", "2011年国家级项目汇总表", kNationalProjectSummary, kNoDecimals) {}

}  // namespace veltra::reports
