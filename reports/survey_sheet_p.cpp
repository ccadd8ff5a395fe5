#include "reports/survey_sheet_p.h"

#include <array>
#include <utility>
#include <vector>

#include "reports/sheet_layout.h"

namespace veltra::reports {

using print::Alignment;

TF_dfwsb_p::TF_dfwsb_p(db::Database& database) : PrintWindow(database, "df_wsb.db", print::Orientation::Landscape) {
  const print::Font font = Song(11);
  print::Band& band = QuickRep1.title;
  const int top = AddSheetTitle(QuickRep1, QStringLiteral("2009年地方级项目未统计原因及主要指标预计情况调查表"));
  const int width = QuickRep1.page.ContentRect().width() / 7;

  std::vector<SheetCell> header;
  for (const char* caption : {"未统计原因", "项目数", "总产值", "销售收入", "净利润", "上缴税费", "创汇（美元）"})
    header.push_back(Caption(width, QString::fromUtf8(caption), Alignment::Center));
  AddRuledRow(band, top, kSheetRowHeight, header, font);

  // Reason rows: caption and project count in the first two columns.
  const std::array<const char*, 6> reasons = {"验收", "结题", "撤项", "停顿", "拒报", "其他"};
  const int body_top = top + kSheetRowHeight;
  for (int i = 0; i < 6; ++i) {
    const int y = body_top + i * kSheetRowHeight;
    AddCellText(band, QRect(0, y, width, kSheetRowHeight), Caption(width, QString::fromUtf8(reasons[i]), Alignment::Center),
                font);
    AddCellText(band, QRect(width, y, width, kSheetRowHeight), Number(width, "XMS_" + std::to_string(i + 1)), font);
    if (i > 0) AddRule(band, 0, y, 2 * width, y);
  }
  // Indicators: one cell over 验收 and 结题, one over 撤项 to 其他.
  const std::array<const char*, 5> indicators = {"ZCZ", "XSSR", "JLR", "SJSF", "CH"};
  const int group_split = body_top + 2 * kSheetRowHeight;
  const int body_bottom = body_top + 6 * kSheetRowHeight;
  for (int i = 0; i < 5; ++i) {
    const int x = (i + 2) * width;
    const std::string field = indicators[i];
    AddCellText(band, QRect(x, body_top, width, 2 * kSheetRowHeight), Number(width, field + "_1"), font);
    AddCellText(band, QRect(x, group_split, width, 4 * kSheetRowHeight), Number(width, field + "_2"), font);
  }
  AddRule(band, 2 * width, group_split, 7 * width, group_split);
  for (int i = 1; i < 7; ++i) AddRule(band, i * width, body_top, i * width, body_bottom);
  AddFrame(band, QRect(0, body_top, 7 * width, body_bottom - body_top));
}

TF_xmdcb_p::TF_xmdcb_p(db::Database& database) : PrintWindow(database, "xmdcb.db", print::Orientation::Landscape) {
  const print::Font font = Song(11);
  print::Band& band = QuickRep1.title;
  int y = AddSheetTitle(QuickRep1, QStringLiteral("2011年Veltra计划项目统计情况调查表"));
  const int full = QuickRep1.page.ContentRect().width();
  const int caption = 420;
  const int value = (full - 3 * caption) / 3;
  const int seventh = full / 7;

  auto row = [&](std::vector<SheetCell> cells) {
    AddRuledRow(band, y, kSheetRowHeight, cells, font);
    y += kSheetRowHeight;
  };
  auto pair = [&](const char* text, std::string field, std::vector<SheetCell>& cells, bool is_text = false) {
    cells.push_back(Caption(caption, QString::fromUtf8(text)));
    cells.push_back(is_text ? Text(value, std::move(field)) : Number(value, std::move(field)));
  };
  auto section = [&](const char* text) { row({Caption(full, QString::fromUtf8(text), Alignment::Center)}); };
  auto categories = [&](const char* first, const char* prefix) {
    std::vector<SheetCell> captions, values;
    const std::array<const char*, 7> texts = {first, "电子信息", "生物技术", "新材料", "新能源与环保", "机电一体化",
                                              "其它高技术"};
    for (int i = 0; i < 7; ++i) {
      const int width = i < 6 ? seventh : full - 6 * seventh;  // the last cell ends where the other rows end
      captions.push_back(Caption(width, QString::fromUtf8(texts[i]), Alignment::Center));
      values.push_back(Number(width, prefix + std::to_string(i + 1)));
    }
    row(captions);
    row(values);
  };

  std::vector<SheetCell> cells;
  pair("省市科委名称", "KW", cells, true);
  pair("地区码", "DQ", cells, true);
  pair("填表人", "TBR", cells, true);
  row(std::exchange(cells, {}));
  section("国家级Veltra计划项目统计情况");
  pair("要求统计项目数", "GJ_1", cells);
  pair("实际统计项目数", "GJ_2", cells);
  pair("增加项目数", "GJ_3", cells);
  row(std::exchange(cells, {}));
  pair("未统计项目数", "GJ_4", cells);
  cells.push_back(Caption(full - caption - value, QStringLiteral("未统计原因请录入附后数据库")));
  row(std::exchange(cells, {}));
  section("地方级Veltra计划项目统计情况");
  pair("历年立项数", "DF_1", cells);
  pair("验收、撤项数", "DF_2", cells);
  pair("实际统计项目数", "DF_3", cells);
  row(std::exchange(cells, {}));
  categories("当年立项数", "DN_");
  categories("当年区内立项数", "QN_");
  section("区外高新技术企业技术情况");
  pair("区外高新技术企业数", "QWQYS", cells);
  pair("实际统计企业数", "QWTJS", cells);
  row(std::exchange(cells, {}));
}

}  // namespace veltra::reports
