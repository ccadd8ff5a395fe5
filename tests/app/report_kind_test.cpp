// The main window's report list: kinds, offered tasks and entry windows.
#include "app/report_kind.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace veltra::app {
namespace {

TEST(ReportKind, ItemsSkipSevenAndTheComprehensiveItemsOfferNoValidation) {
  std::vector<int> codes;
  for (int i = 0; i < kReportItemCount; ++i) codes.push_back(ReportKindCode(i));
  EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10, 11}));
  for (int i = 0; i < kReportItemCount; ++i) EXPECT_EQ(ValidationAndQueryOffered(i), i != 1 && i != 4) << i;
  EXPECT_THROW(ReportKindCode(10), std::out_of_range);
}

TEST(ReportKind, OutsideEnterprisesOpenTheEnterpriseWindowUnderTheirOwnCaption) {
  EXPECT_EQ(EntryWindowFor(0).window, "TF_kfq");
  EXPECT_EQ(EntryWindowFor(2).window, "TF_kfq");
  EXPECT_EQ(EntryWindowFor(2).caption, "区外企业");
  EXPECT_EQ(EntryWindowFor(9).caption, "省级高新区");
  EXPECT_EQ(kReportItems[6], "国家大学科技园情况表");
}

}  // namespace
}  // namespace veltra::app
