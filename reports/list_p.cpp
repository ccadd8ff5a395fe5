#include "reports/list_p.h"

namespace veltra::reports {
namespace {

using print::Alignment;

constexpr int kRowHeight = 60;
constexpr int kNumberWidth = 220;

ListPrintWindow::Column Number(const char* caption, const char* field, int width = kNumberWidth) {
  return {Caption(width, QString::fromUtf8(caption), Alignment::Center), reports::Number(width, field)};
}

ListPrintWindow::Column Heading(int width, const char* caption, SheetCell value) {
  return {Caption(width, QString::fromUtf8(caption), Alignment::Center), std::move(value)};
}

}  // namespace

ListPrintWindow::ListPrintWindow(db::Database& database, const std::string& table_name, const QString& title,
                                 const std::vector<Column>& columns)
    : PrintWindow(database, table_name, print::Orientation::Portrait) {
  const int page_width = QuickRep1.page.ContentRect().width();
  AddCentredTitle(QuickRep1.page_header, 0, page_width, title, Hei(14));
  QuickRep1.page_header.height += 40;

  std::vector<SheetCell> captions, values;
  for (const Column& column : columns) {
    captions.push_back(column.caption);
    values.push_back(column.value);
  }
  AddRuledRow(QuickRep1.title, 0, kRowHeight, captions, Arial(10));
  AddRuledRow(QuickRep1.detail, 0, kRowHeight, values, Arial(10));

  QuickRep1.page_footer.height = 80;
  QuickRep1.page_footer.items.push_back(
      print::PageNumberText{{0, 30, page_width, Alignment::Center, Arial(10)}});
}

print::Label& ListPrintWindow::QRLabel1() { return std::get<print::Label>(QuickRep1.page_header.items.front()); }

TF_gyqy_p::TF_gyqy_p(db::Database& database)
    : ListPrintWindow(database, "gyqy.db", QStringLiteral("产品收入500万以上的全部工业企业"),
                      {Heading(160, "报表编号", Text(160, "报表编号")),
                       Heading(640, "企业名称", Text(640, "企业名称")),
                       Number("总收入", "总收入"),
                       Number("净利润", "净利润"),
                       Number("上缴税费", "实际上缴税费"),
                       Number("出口创汇", "出口创汇总额"),
                       Number("人数", "人数")}) {}

TF_fwqy_p::TF_fwqy_p(db::Database& database)
    : ListPrintWindow(database, "fwqy.db", QStringLiteral("技术服务型企业"),
                      {Heading(160, "报表编号", Text(160, "报表编号")),
                       Heading(640, "企业名称", Text(640, "企业名称")),
                       Heading(kNumberWidth, "行业代码", {kNumberWidth, {}, "行业代码", Alignment::Center, ""}),
                       Number("总收入", "总收入"),
                       Number("净利润", "净利润"),
                       Number("上缴税费", "实际上缴税费"),
                       Number("人数", "人数")}) {}

TF_dqy_p::TF_dqy_p(db::Database& database)
    : ListPrintWindow(database, "dqy.db", QStringLiteral("企业清单"),
                      {Heading(160, "报表编号", Text(160, "报表编号")),
                       Heading(640, "企业名称", Text(640, "企业名称")),
                       Number("总收入", "总收入", 275),
                       Number("净利润", "净利润", 275),
                       Number("上缴税费", "实际上缴税费", 275),
                       Number("出口创汇", "出口创汇总额", 275)}) {}

}  // namespace veltra::reports
