#include "validation/check_catalog.h"

#include "platform/types/error.h"

namespace veltra::validation {

namespace {
constexpr int kKindWithChangeFlag = 4;
}

int CatalogueKind(db::Table& catalogue) { return static_cast<int>(catalogue.Fields(0).AsInteger()); }

KindHeader FindKindHeader(db::Table& catalogue, int kind) {
  for (catalogue.First(); !catalogue.Eof(); catalogue.Next()) {
    if (CatalogueKind(catalogue) != kind) continue;
    return {catalogue.FieldByName("check_result").AsString(), catalogue.FieldByName("text1").AsString(),
            catalogue.FieldByName("text3").AsString()};
  }
  ErrorSubject subject;
  subject.table = catalogue.DisplayName();
  subject.reason = "中没有报表类型" + std::to_string(kind) + "的记录，无法确定它的检查结果表";
  throw EngineError(EngineError::Kind::State,
                    catalogue.DisplayName() + " has no row for report kind " + std::to_string(kind) +
                        ", so the kind has no result table",
                    subject);
}

std::string CheckReportTypeFilter(int kind) {
  return kind == kKindWithChangeFlag ? " and (is_chge=\"1\" or is_chge=\"2\")" : "";
}

std::string CheckSelectSuffix(int kind) { return kind == kKindWithChangeFlag ? ",is_chge" : ""; }

}  // namespace veltra::validation
