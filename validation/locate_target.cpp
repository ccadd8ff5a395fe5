#include "validation/locate_target.h"

#include <array>
#include <utility>

namespace veltra::validation {

const LocateTarget* FindLocateTarget(int kind) {
  static const std::array<std::pair<int, LocateTarget>, 9> kTargets = {{
      {1, {"qa01", false, "TF_kfq", "高新区企业"}},
      {3, {"qa01", false, "TF_kfq", "区外企业"}},
      {4, {"jb00", false, "TF_gjxm", "国家级项目"}},
      {6, {"code", false, "TF_tzjg", "创业投资机构情况"}},
      {7, {"code", true, "TF_rjjd", "软件产业基地情况"}},
      {8, {"code", true, "TF_dxkjy", "大学科技园情况"}},
      {9, {"code", true, "TF_fhq", "科技企业孵化器情况"}},
      {10, {"code", false, "TF_tsjd", "特色产业基地情况"}},
      {11, {"code", false, "TF_sjgxq", "省级高新区"}},
  }};
  for (const auto& [target_kind, target] : kTargets) {
    if (target_kind == kind) return &target;
  }
  return nullptr;
}

}  // namespace veltra::validation
