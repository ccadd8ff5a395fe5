// Key violations, index selection, key search and the import by key.
#include "platform/db/query.h"
#include "platform/formats/file_io.h"
#include "tests/platform/db/db_test_support.h"

namespace veltra::db::testing {
namespace {

class KeysTest : public MasterTableTest {
 protected:
  void SetUp() override {
    MasterTableTest::SetUp();
    table.Open();
    AddRecord(table, {"P100", "100", "甲公司"});
    AddRecord(table, {"P200", "200", "乙公司"});
  }

  std::string PostFailure(const std::vector<std::string>& values) {
    try {
      AddRecord(table, values);
    } catch (const EngineError& error) {
      table.Cancel();
      return error.what();
    }
    return "";
  }

};

TEST_F(KeysTest, DuplicatePrimaryKeyIsExactlyKeyViolationAndCheckedFirst) {
  // Also a duplicate name in the unique secondary index: the primary wins.
  EXPECT_EQ(PostFailure({"P100", "300", "乙公司"}), "Key violation.");
  const std::string secondary = PostFailure({"P300", "300", "乙公司"});
  EXPECT_NE(secondary.find("kfq_13"), std::string::npos) << secondary;
  EXPECT_NE(secondary, "Key violation.");
  EXPECT_EQ(FileRows("kfq_1.db").size(), 2u);
}

TEST_F(KeysTest, EmptyValuesDoNotClashInAUniqueSecondaryIndex) {
  EXPECT_EQ(PostFailure({"P300", "300"}), "");
  EXPECT_EQ(PostFailure({"P400", "400"}), "");
}

TEST_F(KeysTest, EditKeepingItsOwnKeyIsNoViolation) {
  table.First();
  table.Edit();
  table.FieldByName("QC05").SetAsFloat(7);
  table.Post();
  EXPECT_EQ(FileRows("kfq_1.db")[0][3], "7");
}

// The second record clashes with the first one's new key: both keep
// their old values, in the file and in the indexes.
TEST_F(KeysTest, AnUpdateRefusedHalfWayLeavesEveryRecordAndKeyAsBefore) {
  const std::vector<std::vector<std::string>> before = FileRows("kfq_1.db");
  for (const std::string assignment : {"ID='P300'", "QA02='丙公司'"}) {
    Query query(db());
    query.SQL.Add("update kfq_1.db set " + assignment);
    EXPECT_THROW(query.ExecSQL(), EngineError) << assignment;
    EXPECT_EQ(FileRows("kfq_1.db"), before) << assignment;
    table.Refresh();
    table.First();
    EXPECT_EQ(table.FieldByName("QA02").AsString(), "甲公司") << assignment;
  }
  EXPECT_NE(PostFailure({"P100", "300"}), "");
  EXPECT_NE(PostFailure({"P300", "300", "乙公司"}), "");
  EXPECT_EQ(PostFailure({"P300", "300", "丙公司"}), "");
}

TEST_F(KeysTest, GotoKeyMovesWhenFoundAndStaysWhenNot) {
  table.SetIndexName("kfq_1");
  table.Last();
  table.SetKey();
  table.FieldByName("QA01").SetAsString("100");
  EXPECT_TRUE(table.GotoKey());
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P100");
  table.SetKey();
  table.FieldByName("QA01").SetAsString("999");
  EXPECT_FALSE(table.GotoKey());
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P100");
  EXPECT_EQ(table.State(), DataSetState::Browse);
}

TEST_F(KeysTest, IndexFieldNamesPicksTheIndexByItsLeadingFields) {
  AddRecord(table, {"P050", "300"});
  table.SetIndexFieldNames("qa01");
  table.First();
  EXPECT_EQ(table.FieldByName("QA01").AsString(), "100");
  table.SetIndexFieldNames("Id");
  table.First();
  EXPECT_EQ(table.FieldByName("ID").AsString(), "P050");
  EXPECT_THROW(table.SetIndexFieldNames("QC05"), EngineError);
  EXPECT_EQ(table.IndexFieldNames(), "Id");
  EXPECT_THROW(table.SetIndexName("nope"), EngineError);
}

TEST_F(KeysTest, ImportByKeyUpdatesExistingRecordsAndAppendsNewOnes) {
  Create("source.dbf", {{"QA01", FieldType::String, 10}, {"QA02", FieldType::String, 20}, {"QC05", FieldType::Float}});
  Table source(db());
  source.SetTableName("SOURCE.DBF");
  source.Open();
  AddRecord(source, {"200", "乙公司新名"});
  AddRecord(source, {"300", "丙公司", "5"});

  table.SetIndexFieldNames("");
  table.SetIndexName("kfq_1");
  for (source.First(); !source.Eof(); source.Next()) {
    table.SetKey();
    table.FieldByName("QA01").SetValue(source.FieldByName("QA01").Value());
    if (table.GotoKey()) {
      table.Edit();
    } else {
      table.Append();
    }
    for (int i = 0; i < source.FieldCount(); ++i) {
      Field& from = source.Fields(i);
      if (Field* to = table.FindField(from.FieldName())) {
        if (from.DataType() == FieldType::Float && from.IsNull()) {
          to->SetAsFloat(0);
        } else {
          to->SetValue(from.Value());
        }
      }
    }
    table.FieldByName("ID").SetAsString("P" + table.FieldByName("QA01").AsString());
    table.Post();
  }
  table.SetIndexName("");
  table.SetIndexFieldNames("id");

  const auto rows = FileRows("kfq_1.db");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], (std::vector<std::string>{"P200", "200", "乙公司新名", "0"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"P300", "300", "丙公司", "5"}));
}

}  // namespace
}  // namespace veltra::db::testing

namespace veltra::db::testing {
namespace {

using ForeignKeyTest = DbTest;

TEST_F(ForeignKeyTest, AKeyedFileWrittenElsewhereGetsItsPrimaryIndexFromTheHeader) {
  const FieldDefs fields = {{"CODE", FieldType::String, 4}, {"N", FieldType::Integer}};
  formats::CreateTableFile(folder() / "keyed.db", formats::TableKind::Paradox, fields,
                           {{Value::Text("cd"), Value::Integer(2)}, {Value::Text("ab"), Value::Integer(1)}});
  std::string bytes = formats::ReadWholeFile(folder() / "keyed.db");
  bytes[0x04] = 0;  // file type: keyed
  bytes[0x23] = 1;  // one key field
  formats::WriteFileAtomically(folder() / "keyed.db", bytes);

  Table table(db());
  table.SetTableName("KEYED");
  table.Open();
  table.First();
  EXPECT_EQ(table.FieldByName("CODE").AsString(), "ab");  // key order, not file order
  table.SetKey();
  table.FieldByName("CODE").SetAsString("cd");
  EXPECT_TRUE(table.GotoKey());
  EXPECT_EQ(table.FieldByName("N").AsInteger(), 2);
  table.Append();
  table.FieldByName("CODE").SetAsString("ab");
  try {
    table.Post();
    FAIL() << "duplicate key accepted";
  } catch (const EngineError& error) {
    EXPECT_EQ(std::string(error.what()), "Key violation.");
  }
}

}  // namespace
}  // namespace veltra::db::testing
