// The one-table entry windows as a user drives them on an installed folder.
#include <QFrame>

#include <functional>

#include "entry/change_r.h"
#include "entry/kfqzh.h"
#include "entry/sjgxq.h"
#include "entry/tsjd.h"
#include "entry/tzjg.h"
#include "platform/text/ascii.h"
#include "tests/entry/installed_window_fixture.h"
#include "tests/support/render_path.h"

namespace veltra::entry {
namespace {

using ui::MessageKind;
using ui::testing::Find;

struct CodedWindow {
  std::string table;
  testing::MakeWindow create;
  std::string code_a, code_b;  // as the code's edit mask takes them
  std::string name_field;      // required by the installed rules
  std::string id_field, counter_field;
  std::string duplicate_message;
  bool has_switch;
  std::string order_after_search;
};

using testing::Make;

const std::vector<CodedWindow>& CodedWindows() {
  static const std::vector<CodedWindow> windows = {
      {"tsjd.db", Make<TF_tsjd>, "000001", "000002", "TDF911", "Id", "Tsjd_one", "数据错误:计划编号重复", true, "id"},
      {"sjgxq.db", Make<TF_sjgxq>, "0001", "0002", "Mc", "Id", "Sjgxq_one", "数据错误:编号重复", false, "code"},
      {"tzjg.db", Make<TF_tzjg>, "0001", "0002", "KZ00", "ID", "tzjg_one", "数据错误:编号重复", true, "code"},
  };
  return windows;
}

class SingleTableWindowTest : public testing::InstalledWindowTest {
 protected:
  void KeyIn(EntryWindow& form, const CodedWindow& w, const std::string& code, const std::string& name) {
    Press("ToolButton5");
    ui::testing::Type(*form.DBEdit1, code);
    ui::testing::Type(*form.EditOf(w.name_field), name);
    Press("ToolButton7");
  }
};

TEST_F(SingleTableWindowTest, CodedWindowsKeyInRefuseADuplicateCodeAndPackAfterADelete) {
  AddRowsTo("sendname.db", {{{"id", "2"}, {"name", "kfq_1.db"}}});
  for (const CodedWindow& w : CodedWindows()) {
    SCOPED_TRACE(w.table);
    AddRowsTo("sendname.db", {{{"id", "2"}, {"name", w.table}}});
    EntryWindow& form = OpenMade(w.create);
    EXPECT_EQ(Has("ComboBox1"), w.has_switch);
    EXPECT_TRUE(form.TabSheets.back()->TabVisible());  // pages stay whatever the table holds

    KeyIn(form, w, w.code_a, "甲");
    EXPECT_EQ(Values(w.table, w.id_field), std::vector<std::string>{w.code_a});
    EXPECT_EQ(Values(w.table, w.counter_field), std::vector<std::string>{"1"});
    EXPECT_EQ(Values("sendname.db", "name"), std::vector<std::string>{"kfq_1.db"});
    EXPECT_EQ(form.StatusBar1->SimpleText(), "当前记录:1  总记录:1  未修改");
    ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath(w.table.substr(0, w.table.size() - 3) + "_cover.png")));

    ui_.ExpectException(w.duplicate_message);
    KeyIn(form, w, w.code_a, "乙");
    EXPECT_TRUE(form.StatusBar1->SimpleText().ends_with("  已修改"));
    ui_.ExpectMessage(MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
    Press("ToolButton8");

    ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::Yes);
    Press("ToolButton6");
    EXPECT_TRUE(Values(w.table, w.id_field).empty());
    EXPECT_TRUE(unit->RecordsDeleted);
    Press("ToolButton10");
    EXPECT_FALSE(form.Frame().Master().Active());
    window.reset();
  }
}

// Where an edit stands on its form, in the form's own coordinates.
QPoint PlaceOf(EntryWindow& form, const std::string& field) {
  ui::DBEdit* edit = form.EditOf(field);
  EXPECT_NE(edit, nullptr) << field;
  return edit ? edit->mapTo(&form, QPoint(0, 0)) : QPoint();
}

