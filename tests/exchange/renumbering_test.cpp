// Renumbering a submission in its working copies before it is imported.
#include "exchange/renumbering.h"
#include "platform/db/query.h"
#include "platform/text/gbk.h"
#include "platform/formats/file_io.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "tests/support/file_io_probe.h"
#include "tests/support/working_folder.h"

namespace veltra::exchange {
namespace {

class RenumberingTest : public veltra::testing::WorkingFolderTest {
 protected:
  RenumberingTest() {
    std::filesystem::create_directory(folder() / "in");
    for (const char* name : {"kfq_1.db", "kfq_2.db", "kfq_5.db"}) CreateEmpty(std::string("in\\") + name, name);
    AddRows("kfq_1.db", {{{"Id", "000001"}, {"QA01", "000001"}, {"QA03", "L1"}, {"QA04", "本地甲"}},
                         {{"Id", "000002"}, {"QA01", "000002"}, {"QA03", "L2"}, {"QA04", "本地乙"}}});
    main().OpenDialog1.file_name = (folder() / "in" / "kfq_1.db").string();
  }
  void Submit(const std::vector<std::array<std::string, 2>>& enterprises) {
    for (const auto& [qa01, qa03] : enterprises) {
      AddRows("in\\kfq_1.db", {{{"QA01", qa01}, {"QA03", qa03}, {"QA04", "名" + qa01}}});
      AddRows("in\\kfq_2.db", {{{"QA01", qa01}, {"QE01", "1"}}});
      AddRows("in\\kfq_5.db", {{{"Qa01", qa01}, {"Qh00", "1"}}});
    }
  }
  void SetNew(const std::string& old_no, const std::string& new_no) {
    db::Table& list = dialog.List();
    for (list.First(); !list.Eof(); list.Next()) {
      if (list.Fields(0).AsString() != old_no) continue;
      list.Edit();
      list.Fields(1).SetAsString(new_no);
      list.Post();
    }
  }
  // Leaves a change of the submitted kfq_1.db cut short, its journal beside it.
  void CutAChangeShort() {
    const std::filesystem::path in = folder() / "in";
    ASSERT_TRUE(veltra::testing::KillWhen(
        {in},
        [&] {
          db::Query update(main().Database1);
          update.SQL.Add("update \"in\\kfq_1.db\" set QA04='改名'");
          update.ExecSQL();
        },
        [&](const veltra::testing::FolderImage& image) {
          return image.count(in / ".kfq_1.db.rollback") && image.at(in / "kfq_1.db").find(text::Utf8ToGbk("改名")) != std::string::npos;
        }));
  }
  Renumbering dialog{main()};
};

TEST_F(RenumberingTest, ASubmissionWithoutClashesGoesStraightThrough) {
  Submit({{"000001", "L1"}, {"000003", "L3"}});  // an identical pair and a new one
  dialog.Activate();
  EXPECT_EQ(dialog.Line1(), kListingLine1);
  EXPECT_EQ(dialog.Line2(), kListingLine2);
  EXPECT_EQ(Column("bhcl.DB", "原报表编号"), (std::vector<std::string>{"000001", "000003"}));
  EXPECT_EQ(Column("bhcl.DB", "法人代码"), (std::vector<std::string>{"L1", "L3"}));
  EXPECT_EQ(Column("tmp\\kfq_2.db", "QA01").size(), 2u);
  EXPECT_TRUE(dialog.CheckAndApply());
}

// A submission whose last change was cut short is copied as it was before it.
TEST_F(RenumberingTest, TheCopyOfASubmissionLeavesOutAChangeCutShort) {
  Submit({{"000003", "L3"}, {"000004", "L4"}});
  const std::vector<std::string> names = Column("in\\kfq_1.db", "QA04");
  CutAChangeShort();
  dialog.Activate();
  EXPECT_EQ(Column("tmp\\kfq_1.db", "QA04"), names);
}

// The same with the submitted kfq_1.db replaced by a symbolic link to the
// office's own table: the copy is refused naming the link, and the rollback
// never writes through it.
TEST_F(RenumberingTest, ALinkedTableInTheSubmissionIsNeverWrittenThrough) {
  Submit({{"000003", "L3"}});
  CutAChangeShort();
  const std::filesystem::path link = folder() / "in" / "kfq_1.db";
  std::filesystem::remove(link);
  std::filesystem::create_symlink(folder() / "kfq_1.db", link);
  const std::string own = formats::ReadWholeFile(folder() / "kfq_1.db");
  try {
    dialog.Activate();
    ADD_FAILURE() << "copied through the link";
  } catch (const EngineError& refusal) {
    EXPECT_NE(ui::UserText(refusal).find("“" + link.string() + "”是符号链接"), std::string::npos) << ui::UserText(refusal);
  }
  EXPECT_TRUE(formats::ReadWholeFile(folder() / "kfq_1.db") == own) << "the office's table was written through the link";
}

TEST_F(RenumberingTest, ClashesAreListedOncePerLocalEnterpriseUntilRenumbered) {
  // Code L1 under another number, and number 000002 for another code.
  Submit({{"000009", "L1"}, {"000002", "L7"}, {"000005", "L5"}});
  AddRows("kfq_1.db", {{{"Id", "000008"}, {"QA01", "000008"}, {"QA03", "L7"}, {"QA04", "本地丙"}}});
  dialog.Activate();
  EXPECT_FALSE(dialog.CheckAndApply());
  EXPECT_EQ(dialog.Line1(), kClashLine1);
  EXPECT_EQ(dialog.Line2(), kClashLine2);
  // 000002/L7 clashes with local 000002 (other code) and local 000008 (same code): twice.
  auto listed = Column("bhcl.DB", "原报表编号");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"000002", "000002", "000009"}));
  SetNew("000009", "000001");
  SetNew("000002", "000008");
  EXPECT_TRUE(dialog.CheckAndApply());
  EXPECT_EQ(Column("tmp\\kfq_1.db", "QA01"), (std::vector<std::string>{"000001", "000008", "000005"}));
  EXPECT_EQ(Column("tmp\\kfq_2.db", "QA01"), (std::vector<std::string>{"000001", "000008", "000005"}));
  EXPECT_EQ(Column("tmp\\kfq_5.db", "Qa01"), (std::vector<std::string>{"000001", "000008", "000005"}));
}

