#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/types/error.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/data_navigator.h"
#include "platform/ui/form.h"
#include "tests/platform/ui/data_fixture.h"
#include "tests/platform/ui/harness/input.h"

namespace veltra::ui::testing {
namespace {

class DataControlsTest : public DataUiTest {
 protected:
  void SetUp() override {
    Create("qy.db", {{"QA01", FieldType::String, 6}, {"QA02", FieldType::String, 6},
                     {"QC05", FieldType::Float, 0}});
    table_.SetTableName("qy.db");
    form_.SetClientSize(400, 300);
    edit_.setGeometry(0, 0, 100, 20);
    grid_.setGeometry(0, 40, 380, 200);
    form_.Show();
  }
  void TearDown() override {
    form_.Close();
    table_.Close();
  }
  void Fill() {
    table_.Open();
    AddRecord(table_, {"110001", "甲", "1"});
    AddRecord(table_, {"110002", "乙", "2"});
    AddRecord(table_, {"110003", "丙", "3"});
    table_.First();
  }

  db::Table table_{db()};
  db::DataSource source_{&table_};
  Form form_{"F_data"};
  DBEdit edit_{&form_, "DBEdit1"};
  DBGrid grid_{&form_, "DBGrid1"};
};

TEST_F(DataControlsTest, TypingStartsARecordAndThePostWritesIt) {
  table_.Open();
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA02");
  Type(edit_, "企业");
  EXPECT_EQ(table_.State(), db::DataSetState::Insert);
  table_.Post();
  EXPECT_EQ(FileRows("qy.db"), (std::vector<std::vector<std::string>>{{"", "企业", ""}}));
}

TEST_F(DataControlsTest, TheFieldsGbkSizeLimitsTyping) {
  table_.Open();
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA02");
  Type(edit_, "中文字符");  // six bytes hold three characters
  EXPECT_EQ(edit_.Text(), "中文字");
  Type(edit_, "x");
  EXPECT_EQ(edit_.Text(), "中文字");
  table_.Cancel();

  // A grid cell takes no more than its field either.
  Fill();
  grid_.AddColumn("QA02", "名称");
  grid_.SetDataSource(&source_);
  SelectCell(grid_, 0, 0);
  Type(grid_, "中");  // opens the cell editor
  QWidget* cell = QApplication::focusWidget();
  ASSERT_NE(cell, &grid_);
  Type(*cell, "文字符x");
  EXPECT_EQ(TextOf(*cell), "中文字");
}

TEST_F(DataControlsTest, ATextLongerThanItsEditShowsFromItsStart) {
  table_.Open();
  AddRecord(table_, {"110001", "中文字", "1"});
  edit_.resize(edit_.fontMetrics().horizontalAdvance("中"), edit_.height());
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA02");
  EXPECT_EQ(edit_.cursorPosition(), 0);  // the edit scrolls to keep its cursor in view
}

TEST_F(DataControlsTest, TheFieldsEditMaskShapesTypingAndRefusesShortValues) {
  table_.Open();
  table_.FieldByName("QA01").SetEditMask("000000;0;_");
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA01");
  Type(edit_, "12a3");
  EXPECT_EQ(edit_.Text(), "123___");
  try {
    table_.Post();
    ADD_FAILURE() << "a short code was posted";
  } catch (const EngineError& e) {
    EXPECT_NE(std::string(e.what()).find("field QA01"), std::string::npos) << e.what();
  }
  EXPECT_EQ(table_.State(), db::DataSetState::Insert);
  Type(edit_, "456");
  table_.Post();
  EXPECT_EQ(FileRows("qy.db")[0][0], "123456");
}

TEST_F(DataControlsTest, AClickOrASelectionInAMaskedEditTypesWhereUsersExpect) {
  table_.Open();
  table_.FieldByName("QA01").SetEditMask("000000;0;_");
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA01");
  struct Case {
    const char* before;   // typed first
    bool select_all;      // else a click in the middle
    const char* typed;
    const char* shown;
  };
  for (const Case& c : {Case{"", false, "900001", "900001"}, Case{"12", false, "34", "1234__"},
                        Case{"123456", true, "9", "9_____"}, Case{"123456", true, "ab", "123456"}}) {
    SCOPED_TRACE(c.before);
    edit_.selectAll();
    Type(edit_, "\b");  // an empty mask
    if (*c.before) Type(edit_, c.before);
    if (c.select_all) {
      edit_.selectAll();
    } else {
      QTest::mouseClick(&edit_, Qt::LeftButton, Qt::NoModifier, edit_.rect().center());
    }
    Type(edit_, c.typed);
    EXPECT_EQ(edit_.Text(), c.shown);
  }
  table_.Cancel();
}

TEST_F(DataControlsTest, MemoTextGoesToTheFieldOnPost) {
  Fill();
  DBMemo memo(&form_, "DBMemo1");
  memo.SetDataSource(&source_);
  memo.SetDataField("QA02");
  memo.show();
  EXPECT_EQ(memo.Text(), "甲");
  Type(memo, "x");
  EXPECT_EQ(table_.State(), db::DataSetState::Edit);
  table_.Post();
  EXPECT_EQ(FileRows("qy.db")[0][1], "x甲");
  table_.Next();
  EXPECT_EQ(memo.Text(), "乙");
}

TEST_F(DataControlsTest, ADisabledSourceShowsNothing) {
  Fill();
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA01");
  EXPECT_EQ(edit_.Text(), "110001");
  source_.SetEnabled(false);
  EXPECT_EQ(edit_.Text(), "");
  EXPECT_EQ(grid_.RowCount(), 0);
  source_.SetEnabled(true);
  table_.Next();
  EXPECT_EQ(edit_.Text(), "110002");
}

TEST_F(DataControlsTest, AStateChangeHandlerCanRefuseTheEdit) {
  Fill();
  edit_.SetDataSource(&source_);
  edit_.SetDataField("QA02");
  source_.OnStateChange = [](db::DataSource& source) {
    if (source.State() != db::DataSetState::Edit) return;
    source.GetDataSet()->Cancel();
    throw SilentAbort();
  };
  Type(edit_, "x");
  EXPECT_EQ(table_.State(), db::DataSetState::Browse);
  EXPECT_EQ(edit_.Text(), "甲");
}

TEST_F(DataControlsTest, GridShowsColumnsAndFollowsTheCurrentRow) {
  Fill();
  grid_.AddColumn("QA01", "编号", 60);
  GridColumn& name = grid_.AddColumn("QA02", "名称");
  grid_.SetDataSource(&source_);
  ASSERT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(grid_.CellText(2, 1), "丙");
  EXPECT_EQ(grid_.Column(0).Width(), 60);
  name.SetTitle("企业名称");
  name.SetWidth(120);
  EXPECT_EQ(grid_.model()->headerData(1, Qt::Horizontal).toString().toStdString(), "企业名称");
  EXPECT_EQ(grid_.horizontalHeader()->sectionSize(1), 120);

  SelectCell(grid_, 2, 1);
  EXPECT_EQ(table_.RecNo(), 3);
  EXPECT_EQ(grid_.SelectedColumn(), 1);
  table_.First();
  EXPECT_EQ(grid_.currentIndex().row(), 0);
  EXPECT_GT(grid_.TextWidth("    "), 0);
}

TEST_F(DataControlsTest, ColumnsShowTheirFieldsWholeAndTheirTitlesWhole) {
  Create("sizes.db", {{"A", FieldType::String, 1}, {"B", FieldType::String, 6}, {"C", FieldType::String, 20},
                      {"D", FieldType::Float, 0}});
  const auto sizes = Opened("sizes.db");
  AddRecord(*sizes, {"0", "000000", "00000000000000000000", "1234567890"});
  db::DataSource source(sizes.get());
  DBGrid fields(&form_, "DBGrid8");  // default columns, as wide as their fields
  fields.SetDataSource(&source);
  DBGrid titled(&form_, "DBGrid9");
  titled.AddColumn("B", "起始日期", 20);  // a set width narrower than the title
  titled.SetDataSource(&source);
  for (DBGrid* shown : {&fields, &titled}) {
    for (int i = 0; i < shown->ColumnCount(); ++i) {
      SCOPED_TRACE(shown->Column(i).FieldName());
      // What the cell needs to show its text whole.
      EXPECT_LE(static_cast<QAbstractItemView*>(shown)->sizeHintForColumn(i), shown->columnWidth(i));
      EXPECT_LE(shown->horizontalHeader()->sectionSizeHint(i), shown->columnWidth(i));
    }
  }
}

TEST_F(DataControlsTest, EditedCellsPostWhenTheRowChanges) {
  Fill();
  grid_.AddColumn("QA01", "编号").SetReadOnly(true);
  grid_.AddColumn("QA02", "名称");
  grid_.SetDataSource(&source_);
  TypeIntoCell(grid_, 0, 1, "丁");
  EXPECT_EQ(table_.State(), db::DataSetState::Edit);
  SelectCell(grid_, 1, 1);
  EXPECT_EQ(table_.State(), db::DataSetState::Browse);
  EXPECT_EQ(FileRows("qy.db")[0][1], "丁");

  EXPECT_FALSE(grid_.model()->flags(grid_.model()->index(0, 0)) & Qt::ItemIsEditable);
  grid_.SetReadOnly(true);
  EXPECT_FALSE(grid_.model()->flags(grid_.model()->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(DataControlsTest, TypingInAnEmptyGridStartsTheRecordWhereTypedAndTabGoesOn) {
  table_.Open();
  grid_.AddColumn("QA01", "编号");
  grid_.AddColumn("QA02", "名称");
  grid_.AddColumn("QC05", "数值");
  grid_.SetDataSource(&source_);
  TypeIntoCell(grid_, 0, 1, "甲");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  Type(*QApplication::focusWidget(), "5");
  table_.Post();
  EXPECT_EQ(FileRows("qy.db"), (std::vector<std::vector<std::string>>{{"", "甲", "5"}}));
}

TEST_F(DataControlsTest, DetachedGridKeepsItsColumnsAndDoubleClickIsReported) {
  Fill();
  grid_.AddColumn("QA02", "名称", 80);
  grid_.SetDataSource(&source_);
  grid_.SetDataSource(nullptr);
  EXPECT_EQ(grid_.RowCount(), 0);
  grid_.SetDataSource(&source_);
  EXPECT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(grid_.Column(0).Width(), 80);
  int double_clicks = 0;
  grid_.OnDblClick = [&] { ++double_clicks; };
  SelectCell(grid_, 1, 0);
  QTest::mouseDClick(grid_.viewport(), Qt::LeftButton, Qt::NoModifier,
                     grid_.visualRect(grid_.model()->index(1, 0)).center());
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(DataControlsTest, NavigatorButtonsFollowTheState) {
  Fill();
  DBNavigator navigator(&form_, "DBNavigator1");
  navigator.SetDataSource(&source_);
  navigator.show();
  EXPECT_FALSE(Find<QWidget>(form_, "DBNavigator1Post").isEnabled());
  EXPECT_TRUE(Click(Find<QWidget>(form_, "DBNavigator1Last")));
  EXPECT_EQ(table_.RecNo(), 3);
  EXPECT_TRUE(Click(Find<QWidget>(form_, "DBNavigator1Edit")));
  EXPECT_TRUE(Find<QWidget>(form_, "DBNavigator1Cancel").isEnabled());
  EXPECT_TRUE(Click(Find<QWidget>(form_, "DBNavigator1Cancel")));
  EXPECT_EQ(table_.State(), db::DataSetState::Browse);
}

}  // namespace
}  // namespace veltra::ui::testing
