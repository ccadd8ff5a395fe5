#include <QTest>
#include <memory>

#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/page_control.h"
#include "platform/ui/status_controls.h"
#include "platform/ui/text_controls.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/ui_fixture.h"

namespace veltra::ui::testing {
namespace {

class ControlsTest : public UiTest {
 protected:
  void SetUp() override {
    form_.SetClientSize(400, 300);
    form_.Show();
  }
  void TearDown() override { form_.Close(); }
  Form form_{"F_controls"};
};

TEST_F(ControlsTest, ChoicesFireTheirEventsOnlyForTheUser) {
  ComboBox box(&form_, "ComboBox1", {"校验开启", "校验关闭"});
  RadioGroup group(&form_, "RadioGroup1", "请选择报表", {"a", "b", "c"});
  group.setGeometry(0, 40, 200, 120);
  group.show();
  box.show();
  int changes = 0, clicks = 0;
  box.OnChange = [&] { ++changes; };
  group.OnClick = [&] { ++clicks; };
  box.SetItemIndex(1);
  group.SetItemIndex(0);
  EXPECT_EQ(changes + clicks, 0);

  ChooseItem(box, "校验开启");
  ChooseItem(group, 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.Text(), "校验开启");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(group.ItemIndex(), 2);
}

TEST_F(ControlsTest, ListsKeepParallelEntriesAndTicks) {
  ListBox hidden(&form_, "ListBox5");
  hidden.hide();
  for (const char* name : {"qa01", "qa02", "qa03"}) hidden.Add(name);
  hidden.Delete(1);
  EXPECT_EQ(hidden.Items(), (std::vector<std::string>{"qa01", "qa03"}));

  // The windows' double-click handlers toggle the current entry.
  for (const bool on_box : {false, true}) {
    SCOPED_TRACE(on_box ? "double click on the tick box" : "double click on the text");
    CheckListBox ticks(&form_, "CheckListBox1");
    ticks.setGeometry(0, 0, 200, 150);
    ticks.show();
    ticks.Add("企业名称");
    ticks.Add("法人代码");
    int double_clicks = 0;
    ticks.OnDblClick = [&] {
      ++double_clicks;
      ticks.ToggleCurrent();
    };
    TickItem(ticks, 0);
    EXPECT_TRUE(ticks.Checked(0));
    EXPECT_EQ(ticks.ItemIndex(), 0);
    if (on_box) DoubleClickTickBox(ticks, 1);
    else DoubleClickItem(ticks, 1);
    EXPECT_TRUE(ticks.Checked(0));
    EXPECT_TRUE(ticks.Checked(1));
    EXPECT_EQ(ticks.ItemIndex(), 1);
    EXPECT_EQ(double_clicks, 1);
  }
}

TEST_F(ControlsTest, PagesHideAndChangeWithOrWithoutTheEvent) {
  PageControl pages(&form_, "PageControl1");
  TabSheet cover(&pages, "TabSheet1", "封面"), products(&pages, "TabSheet5", "主要产品概况");
  pages.setGeometry(0, 0, 300, 200);
  pages.show();
  int changes = 0;
  pages.OnChange = [&] { ++changes; };
  pages.SetActivePage(&products);
  EXPECT_EQ(pages.ActivePage(), &products);
  EXPECT_EQ(changes, 0);

  products.SetTabVisible(false);
  EXPECT_FALSE(products.TabVisible());
  EXPECT_EQ(pages.ActivePage(), &cover);
  products.SetTabVisible(true);
  QTest::mouseClick(pages.tabBar(), Qt::LeftButton, Qt::NoModifier,
                    pages.tabBar()->tabRect(products.PageIndex()).center());
  EXPECT_EQ(pages.ActivePage(), &products);
  EXPECT_GE(changes, 1);

  // A page that goes while shown turns the control without the event: the
  // window that holds both may be half destroyed.
  const int seen = changes;
  auto extra = std::make_unique<TabSheet>(&pages, "TabSheet6", "其他");
  pages.SetActivePage(extra.get());
  extra.reset();
  EXPECT_EQ(pages.ActivePage(), &products);
  EXPECT_EQ(changes, seen);
}

TEST_F(ControlsTest, StatusProgressAndToolButtons) {
  StatusBar status(&form_, "StatusBar1");
  status.setGeometry(0, 270, 400, 24);
  status.show();
  int double_clicks = 0;
  status.OnDblClick = [&] { ++double_clicks; };
  status.SetSimpleText("当前记录: 1");
  DoubleClick(status);
  EXPECT_EQ(double_clicks, 1);
  EXPECT_EQ(TextOf(status), "当前记录: 1");

  ProgressBar progress(&form_, "ProgressBar1");
  progress.SetMax(3);
  progress.SetPosition(2);
  EXPECT_EQ(progress.Position(), 2);
  EXPECT_EQ(progress.maximum(), 3);
  progress.SetMax(0);  // nothing to do yet: an empty bar, not Qt's busy one
  progress.SetPosition(0);
  EXPECT_GT(progress.maximum(), progress.minimum());
  EXPECT_EQ(progress.Position(), progress.minimum());

  QToolBar bar(&form_);
  ToolButton save(&bar, "ToolButton7", "存盘");
  bar.show();
  int saves = 0;
  save.OnClick = [&] { ++saves; };
  EXPECT_TRUE(Click(Find<ToolButton>(form_, "ToolButton7")));
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(save.text().toStdString(), "存盘");
}

TEST_F(ControlsTest, EditSeesEnterAndHidesPasswords) {
  Edit edit(&form_, "Edit1");
  edit.show();
  std::vector<int> keys;
  edit.OnKeyDown = [&](int key) { keys.push_back(key); };
  Type(edit, "ab");
  PressEnter();
  EXPECT_EQ(keys, (std::vector<int>{'a', 'b', 13}));
  edit.SetPasswordChar(true);
  EXPECT_EQ(edit.echoMode(), QLineEdit::Password);
  EXPECT_EQ(edit.Text(), "ab");
}

}  // namespace
}  // namespace veltra::ui::testing
