// The national project list of a region merged into gjxm.db.
#include "exchange/project_list.h"

#include <algorithm>

#include "tests/exchange/installed_folder.h"

namespace veltra::exchange {
namespace {

namespace fs = std::filesystem;

class ProjectListTest : public InstalledFolderTest {
 protected:
  ProjectListTest() {
    // Beside the installed rows (110: three projects, then 120, 310, 440):
    // a second row for 110000101 without a name or investment, and a
    // region code that only starts like 110.
    db::Table list(unit->Database1);
    list.SetTableName("gjxmqd.dbf");
    list.Open();
    list.Append();
    list.FieldByName("PXH").SetAsString("110");
    list.FieldByName("JB00").SetAsString("110000101");
    list.FieldByName("JB21").SetAsString("更名后的承担单位");
    list.Post();
    list.Append();
    list.FieldByName("PXH").SetAsString("11");
    list.FieldByName("JB00").SetAsString("119999999");
    list.Post();
  }
  // "JB00 PXH Id GJ_ONE JC100 JB21 IS_CHGE" of every project, sorted.
  std::vector<std::string> Projects() {
    std::vector<std::string> rows;
    db::Table gjxm(unit->Database1);
    gjxm.SetTableName("gjxm.db");
    gjxm.Open();
    for (gjxm.First(); !gjxm.Eof(); gjxm.Next()) {
      std::string row;
      for (const char* field : {"JB00", "PXH", "Id", "GJ_ONE", "JC100", "JB21", "IS_CHGE"}) {
        row += gjxm.FieldByName(field).AsString() + (gjxm.FieldByName(field).IsNull() ? "(null)" : "") + " ";
      }
      rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  db::Table table{unit->Database1};
};

TEST_F(ProjectListTest, TheRegionsProjectsAreMergedByNumber) {
  const std::string kept = "110000199 (null) 110000199 1 300 示例仪器有限公司 2 ";
  // IS_CHGE is no column of the list: an updated record keeps it.
  const std::string updated = "110000101 110 110110000101 1 0 更名后的承担单位 1 ";
  const std::string renewed = "110000101 110 110110000101 1 0 更名后的承担单位 (null) ";
  const std::string issued_102 = "110000102 110 110110000102 1 860.5 示例电气设备有限公司 (null) ";
  const std::string issued_103 = "110000103 110 110110000103 1 450 示例生物材料有限公司 (null) ";
  struct Case {
    bool empty_first;
    std::vector<std::string> projects;
  };
  for (const Case& c : {Case{false, {updated, issued_102, kept, issued_103}}, Case{true, {renewed, issued_102, issued_103}}}) {
    prompts.answers = {c.empty_first};
    BuildProjectList(*unit, prompts, table, kRegionItems[0]);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].text, "是否清空国家级项目数据库");
    EXPECT_EQ(prompts.questions[0].title, "");
    EXPECT_TRUE(prompts.questions[0].default_no);
    prompts.questions.clear();
    std::vector<std::string> expected = c.projects;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Projects(), expected) << c.empty_first;
    EXPECT_FALSE(table.Active());
    EXPECT_FALSE(unit->Table1.Active());
  }
}

TEST_F(ProjectListTest, AMissingOrForeignListChangesNothing) {
  const std::string before = Bytes(work / "gjxm.db");
  fs::rename(work / "gjxmqd.dbf", work / "issued.dbf");
  prompts.answers = {true};
  EXPECT_THROW(BuildProjectList(*unit, prompts, table, kRegionItems[0]), EngineError);
  // A dBase file without the region column.
  unit->Database1.CreateTable("gjxmqd.dbf", db::TableType::DBase, {{"JB00", FieldType::String, 9}});
  EXPECT_THROW(BuildProjectList(*unit, prompts, table, kRegionItems[0]), EngineError);
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_EQ(Bytes(work / "gjxm.db"), before);
  EXPECT_FALSE(unit->Table1.Active());
}

}  // namespace
}  // namespace veltra::exchange
