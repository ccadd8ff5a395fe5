#include "reports/gjwsb_p.h"

#include "reports/sheet_layout.h"

namespace veltra::reports {
namespace {

using print::Alignment;

constexpr int kNumberWidth = 220;   // JB00
constexpr int kPlanWidth = 300;     // JB02
constexpr int kNameWidth = 1030;    // JB01
constexpr int kReasonWidth = 305;   // each of the four reasons
constexpr int kGroupHeight = 60;    // "未上报原因" over the reasons
constexpr int kReasonHeight = 100;  // the two-line reason captions
constexpr int kRowHeight = 65;

constexpr const char* kReasons[] = {"验收、结题过\n早或已经撤项", "项目承担\n单位拒报", "单位迁扯或项\n目负责人调动",
                                    "其它原因"};

}  // namespace

TF_gjwsb_p::TF_gjwsb_p(db::Database& database) : PrintWindow(database, "gj_wsb.db", print::Orientation::Landscape) {
  const print::Font font = Song(11);
  const int page_width = QuickRep1.page.ContentRect().width();
  AddCentredTitle(QuickRep1.title, 0, page_width, QStringLiteral("2011年国家级Veltra计划项目未统计上报原因调查表"),
                  Hei(14));
  QuickRep1.title.height += 40;

  // Three captions over both tiers, the group caption over the four reasons.
  print::Band& header = QuickRep1.column_header;
  const int height = kGroupHeight + kReasonHeight;
  int left = 0;
  for (const auto& [caption, width] :
       {std::pair{"项目编号", kNumberWidth}, std::pair{"计划编号", kPlanWidth}, std::pair{"项目名称", kNameWidth}}) {
    AddCellText(header, QRect(left, 0, width, height), Caption(width, QString::fromUtf8(caption), Alignment::Center),
                font);
    left += width;
    AddRule(header, left, 0, left, height);
  }
  const int reasons_left = left;
  AddCellText(header, QRect(left, 0, 4 * kReasonWidth, kGroupHeight),
              Caption(4 * kReasonWidth, QStringLiteral("未上报原因"), Alignment::Center), font);
  AddRule(header, reasons_left, kGroupHeight, reasons_left + 4 * kReasonWidth, kGroupHeight);
  for (int i = 0; i < 4; ++i) {
    const int x = reasons_left + i * kReasonWidth;
    if (i > 0) AddRule(header, x, kGroupHeight, x, height);
    AddCellText(header, QRect(x, kGroupHeight, kReasonWidth, kReasonHeight),
                Caption(kReasonWidth, QString::fromUtf8(kReasons[i]), Alignment::Center), font);
  }
  AddFrame(header, QRect(0, 0, reasons_left + 4 * kReasonWidth, height));

  std::vector<SheetCell> row = {Text(kNumberWidth, "JB00"), Text(kPlanWidth, "JB02"), Text(kNameWidth, "JB01")};
  for (int code = 1; code <= 4; ++code) {
    const std::string value = std::to_string(code);
    row.push_back(Expression(kReasonWidth, "IF(Table1.YY = '" + value + "', '√', '')", Alignment::Center));
  }
  AddRuledRow(QuickRep1.detail, 0, kRowHeight, row, font);
}

}  // namespace veltra::reports
