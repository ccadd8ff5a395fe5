// The working folder the install tool creates: every table the system
// opens, with the rows a fresh machine needs, and nothing overwritten.
#include "install/working_folder.h"

#include <gtest/gtest.h>

#include "install/dictionary.h"
#include "install_test_support.h"
#include "platform/formats/table_file.h"
#include "schema/schema.h"

namespace veltra::install {
namespace {

namespace fs = std::filesystem;

std::string Text(const Value& value) { return value.is_null() ? std::string() : value.ToDisplayText(); }

TEST(WorkingFolder, HoldsEverySurveyTableEmptyWithItsDefinition) {
  InstalledFolder installed(false);
  for (const schema::TableDef* table : schema::SurveyTables()) {
    SCOPED_TRACE(table->file_name);
    ASSERT_TRUE(fs::exists(installed.folder() / table->file_name));
    EXPECT_EQ(installed.Fields(table->file_name), table->fields);
    EXPECT_TRUE(installed.Rows(table->file_name).empty());
  }
  for (const char* folder : {"bak", "tmp", "sendfile", "attach"}) {
    EXPECT_TRUE(fs::is_directory(installed.folder() / folder)) << folder;
  }
  // Nothing of the build is left beside the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(installed.root()), fs::directory_iterator()), 1);
}

TEST(WorkingFolder, HoldsTheTablesTheWindowsExpect) {
  InstalledFolder installed(false);
  for (const char* table : {"check_db.DB", "tmp_r.DB", "sendname.db", "check_pt.db", "bt_p.db", "bt2_p.db",
                            "query_db.db", "rept_db.db", "kfq4hz.db", "dfxm2.db", "df_wsb.db", "xmdcb.db",
                            "bhcl.DB", "mailinit.db", "mailbox.db", "gjxm_s.dbf", "gjxmqd.dbf", "kfq1_chk.db",
                            "kzh_chk.db", "gjxm_chk.db", "tsjd_chk.db", "sjgxq_chk.db", "tzjg_chk.db",
                            "fhq_chk.db", "fhqzfqy_chk.db", "dx_chk.db", "dxzfqy_chk.db", "dxxm_chk.db",
                            "rjjd_chk.db", "rjjdqy_chk.db", "rjjdqycp_chk.db", "kfq2_chk.db", "kfq5_chk.db"}) {
    EXPECT_TRUE(fs::exists(installed.folder() / table)) << table;
  }
  const auto mail = installed.Rows("mailinit.db");
  ASSERT_EQ(mail.size(), 1u);
  EXPECT_EQ(Text(mail[0][0]), "127.0.0.1");
  EXPECT_EQ(Text(mail[0][2]), "25");
  EXPECT_EQ(installed.Rows("rept_db.db").size(), 16u);
  EXPECT_EQ(installed.Rows("check_pt.db").size(), 1u);
  EXPECT_EQ(installed.Rows("bt2_p.db").size(), 1u);
  EXPECT_TRUE(installed.Rows("sendname.db").empty());
  EXPECT_EQ(installed.Rows("gjxm_s.dbf").size(), 3u);
}

TEST(WorkingFolder, CatalogueNamesAResultTableForEveryValidatedKind) {
  InstalledFolder installed(false);
  std::vector<int> kinds;
  for (const formats::Record& row : installed.Rows("check_db.DB")) {
    const int kind = static_cast<int>(row[0].AsDouble());
    if (std::find(kinds.begin(), kinds.end(), kind) != kinds.end()) continue;
    kinds.push_back(kind);
    const std::string result = Text(row[5]);
    EXPECT_FALSE(Text(row[6]).empty()) << kind;  // window caption
    EXPECT_FALSE(Text(row[8]).empty()) << kind;  // register text
    EXPECT_TRUE(fs::exists(installed.folder() / result)) << result;
  }
  std::sort(kinds.begin(), kinds.end());
  EXPECT_EQ(kinds, (std::vector<int>{1, 3, 4, 6, 7, 8, 9, 10, 11}));

  // Rows reach the result by position: extra select items stand right after 字段值.
  const FieldDefs projects = installed.Fields("gjxm_r.db");
  ASSERT_EQ(projects.size(), 7u);
  EXPECT_EQ(projects[2].name, "is_chge");
  EXPECT_EQ(projects[3].name, "字段名");
  const FieldDefs incubators = installed.Fields("fhq_r.db");
  EXPECT_EQ(incubators[2].name, "code2");
  EXPECT_EQ(incubators[2].size, 4);
  EXPECT_EQ(installed.Fields("kfq_r.db").size(), 6u);
}

TEST(WorkingFolder, DictionariesComeFromTheCaptions) {
  InstalledFolder installed(false);
  const auto index = installed.Rows("query_db.db");
  ASSERT_EQ(index.size(), 11u);
  const auto enterprise = installed.Rows("kfq_dic.db");
  ASSERT_FALSE(enterprise.empty());
  // The first field is the join key of the three tables, written with the first alias.
  EXPECT_EQ(Text(enterprise[0][0]), "kfq_1.db a");
  EXPECT_EQ(Text(enterprise[0][1]), "a.QA01");
  EXPECT_EQ(Text(enterprise[0][2]), "报表编号");
  bool products = false;
  for (const formats::Record& row : enterprise) {
    if (Text(row[1]) == "b.QE15") {
      products = true;
      EXPECT_EQ(Text(row[2]), "全年产品销售收入");
      EXPECT_EQ(Text(row[3]), "N");
    }
    if (Text(row[1]) == "a.Qa_one") {
      EXPECT_EQ(Text(row[3]), "0");
    }
    if (Text(row[1]) == "a.QA04") {
      EXPECT_EQ(Text(row[3]), "C");
    }
  }
  EXPECT_TRUE(products);
  const auto single = installed.Rows("tsjd_dic.db");
  EXPECT_EQ(Text(single[0][0]), "tsjd.db");
  EXPECT_EQ(Text(single[0][1]), "CODE");
}

TEST(WorkingFolder, DemoFolderHasRecordsWithZeroesForEmptyNumbers) {
  InstalledFolder installed(true);
  const auto enterprises = installed.Rows("kfq_1.db");
  ASSERT_EQ(enterprises.size(), 3u);
  const FieldDefs fields = installed.Fields("kfq_1.db");
  const int income = FindField(fields, "QC10");  // not given by the demo rows
  ASSERT_GE(income, 0);
  EXPECT_EQ(enterprises[0][static_cast<std::size_t>(income)], Value::Float(0));
  EXPECT_EQ(installed.Rows("kfq_2.db").size(), 3u);
  EXPECT_FALSE(installed.Rows("fhqzfqy.db").empty());
  EXPECT_FALSE(installed.Rows("dfxm2.db").empty());
}

TEST(WorkingFolder, NeverTouchesAnExistingFolder) {
  InstalledFolder installed(false);
  const fs::path marker = installed.folder() / "kfq_1.db";
  const auto before = fs::file_size(marker);
  EXPECT_THROW(CreateWorkingFolder(installed.folder()), InstallError);
  EXPECT_EQ(fs::file_size(marker), before);
}

TEST(DictionaryCaption, MakesCaptionsUsableAsColumnNames) {
  EXPECT_EQ(DictionaryCaption("其中：发明专利"), "发明专利");
  EXPECT_EQ(DictionaryCaption("1.当年专利申请数"), "当年专利申请数");
  EXPECT_EQ(DictionaryCaption("编号："), "编号");
  EXPECT_EQ(DictionaryCaption("E-mail"), "Email");
  EXPECT_EQ(DictionaryCaption("人员人工费(含补贴)"), "人员人工费含补贴");
  EXPECT_EQ(DictionaryCaption("2010年提出专利申请数"), "_2010年提出专利申请数");
  EXPECT_EQ(DictionaryCaption("填 表 人"), "填表人");
  EXPECT_EQ(DictionaryCaption("以嵌入式系统软件开发与销售为主要业务的企业数"), "以嵌入式系统软件开发与销售为主要业务的企业数");
}

}  // namespace
}  // namespace veltra::install
