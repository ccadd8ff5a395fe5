#pragma once
// The main window's report list: which report kind each item stands for and
// which entry window and caption "数据录入" opens for it.
#include <array>
#include <string_view>

namespace veltra::app {

inline constexpr int kReportItemCount = 10;

// Item index 0-5 give kinds 1-6, 6-9 give 8-11; kind 7 has no item.
int ReportKindCode(int item_index);

// "报表校验" and "查询统计" are offered for every item but the zone
// comprehensive data and the unreported national projects.
bool ValidationAndQueryOffered(int item_index);

struct EntryChoice {
  std::string_view window;   // "TF_kfq"
  std::string_view caption;  // "高新区企业"
};
EntryChoice EntryWindowFor(int item_index);

// The items of "请选择报表", in order.
extern const std::array<std::string_view, kReportItemCount> kReportItems;

}  // namespace veltra::app
