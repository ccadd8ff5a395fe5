// What the user reads when an engine error escapes a handler.
#include "platform/ui/error_text.h"

#include <functional>
#include <stdexcept>

#include "platform/db/query.h"
#include "platform/db/table.h"
#include "platform/types/error.h"
#include "tests/platform/ui/data_fixture.h"

namespace veltra::ui::testing {
namespace {

class ErrorTextTest : public DataUiTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 6}, {"QC05", FieldType::Float, 0}});
    db().CreateTable("keyed.db", db::TableType::Default, {{"Id", FieldType::String, 6}});
  }
  void TearDown() override { SetFieldCaptionLookup(nullptr); }
  // The text shown for what `act` throws.
  std::string Shown(const std::function<void()>& act) {
    try {
      act();
    } catch (const std::exception& e) {
      return UserText(e);
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
  }
};

TEST_F(ErrorTextTest, EngineErrorsAreToldInChineseNamingTableAndCaption) {
  SetFieldCaptionLookup([](const std::string& table, const std::string& field) {
    return table == "kfq_1.db" && field == "QC05" ? std::string("总收入") : std::string();
  });
  db::Table table(db());
  table.SetTableName("kfq_1.db");
  table.Open();
  db::Query query(db());
  struct Case {
    const char* name;
    std::function<void()> act;
    const char* shown;
  };
  const Case cases[] = {
      {"conversion", [&] { table.Append(); table.FieldByName("QC05").SetAsString("12甲"); },
       "表kfq_1.db的字段“总收入”不能取值“12甲”"},
      {"unknown column", [&] { query.SQL.Add("select nofield from kfq_1"); query.Open(); },
       "表kfq_1中没有字段“nofield”"},
      {"syntax", [&] { query.Close(); query.SQL.Clear(); query.SQL.Add("select qa01 form kfq_1"); query.Open(); },
       "SQL语句第1行第18列“kfq_1”附近有语法错误"},
      {"unsupported", [&] { query.Close(); query.SQL.Clear(); query.SQL.Add("select qa01 from kfq_1 union select qa01 from kfq_1"); query.Open(); },
       "SQL语句第1行第24列的“union”不受支持"},
      {"missing table", [&] { db::Table missing(db()); missing.SetTableName("nothere"); missing.Open(); },
       "表nothere.db不存在"},
      {"duplicate key", [&] {
         db::Table keyed(db());
         keyed.SetTableName("keyed.db");
         keyed.GetIndexDefs().push_back({"", "Id", true, true});
         keyed.Open();
         for (int i = 0; i < 2; ++i) AddRecord(keyed, {"1"});
       },
       "表keyed.db中已有关键字相同的记录"},
      {"character the code page lacks", [&] {
         table.Cancel();
         table.Append();
         table.FieldByName("QA01").SetAsString("a\xF0\x9F\x98\x80");
         table.Post();
       },
       "表kfq_1.db的字段“QA01”不能取值“a\xF0\x9F\x98\x80”：字符“\xF0\x9F\x98\x80”（U+1F600，第2个字符）无法用代码页936存储"},
      {"Paradox field name", [&] {
         db().CreateTable("long.db", db::TableType::Default, {{"一个非常非常长的中文字段名称", FieldType::String, 6}});
       },
       "名称“一个非常非常长的中文字段名称”不能用作Paradox字段名：字段名最长25个字节"},
      {"own words", [] { throw EngineError(EngineError::Kind::KeyViolation, "企业数据错误:企业报表编号重复"); },
       "企业数据错误:企业报表编号重复"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.act), c.shown) << c.name;
  table.Cancel();
}

}  // namespace
}  // namespace veltra::ui::testing