TEST_F(RenumberingTest, ChainsAndSwapsApplyAsOneMapping) {
  Submit({{"000003", "L3"}, {"000004", "L4"}, {"000005", "L5"}});
  dialog.Activate();
  SetNew("000003", "000004");  // a swap of 3 and 4 ...
  SetNew("000004", "000003");
  SetNew("000005", "000006");  // ... and a plain move
  EXPECT_TRUE(dialog.CheckAndApply());
  EXPECT_EQ(Column("tmp\\kfq_1.db", "QA03"), (std::vector<std::string>{"L3", "L4", "L5"}));
  EXPECT_EQ(Column("tmp\\kfq_1.db", "QA01"), (std::vector<std::string>{"000004", "000003", "000006"}));
  EXPECT_EQ(Column("tmp\\kfq_5.db", "Qa01"), (std::vector<std::string>{"000004", "000003", "000006"}));
}

TEST_F(RenumberingTest, BadNewNumbersAreRefusedBeforeAnythingChanges) {
  Submit({{"000003", "L3"}, {"000004", "L4"}});
  dialog.Activate();
  const auto refused = [&](const std::string& old_no, const std::string& new_no) {
    SetNew(old_no, new_no);
    EXPECT_THROW(dialog.CheckAndApply(), EngineError) << new_no;
    EXPECT_EQ(Column("tmp\\kfq_1.db", "QA01"), (std::vector<std::string>{"000003", "000004"})) << new_no;
    SetNew(old_no, old_no);
  };
  refused("000003", "");
  refused("000003", "000004");  // would give two enterprises one number
  refused("000004", "000003");
  // A quote is data here, not statement text.
  SetNew("000003", "ab\"c");
  EXPECT_TRUE(dialog.CheckAndApply());
  EXPECT_EQ(Column("tmp\\kfq_2.db", "QA01"), (std::vector<std::string>{"ab\"c", "000004"}));
}

}  // namespace
}  // namespace veltra::exchange
