// The maintenance window as the user drives it.
#include "exchange/xtwh.h"

#include <QDir>
#include <QPushButton>

#include "mainunit/ui_prompts.h"
#include "tests/exchange/installed_folder.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/harness/ui_script.h"
#include "tests/support/render_path.h"

namespace veltra::exchange {
namespace {

namespace fs = std::filesystem;
using ui::testing::Click;

class XtwhTest : public InstalledFolderTest {
 protected:
  XtwhTest() {
    ui::testing::EnsureApplication();
    window = std::make_unique<TF_xtwh>(*unit, ui_prompts);
  }
  // Shows the window and runs `steps` while it is open.
  void Run(const std::function<void()>& steps) {
    ui_.OnModal("F_xtwh", [&](ui::Form&) { steps(); }, ui::kModalCancel);
    window->ShowModal();
  }
  void Expect(const std::string& text, ui::MessageKind kind = ui::MessageKind::Information,
              ui::Answer answer = ui::Answer::Ok) {
    ui_.ExpectMessage(kind, "", text, answer);
  }

  ui::testing::UiScript ui_;
  mainunit::UiPrompts ui_prompts;
  std::unique_ptr<TF_xtwh> window;
};

TEST_F(XtwhTest, EachButtonDoesItsWorkAndReports) {
  unit->SendBaseDir.clear();
  window = std::make_unique<TF_xtwh>(*unit, ui_prompts);  // creation sets it
  EXPECT_EQ(unit->SendBaseDir, work.string() + "/");
  const fs::path out = folder() / "out";
  fs::create_directory(out);
  Run([&] {
    TF_xtwh& w = *window;
    EXPECT_TRUE(w.grab().save(veltra::testing::RenderPath("xtwh.png")));
    EXPECT_EQ(w.ComboBox2->ItemIndex(), -1);
    EXPECT_EQ(w.DirectoryListBox1->Folder(), QDir::homePath().toStdString());
    ASSERT_TRUE(Click(*w.Button9));  // no region chosen: nothing asked

    ASSERT_TRUE(Click(*w.Button7));
    ASSERT_TRUE(Click(*w.Button8));
    ui::testing::DoubleClickItem(*w.CheckListBox1, 3);
    ui::testing::DoubleClickItem(*w.CheckListBox1, 7);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(w.CheckListBox1->Checked(i), i == 3 || i == 7) << i;
    Expect("数据备份完成");  // dxzfqyxm.db is missing: passed over in silence
    ASSERT_TRUE(Click(*w.Button1));
    EXPECT_EQ(Bytes(work / "bak" / "gjxm.db"), Bytes(work / "gjxm.db"));
    Write(work / "gjxm.db", "damaged");
    Expect("数据还原将用上次备份的数据覆盖当前数据库，是否要继续进行操作？", ui::MessageKind::Question, ui::Answer::No);
    ASSERT_TRUE(Click(*w.Button2));
    EXPECT_EQ(Bytes(work / "gjxm.db"), "damaged");
    Write(work / "gjxm.db", Bytes(work / "bak" / "gjxm.db"));

    ui_.ExpectFolder(out.string());
    ASSERT_TRUE(Click(*w.DirectoryListBox1->findChild<QPushButton*>()));
    Expect("上报数据已完成");
    ASSERT_TRUE(Click(*w.Button5));
    EXPECT_EQ(Records(out / "kfq_1.db"), Records(work / "kfq_1.db"));

    ui::testing::ChooseItem(*w.ComboBox2, "120 天津 ");
    Expect("是否清空国家级项目数据库", ui::MessageKind::Question, ui::Answer::Yes);
    Expect("项目清单已完成");
    ASSERT_TRUE(Click(*w.Button9));
    EXPECT_EQ(Records(work / "gjxm.db").size(), 1u);

    // Without bak\ the backup stops at its first table, with no completion message.
    fs::remove_all(work / "bak");
    ui_.ExpectException("目录" + (work / "bak").string() + "不存在，无法写入gjxm.db");
    ASSERT_TRUE(Click(*w.Button1));
    ASSERT_TRUE(Click(*w.Button4));
  });
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->Table1.Active());
}

}  // namespace
}  // namespace veltra::exchange
