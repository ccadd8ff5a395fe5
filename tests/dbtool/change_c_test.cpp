#include "dbtool/change_c.h"

#include <gtest/gtest.h>

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "tests/platform/ui/data_fixture.h"
#include "tests/platform/ui/harness/input.h"

namespace veltra::dbtool {
namespace {

using ui::testing::Click;
using ui::testing::PressEnter;
using ui::testing::Type;

class ChangeCTest : public ui::testing::DataUiTest {
 protected:
  void SetUp() override {
    Create("kfq_1.db", {{"QA01", FieldType::String, 10}});
    Table1.SetTableName("kfq_1.db");
    Table1.Open();
    DataSource1.SetDataSet(&Table1);
    DBGrid1.SetDataSource(&DataSource1);
    column = &DBGrid1.AddColumn("QA01", "编号", 100);
  }
  // Types into the dialog's edits while it is shown, then `finish` ends it.
  void EditWith(const std::string& title, const std::string& width, const std::function<void(ui::Form&)>& finish) {
    ui_.OnModal("F_change_c", [&, title, width](ui::Form& form) {
      auto& dialog = static_cast<TF_change_c&>(form);
      shown_title = dialog.Edit1.Text();
      shown_width = dialog.Edit2.Text();
      dialog.Edit1.clear();
      Type(dialog.Edit1, title);
      dialog.Edit2.clear();
      Type(dialog.Edit2, width);
      finish(form);
    }, ui::kModalCancel);
    F_change_c.EditColumn(*column, 6.0);
  }

  db::Table Table1{db()};
  db::DataSource DataSource1;
  ui::DBGrid DBGrid1{nullptr, "DBGrid1"};
  ui::GridColumn* column = nullptr;
  TF_change_c F_change_c;
  std::string shown_title, shown_width;
};

TEST_F(ChangeCTest, ShowsTitleAndWidthInCharactersAndSetsThem) {
  EditWith("企业编号", "20", [](ui::Form& form) {
    EXPECT_TRUE(Click(static_cast<TF_change_c&>(form).Button1));
  });
  EXPECT_EQ(shown_title, "编号");
  EXPECT_EQ(shown_width, "16");  // 100 / 6.0, truncated
  EXPECT_EQ(column->Title(), "企业编号");
  EXPECT_EQ(column->Width(), 120);
}

TEST_F(ChangeCTest, EnterActsAsOk) {
  EditWith("名称", "5", [](ui::Form&) { PressEnter(); });
  EXPECT_EQ(column->Title(), "名称");
  EXPECT_EQ(column->Width(), 30);
}

TEST_F(ChangeCTest, CancelChangesNothing) {
  EditWith("名称", "5", [](ui::Form& form) {
    EXPECT_TRUE(Click(static_cast<TF_change_c&>(form).Button2));
  });
  EXPECT_EQ(column->Title(), "编号");
  EXPECT_EQ(column->Width(), 100);
}

TEST_F(ChangeCTest, WidthThatIsNotAWholeNumberIsRefusedAndTheDialogStays) {
  for (const auto& [bad, message] : std::vector<std::pair<std::string, std::string>>{
           {"abc", "“abc”不是整数"},
           {"12x", "“12x”不是整数"},
           {"0", "列宽至少为1个字符，不能是0"},
           {"-3", "列宽至少为1个字符，不能是-3"}}) {
    ui_.ExpectException(message);
    EditWith("新标题", bad, [](ui::Form& form) {
      EXPECT_TRUE(Click(static_cast<TF_change_c&>(form).Button1));
      EXPECT_TRUE(form.isVisible()) << "closed on a bad width";
    });
    EXPECT_EQ(column->Width(), 100) << bad;
  }
  EXPECT_EQ(column->Title(), "新标题");  // the title was taken before the width failed
}

}  // namespace
}  // namespace veltra::dbtool