TEST_F(SingleTableWindowTest, FormsStandAsTheirPaperFormsAndToolButtonsAre63Wide) {
  struct Check {
    testing::MakeWindow create;
    std::vector<std::string> row;                              // side by side, left to right
    std::vector<std::pair<std::string, std::string>> under;  // field, the field it stands under
    bool dividing_line;
  };
  for (const Check& c : {Check{Make<TF_sjgxq>, {"S01", "S02", "S03"}, {{"S04", "S01"}}, true},
                         // The sections side by side, the fourth under the third.
                         Check{Make<TF_tzjg>, {"KZ10", "KZ20", "KZ30"}, {{"KZ40", "KZ36"}}, false},
                         Check{Make<TF_tsjd>, {}, {}, false}, Check{Make<TF_kfqzh>, {}, {}, false}}) {
    EntryWindow& form = OpenMade(c.create);
    SCOPED_TRACE(form.objectName().toStdString());
    for (ui::ToolButton* button : form.ToolBar1->findChildren<ui::ToolButton*>()) {
      EXPECT_EQ(button->width(), 63) << button->objectName().toStdString();
    }
    EXPECT_EQ(form.findChild<QFrame*>("DividingLine") != nullptr, c.dividing_line);
    for (std::size_t i = 1; i < c.row.size(); ++i) {
      EXPECT_EQ(PlaceOf(form, c.row[i]).y(), PlaceOf(form, c.row[0]).y()) << c.row[i];
      EXPECT_GT(PlaceOf(form, c.row[i]).x(), PlaceOf(form, c.row[i - 1]).x()) << c.row[i];
    }
    for (const auto& [field, above] : c.under) {
      EXPECT_EQ(PlaceOf(form, field).x(), PlaceOf(form, above).x()) << field;
      EXPECT_GT(PlaceOf(form, field).y(), PlaceOf(form, above).y()) << field;
    }
    window.reset();
  }
}

TEST_F(SingleTableWindowTest, ZoneReportHasFourButtonsAndNeverPacks) {
  TF_kfqzh& form = Open<TF_kfqzh>();
  for (const char* absent : {"ToolButton1", "ToolButton4", "ToolButton5", "ToolButton9", "ComboBox1"}) {
    EXPECT_FALSE(Has(absent)) << absent;
  }
  // Typing starts the one record; empty numbers are stored as 0.
  ui::testing::Type(*form.EditOf("KA01"), "示例管委会");
  Press("ToolButton7");
  EXPECT_EQ(Values("kfqzh.db", "KA01"), std::vector<std::string>{"示例管委会"});
  EXPECT_EQ(Values("kfqzh.db", "KD35"), std::vector<std::string>{"0"});
  EXPECT_EQ(form.StatusBar1->SimpleText(), "当前记录:1  总记录:1  未修改");
  ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath("kfqzh_cover.png")));
  form.Frame().ShowPage(3);
  ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath("kfqzh_services.png")));

  ui_.ExpectException("数据错误:高新区实际开发面积不能为负数");
  form.Frame().Master().Edit();
  form.Frame().Master().FieldByName("Kb01").SetAsString("-1");
  Press("ToolButton7");
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
  Press("ToolButton8");

  ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", ui::Answer::Yes);
  Press("ToolButton6");
  EXPECT_TRUE(Values("kfqzh.db", "KA01").empty());
  EXPECT_FALSE(unit->RecordsDeleted);
}

