#include "app/report_kind.h"

#include <stdexcept>
#include <string>

namespace veltra::app {

const std::array<std::string_view, kReportItemCount> kReportItems = {
    "国家高新技术产业开发区企业统计报表", "国家高新技术产业开发区综合情况报表", "区外高新技术企业统计报表",
    "国家级科技计划项目执行情况调查表",   "国家级项目未统计原因",             "高新区创业投资机构情况表",
    "国家大学科技园情况表",               "科技企业孵化器情况表",             "Veltra计划特色产业基地情况表",
    "省级高新技术产业开发区情况调查表",
};

namespace {

constexpr std::array<EntryChoice, kReportItemCount> kEntryWindows = {{
    {"TF_kfq", "高新区企业"},
    {"TF_kfqzh", "高新区综合情况"},
    {"TF_kfq", "区外企业"},
    {"TF_gjxm", "国家级项目"},
    {"TF_gjwsb", "国家级项目未上报原因"},
    {"TF_tzjg", "国家高新区创业投资机构情况表"},
    {"TF_dxkjy", "大学科技园情况"},
    {"TF_fhq", "科技企业孵化器情况"},
    {"TF_tsjd", "特色产业基地情况"},
    {"TF_sjgxq", "省级高新区"},
}};

void CheckItem(int item_index) {
  if (item_index < 0 || item_index >= kReportItemCount) {
    throw std::out_of_range("report list item " + std::to_string(item_index) + " does not exist");
  }
}

}  // namespace

int ReportKindCode(int item_index) {
  CheckItem(item_index);
  const int code = item_index + 1;
  return code >= 7 ? code + 1 : code;
}

bool ValidationAndQueryOffered(int item_index) {
  CheckItem(item_index);
  const int code = item_index + 1;  // without the skip over 7
  return code != 2 && code != 5;
}

EntryChoice EntryWindowFor(int item_index) {
  CheckItem(item_index);
  return kEntryWindows[item_index];
}

}  // namespace veltra::app
