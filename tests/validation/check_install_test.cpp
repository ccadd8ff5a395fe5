// Validation of every kind that the main window offers, on the default
// installation with its demo records: the catalogue's statements are valid
// local SQL and each run leaves a numbered result and its register row.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "install/working_folder.h"
#include "platform/db/database.h"
#include "platform/db/query.h"
#include "platform/db/table.h"
#include "validation/check_catalog.h"
#include "validation/check_run.h"

namespace veltra::validation {
namespace {

class CheckInstallTest : public ::testing::TestWithParam<int> {
 protected:
  CheckInstallTest() {
    char pattern[] = "/tmp/veltra_check_install_XXXXXX";
    parent_ = mkdtemp(pattern);
    install::CreateWorkingFolder(parent_ / "work", {.demo = true});
    database_ = std::make_unique<db::Database>(parent_ / "work");
  }
  ~CheckInstallTest() override {
    database_.reset();
    std::filesystem::remove_all(parent_);
  }

  std::filesystem::path parent_;
  std::unique_ptr<db::Database> database_;
};

TEST_P(CheckInstallTest, KindRunsToANumberedResult) {
  const int kind = GetParam();
  db::Database& db = *database_;
  db::Table catalogue(db);
  catalogue.SetTableName(kCatalogueTable);
  catalogue.Open();
  const KindHeader header = FindKindHeader(catalogue, kind);
  db::Table result(db);
  result.SetTableName(header.result_table);
  CheckRun run(db, result, catalogue);
  const CheckSettings settings{kind, CheckReportTypeFilter(kind), CheckSelectSuffix(kind), "",
                               header.result_register_text};
  ASSERT_NO_THROW(run.Run(settings));
  // A second run gives the same result (the run keeps nothing but what it writes).
  result.Close();
  ASSERT_NO_THROW(run.Run(settings));

  ASSERT_TRUE(result.Active());
  ASSERT_GT(result.RecordCount(), 0);
  int number = 0;
  for (result.First(); !result.Eof(); result.Next()) {
    const std::string state = result.FieldByName("状态").AsString();
    if (state == "OK") {
      EXPECT_EQ(result.RecordCount(), 1);
      continue;
    }
    EXPECT_TRUE(state == "错误" || state == "警告") << state;
    EXPECT_EQ(result.FieldByName("序号").AsString(), std::to_string(++number));
    EXPECT_FALSE(result.FieldByName("字段名").IsNull());
  }

  db::Query registered(db);
  registered.SQL.Add("select text from sendname.db where id=1 and name='" + header.result_table + "'");
  registered.Open();
  ASSERT_EQ(registered.RecordCount(), 1);
  EXPECT_EQ(registered.Fields(0).AsString(), header.result_register_text);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, CheckInstallTest, ::testing::Values(1, 3, 4, 6, 7, 8, 9, 10, 11));

}  // namespace
}  // namespace veltra::validation
