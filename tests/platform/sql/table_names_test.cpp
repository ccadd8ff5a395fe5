// Table names reach the catalog as the statement writes them, without quotes.
#include <gtest/gtest.h>

#include "platform/sql/engine.h"
#include "tests/platform/sql/memory_catalog.h"

namespace veltra::sql {
namespace {

using namespace testing;

class RecordingCatalog : public MemoryCatalog {
 public:
  std::shared_ptr<TableSource> OpenTable(std::string_view name) override {
    opened.emplace_back(name);
    return MemoryCatalog::OpenTable(name);
  }
  std::vector<std::string> opened;
};

TEST(TableNamesTest, NamesArePassedAsWritten) {
  RecordingCatalog catalog;
  for (const char* name : {"kfq_1.db", "tmp\\kfq_1.db", "tmp_r.DB", "sendname.db", "c:\\data\\x.db"}) {
    catalog.Add(name, {Text("qa01", 6)}, {{T("1")}});
  }
  RunStatement("select * from \"kfq_1.db\" a,tmp\\kfq_1.db b", catalog);
  RunStatement("select a.qa01 from tmp\\kfq_1 a left join \"tmp_r.DB\" b on a.qa01=b.qa01", catalog);
  RunStatement("update \"tmp\\kfq_1.db\" set qa01=\"2\" where qa01=\"1\"", catalog);
  RunStatement("delete from tmp_r.DB", catalog);
  RunStatement("insert into sendname.db (qa01) select qa01 from c:\\data\\x.db", catalog);
  EXPECT_EQ(catalog.opened,
            (std::vector<std::string>{"kfq_1.db", "tmp\\kfq_1.db", "tmp\\kfq_1", "tmp_r.DB", "tmp\\kfq_1.db",
                                      "tmp_r.DB", "c:\\data\\x.db", "sendname.db"}));
  EXPECT_EQ(catalog.Get("tmp\\kfq_1.db").rows()[0][0], T("2"));
  EXPECT_TRUE(catalog.Get("tmp_r.DB").rows().empty());
  EXPECT_EQ(catalog.Get("sendname.db").rows().size(), 2u);
}

TEST(TableNamesTest, QualifiersMatchAliasOrTableStem) {
  MemoryCatalog catalog;
  catalog.Add("kfq_1.db", {Text("qa01", 6)}, {{T("1")}});
  EXPECT_EQ(RunStatement("select kfq_1.qa01 from kfq_1.db", catalog).rows.size(), 1u);
  // Once an alias is given, it is the only qualifier.
  EXPECT_THROW(RunStatement("select kfq_1.qa01 from kfq_1.db k", catalog), EngineError);
  EXPECT_THROW(RunStatement("select x.* from kfq_1.db k", catalog), EngineError);
}

}  // namespace
}  // namespace veltra::sql
