// The definition format: what it reads, and the errors a mistyped
// definition gives (they name the file and the line).
#include "schema/definition_parser.h"

#include <gtest/gtest.h>

namespace veltra::schema {
namespace {

TEST(DefinitionParser, ReadsFieldsIndexesPagesAndLinks) {
  const auto tables = ParseTableDefinitions(R"(# comment
table m.db survey
index - Id primary unique
index m CODE ci
page -
Id string:7
page TabSheet1 第 一 页
CODE string:4 编号：
section 二、人员
N float width=40 人 数
codes 1 有, 2 无
show CODE 另一处
page -
Bz memo:1 备注

table d.dbf
master m.db CODE d
index d CODE;K
CODE string:4
K float:14.2
)", "t.txt");
  ASSERT_EQ(tables.size(), 2u);
  const TableDef& master = tables[0];
  EXPECT_TRUE(master.survey);
  ASSERT_EQ(master.fields.size(), 4u);
  EXPECT_EQ(master.fields[3], (FieldDef{"Bz", FieldType::Memo, 1, 0}));
  EXPECT_EQ(master.pages.size(), 1u);
  EXPECT_EQ(master.pages[0].caption, "第 一 页");
  ASSERT_EQ(master.placements.size(), 3u);  // CODE, N and CODE again; Id and Bz are on no window
  EXPECT_EQ(master.placements[1].caption, "人 数");
  EXPECT_EQ(master.placements[1].section, "二、人员");
  EXPECT_EQ(master.placements[1].width, 40);
  EXPECT_EQ(master.placements[2].section, "二、人员");
  EXPECT_EQ(master.MeaningOf("bz"), "备注");
  EXPECT_EQ(master.CodesOf("n"), "1 有, 2 无");
  EXPECT_EQ(master.CodesOf("CODE"), "");
  EXPECT_TRUE(master.FindIndex("M")->case_insensitive);
  EXPECT_FALSE(master.FindIndex("m")->unique);

  const TableDef& detail = tables[1];
  EXPECT_FALSE(detail.survey);
  EXPECT_EQ(detail.fields[1], (FieldDef{"K", FieldType::Float, 14, 2}));
  EXPECT_EQ(detail.master->fields, std::vector<std::string>{"CODE"});
}

void ExpectError(const char* text, const char* fragment) {
  try {
    ParseTableDefinitions(text, "bad.txt");
    ADD_FAILURE() << "accepted: " << text;
  } catch (const DefinitionError& error) {
    EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("bad.txt:"), std::string::npos) << error.what();
  }
}

TEST(DefinitionParser, RefusesMistypedDefinitions) {
  ExpectError("A string:4\n", "table line must come first");
  ExpectError("table t.db\nA text:4\n", "unknown type 'text:4'");
  ExpectError("table t.db\nA string\n", "needs a size");
  ExpectError("table t.db\nA string:x4\n", "not a number");
  ExpectError("table t.db\nA date:4\n", "no size for date");
  ExpectError("table t.db\nA string:4\na float\n", "defined twice");
  ExpectError("table t.db\nindex - B primary\nA string:4\n", "unknown field B");
  ExpectError("table t.db\nindex x A frobnicate\nA string:4\n", "unknown index option");
  ExpectError("table t.db\nindex - A\nA string:4\n", "primary index, and only it");
  ExpectError("table t.db\nA string:4\nshow B 某\n", "show needs a page");
  ExpectError("table t.db\npage P 页\nA string:4 below=Z 某\n", "below names unknown field Z");
  ExpectError("table t.db\nA string:4 width=3\n", "layout options on a field no window shows");
  ExpectError("table t.db\nmaster m.db A nosuch\nA string:4\n", "unknown index nosuch");
  ExpectError("table t.db\nmaster m.db B i\nindex i A;B\nA string:4\nB string:4\n", "does not lead its index");
  ExpectError("table t.db\npage P 甲\nA string:4 某\npage P 乙\n", "two captions");
  ExpectError("table t.db\ncodes 1 有\n", "codes must follow the field");
  ExpectError("table t.db\nA string:1\ncodes 1 有\ncodes 2 无\n", "a second code list for A");
}

TEST(DefinitionParser, ErrorsNameTheLine) {
  ExpectError("table t.db\n\nA string:4\nB bogus\n", "bad.txt:4:");
}

}  // namespace
}  // namespace veltra::schema
