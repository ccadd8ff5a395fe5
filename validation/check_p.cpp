#include "validation/check_p.h"

#include <QLine>
#include <QRect>

namespace veltra::validation {

namespace {

using print::UnitsFromPixels;

print::Font Font(const char* family, double points) { return {QString::fromUtf8(family), points}; }

print::TextBox At(int left_pixels, int top_pixels, print::Font font) {
  return {UnitsFromPixels(left_pixels), UnitsFromPixels(top_pixels), 0, print::Alignment::Left, font};
}

constexpr int kRowHeight = 27;
constexpr int kTextTop = 6;

// The framed row of the column header and of every detail line.
void AddGrid(print::Band& band) {
  band.height = UnitsFromPixels(kRowHeight);
  band.items.push_back(print::FrameShape{QRect(UnitsFromPixels(8), 0, UnitsFromPixels(711), band.height)});
  for (int x : {48, 80, 160, 224, 328}) {
    band.items.push_back(print::RuleShape{QLine(UnitsFromPixels(x), 0, UnitsFromPixels(x), band.height)});
  }
}

}  // namespace

TF_check_p::TF_check_p(db::Database& database) : Table1(database), Table2(database) {
  Table1.SetTableName("check_p.db");
  Table2.SetTableName("check_pt.db");

  QuickRep1.page = print::PageSetup{};  // A4 portrait, 10 mm margins
  QuickRep1.data_set = &records1_;
  QuickRep1.data_set_name = "Table1";
  QuickRep1.AddLookup("Table2", &records2_);

  QuickRep1.title.height = UnitsFromPixels(40);
  QuickRep1.title.items.push_back(print::Label{At(304, 0, Font("黑体", 16)), QStringLiteral("校验表")});
  // The subtitle and 状态 stand a little higher and further left than the
  // form puts them, so that with these fonts they clear the frame and its rules.
  QuickRep1.title.items.push_back(print::ExpressionText{At(8, 22, Font("黑体", 10)), "Table2.Text"});

  const print::Font body = Font("宋体", 10);
  AddGrid(QuickRep1.column_header);
  const std::pair<int, const char*> captions[] = {{16, "序号"},  {53, "状态"},   {104, "编号"},
                                                   {176, "字段名"}, {256, "字段值"}, {462, "错误信息"}};
  for (const auto& [left, caption] : captions) {
    QuickRep1.column_header.items.push_back(print::Label{At(left, kTextTop, body), QString::fromUtf8(caption)});
  }
  AddGrid(QuickRep1.detail);
  const std::pair<int, const char*> fields[] = {{16, "序号"},   {53, "状态"},   {88, "编号"},
                                                 {168, "字段名"}, {232, "字段值"}, {336, "错误信息"}};
  for (const auto& [left, field] : fields) {
    QuickRep1.detail.items.push_back(print::DataText{At(left, kTextTop, body), field});
  }

  QuickRep1.page_footer.height = UnitsFromPixels(28);
  print::TextBox centred{0, UnitsFromPixels(kTextTop), QuickRep1.page.ContentRect().width(), print::Alignment::Center,
                         body};
  QuickRep1.page_footer.items.push_back(print::PageNumberText{centred});

  QuickRep1.BeforePrint = [this] { QuickRep1BeforePrint(); };
  QuickRep1.AfterPrint = [this] { CloseTables(); };
  QuickRep1.AfterPreview = [this] { CloseTables(); };
}

void TF_check_p::QuickRep1BeforePrint() {
  if (!Table1.Active()) Table1.Open();
  if (!Table2.Active()) Table2.Open();
}

void TF_check_p::CloseTables() {
  Table1.Close();
  Table2.Close();
}

}  // namespace veltra::validation
