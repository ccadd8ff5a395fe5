// The preview of a long printout shaped like the validation result (a
// ruled row of six fields a record, A4 portrait): its first and last page
// as the preview lays them out when shown, beside the whole document laid
// out beforehand, as the preview once did. Offscreen; times and the growth
// of the process's peak memory.
//
//   preview_bench [N]   (records, default 955,350)
#include <QApplication>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/print/band_report.h"
#include "platform/print/page_output.h"

using namespace veltra;
using namespace veltra::print;

namespace {

constexpr const char* kFields[] = {"序号", "状态", "编号", "字段名", "字段值", "错误信息"};

class ResultRows : public RecordSource {
 public:
  explicit ResultRows(int count) : count_(count) {}
  std::vector<std::string> FieldNames() const override { return {std::begin(kFields), std::end(kFields)}; }
  int RecordCount() const override { return count_; }
  void MoveTo(int index) override { current_ = index; }
  Value FieldValue(int field) const override {
    switch (field) {
      case 0: return Value::Text(std::to_string(current_ + 1));
      case 1: return Value::Text(current_ % 3 ? "警告" : "错误");
      case 2: return Value::Text(std::to_string(100000 + current_ / 12));
      case 3: return Value::Text("qc" + std::to_string(current_ % 90));
      case 4: return Value::Float(current_ % 1000 - 1);
      default: return Value::Text("总收入应大于等于产品销售收入之和");
    }
  }

 private:
  int count_;
  int current_ = 0;
};

BandReport ResultReport(ResultRows& rows) {
  BandReport report;
  report.data_set = &rows;
  const auto text_at = [](int x) { return TextBox{UnitsFromPixels(x), UnitsFromPixels(6)}; };
  report.title.height = UnitsFromPixels(40);
  report.title.items = {Label{TextBox{UnitsFromPixels(304), 0, 0, Alignment::Left, {QStringLiteral("黑体"), 16}},
                              QStringLiteral("校验表")}};
  for (Band* band : {&report.column_header, &report.detail}) {
    band->height = UnitsFromPixels(27);
    band->items.push_back(FrameShape{QRect(UnitsFromPixels(8), 0, UnitsFromPixels(711), band->height)});
    for (int x : {48, 80, 160, 224, 328})
      band->items.push_back(RuleShape{QLine(UnitsFromPixels(x), 0, UnitsFromPixels(x), band->height)});
  }
  const int columns[] = {16, 56, 88, 168, 232, 336};
  for (int i = 0; i < 6; ++i) {
    report.column_header.items.push_back(Label{text_at(columns[i]), QString::fromUtf8(kFields[i])});
    report.detail.items.push_back(DataText{text_at(columns[i]), kFields[i], ""});
  }
  report.page_footer.height = UnitsFromPixels(28);
  report.page_footer.items.push_back(PageNumberText{text_at(312), QStringLiteral("{page}/{pages}")});
  return report;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int records = argc > 1 ? std::atoi(argv[1]) : 955350;
  ResultRows rows(records);
  BandReport report = ResultReport(rows);
  const double start_peak = PeakMegabytes();

  auto start = std::chrono::steady_clock::now();
  std::unique_ptr<PageSource> pages = report.LayOut();
  RenderPageImage(pages->Setup(), pages->PageAt(0), 96);
  const double first_page = SecondsSince(start);
  start = std::chrono::steady_clock::now();
  RenderPageImage(pages->Setup(), pages->PageAt(pages->PageCount() - 1), 96);
  const double last_page = SecondsSince(start);
  const double shown_peak = PeakMegabytes();
  std::printf("%d records, %d pages; laid out as shown: first page %.2f s, last page %.3f s, peak +%.0f MB\n",
              records, pages->PageCount(), first_page, last_page, shown_peak - start_peak);

  start = std::chrono::steady_clock::now();
  const Document document = report.Prepare();
  RenderPageImage(document, 0, 96);
  std::printf("laid out beforehand: first page %.2f s, peak +%.0f MB\n", SecondsSince(start),
              PeakMegabytes() - start_peak);
  return 0;
}
