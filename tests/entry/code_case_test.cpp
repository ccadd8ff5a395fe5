// Codes that differ only in letter case are different records: the code
// indexes are case-insensitive orders, not unique ones; only the key Id
// refuses a repeated code, in the window's own words.
#include "entry/dxkjy.h"
#include "entry/fhq.h"
#include "entry/sjgxq.h"
#include "entry/tsjd.h"
#include "entry/tzjg.h"
#include "tests/entry/master_detail_support.h"

namespace veltra::entry::testing {
namespace {

struct CodeCase {
  std::string name;
  std::function<EntryDescription()> describe;
  std::string file;
  std::string name_field;  // a field the rules want filled
  std::string repeated;    // what a repeated code is told
};

void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }

class CodeCaseTest : public MasterDetailTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(CodeCaseTest, CodesOfAnotherCaseAreKeptApartAndARepeatedCodeIsToldInTheWindowsWords) {
  const CodeCase& c = GetParam();
  Open(c.describe());
  const std::string code_field = frame().Description().master.key_field;
  KeyIn(0, {{code_field, "AB01"}, {c.name_field, "甲"}});
  EXPECT_EQ(Outcome([&] { KeyIn(0, {{code_field, "ab01"}, {c.name_field, "乙"}}); }), "posted");
  EXPECT_EQ(Outcome([&] { KeyIn(0, {{code_field, "AB01"}, {c.name_field, "丙"}}); }), c.repeated);
  CancelAll();
  EXPECT_EQ(Column(c.file, code_field), (std::vector<std::string>{"AB01", "ab01"}));
}

INSTANTIATE_TEST_SUITE_P(Windows, CodeCaseTest,
                         ::testing::Values(CodeCase{"fhq", FhqDescription, "fhq.db", "TDF711", "数据错误:编号重复"},
                                           CodeCase{"dxkjy", DxkjyDescription, "dx.db", "TDF811", "数据错误:编号重复"},
                                           CodeCase{"tsjd", TsjdDescription, "tsjd.db", "TDF911", "数据错误:计划编号重复"},
                                           CodeCase{"sjgxq", SjgxqDescription, "sjgxq.db", "Mc", "数据错误:编号重复"},
                                           CodeCase{"tzjg", TzjgDescription, "tzjg.db", "KZ00", "数据错误:编号重复"}),
                         [](const ::testing::TestParamInfo<CodeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace veltra::entry::testing
