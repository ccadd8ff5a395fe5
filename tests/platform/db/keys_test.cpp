// Key violations, index selection, key search and the import by key.
#include <cmath>

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

// An edit posts only the fields it changed: each of those is still checked
// and written, in memory and file alike, whatever the others hold.
TEST_F(KeysTest, AnEditChecksAndWritesEveryFieldItChanged) {
  struct Step {
    const char* field;
    Value value;
    const char* refusal;  // in the error's text; empty when the post goes through
    std::vector<std::string> row;
  };
  const std::vector<std::string> named{"P100", "100", "甲公司", "7"};
  const std::vector<Step> steps{
      {"QC05", Value::Float(7), "", named},
      {"QA02", Value::Text("乙公司"), "kfq_13", named},
      {"ID", Value::Text("P200"), "Key violation.", named},
      {"QA02", Value::Text("\xF0\x9F\x98\x80"), "QA02", named},
      {"QC05", Value(), "", {"P100", "100", "甲公司", ""}},
      {"QA02", Value::Text("丙公司"), "", {"P100", "100", "丙公司", ""}},
      {"QC05", Value::Float(0.0), "", {"P100", "100", "丙公司", "0"}},
  };
  for (const Step& step : steps) {
    table.First();
    table.Edit();
    table.FieldByName(step.field).SetValue(step.value);
    std::string refusal;
    try {
      table.Post();
    } catch (const EngineError& error) {
      refusal = error.what();
      table.Cancel();
    }
    EXPECT_NE(refusal.find(step.refusal), std::string::npos) << step.field << ": " << refusal;
    EXPECT_EQ(refusal.empty(), std::string(step.refusal).empty()) << step.field;
    EXPECT_EQ(FileRows("kfq_1.db")[0], step.row) << step.field;
    table.First();
    for (int i = 0; i < table.FieldCount(); ++i) {
      EXPECT_EQ(table.Fields(i).Value().ToDisplayText(), step.row[static_cast<std::size_t>(i)]) << step.field;
    }
  }
  // The kfq_13 key moved: the old name is free, the new one taken.
  EXPECT_EQ(PostFailure({"P300", "300", "甲公司"}), "");
  EXPECT_NE(PostFailure({"P400", "400", "丙公司"}), "");
  // A zero's sign is kept as set.
  table.First();
  table.Edit();
  table.FieldByName("QC05").SetAsFloat(-0.0);
  table.Post();
  EXPECT_TRUE(std::signbit(formats::OpenTableFile(db().ResolveTableName("kfq_1.db"))->ReadAll()[0][3].float_value()));
}

// Another data set's post between Edit and Post: the record is written
// whole as this edit holds it, in memory and file alike.
TEST_F(KeysTest, AnEditPostedAfterAnotherChangeWritesItsRecordWhole) {
  auto other = Opened("kfq_1.db");
  table.First();
  table.Edit();
  other->First();
  other->Edit();
  other->FieldByName("QA01").SetAsString("101");
  other->Post();
  table.FieldByName("QC05").SetAsFloat(3);
  table.Post();
  other->First();
  const std::vector<std::string> row{"P100", "100", "甲公司", "3"};
  EXPECT_EQ(FileRows("kfq_1.db")[0], row);
  for (int i = 0; i < other->FieldCount(); ++i) {
    EXPECT_EQ(other->Fields(i).Value().ToDisplayText(), row[static_cast<std::size_t>(i)]) << i;
  }
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