TEST_F(SingleTableWindowTest, ImportUpdatesByCodeAndLeavesTheSwitchAsItWas) {
  for (const CodedWindow& w : CodedWindows()) {
    SCOPED_TRACE(w.table);
    const std::string number = w.table == "tsjd.db" ? "TDF9A00" : w.table == "sjgxq.db" ? "S09" : "KZ10";
    AddRowsTo(w.table, {{{w.id_field, w.code_a}, {"code", w.code_a}, {w.name_field, "旧"}, {number, "5"}}});
    CreateEmpty("work/in_" + w.table, w.table);
    // The source's numbers are null.
    AddRowsTo("in_" + w.table, {{{"code", w.code_a}, {w.name_field, "新"}}, {{"code", w.code_b}, {w.name_field, "丙"}}});
    EntryWindow& form = OpenMade(w.create);
    if (w.has_switch) ui::testing::ChooseItem(*form.ComboBox1, "校验关闭");

    const AppendTexts& texts = form.Frame().Description().master.append;
    ui_.ExpectFileDialog(texts.dialog_title, (work / ("in_" + w.table)).string());
    ui_.ExpectMessage(MessageKind::Question, "", texts.empty_question, ui::Answer::No);
    Press("ToolButton9");
    EXPECT_EQ(Values(w.table, w.name_field), (std::vector<std::string>{"新", "丙"}));
    EXPECT_EQ(Values(w.table, number), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(Values(w.table, w.id_field), (std::vector<std::string>{w.code_a, w.code_b}));
    EXPECT_EQ(Values(w.table, w.counter_field), (std::vector<std::string>{"1", "1"}));
    db::Table& table = form.Frame().Master();
    EXPECT_EQ(text::ToAsciiLower(table.IndexFieldNames()), w.order_after_search);
    EXPECT_EQ(table.ConstraintsDisabled(), w.has_switch);
    EXPECT_FALSE(form.ProgressBar1->isVisible());
    form.Close();
    window.reset();
  }
}

TEST_F(SingleTableWindowTest, ValidationLocateAndStatusLineLocateFindTheCode) {
  for (const CodedWindow& w : CodedWindows()) {
    SCOPED_TRACE(w.table);
    AddRowsTo(w.table, {{{w.id_field, w.code_b}, {"code", w.code_b}}, {{w.id_field, w.code_a}, {"code", w.code_a}}});
    unit->OpenedFromCheck = true;
    unit->LocateKeyField = "code";
    unit->LocateKeyValue = w.code_b;
    EntryWindow& form = OpenMade(w.create);
    db::Table& table = form.Frame().Master();
    EXPECT_EQ(table.FieldByName("code").AsString(), w.code_b);
    EXPECT_EQ(text::ToAsciiLower(table.IndexFieldNames()), w.order_after_search);
    form.Close();

    unit->LocateKeyValue = "9999";  // unknown: the first record in that order
    Open<EntryWindow>();
    EXPECT_EQ(table.FieldByName("code").AsString(), w.code_a);

    ui_.OnModal("F_change_r", [&w](ui::Form& dialog) {
      ASSERT_TRUE(ui::testing::Click(Find<ui::RadioButton>(dialog, "RadioButton2")));
      ui::testing::Type(Find<ui::Edit>(dialog, "Edit1"), w.code_b);
      ui::testing::PressEnter();
    }, ui::kModalOk);
    ui::testing::DoubleClick(*form.StatusBar1);
    EXPECT_EQ(table.FieldByName("code").AsString(), w.code_b);
    EXPECT_EQ(unit->LocateIndexName, w.table.substr(0, w.table.size() - 3));
    form.Close();
    window.reset();
  }
}

TEST_F(SingleTableWindowTest, EnterBreaksTheRemarkLineAndMovesOnFromAnEdit) {
  TF_sjgxq& form = Open<TF_sjgxq>();
  ui::DBMemo* remark = form.MemoOf("Bz");
  ASSERT_NE(remark, nullptr);
  ui::testing::Type(*remark, "第一行");
  ui::testing::PressEnter();
  ui::testing::Type(*remark, "第二行");
  EXPECT_EQ(remark->Text(), "第一行\n第二行");
  EXPECT_EQ(ui::testing::FocusedName(), "DBMemo_Bz");

  ui::testing::Type(*form.DBEdit1, "0001");
  ui::testing::PressEnter();
  EXPECT_NE(ui::testing::FocusedName(), "DBEdit1");
}

}  // namespace
}  // namespace veltra::entry
