#include <gtest/gtest-spi.h>

#include "platform/ui/file_dialog.h"
#include "platform/ui/folder_picker.h"
#include "platform/ui/message_box.h"
#include "tests/platform/ui/ui_fixture.h"

namespace veltra::ui::testing {
namespace {

class DialogsTest : public UiTest {};

TEST_F(DialogsTest, FiltersInTheWindowsSyntax) {
  const std::vector<FileFilter> filters = ParseFileFilter("*.db|*.db|*.dbf|*.dbf|*.txt|*.txt");
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[1].description, "*.dbf");
  EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*.dbf"});

  const std::vector<FileFilter> both = ParseFileFilter("*.db *.dbf|*.db;*.dbf");
  ASSERT_EQ(both.size(), 1u);
  EXPECT_EQ(both[0].patterns, (std::vector<std::string>{"*.db", "*.dbf"}));
  EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST_F(DialogsTest, FileDialogKeepsTheChosenNameForTheNextRun) {
  SaveDialog dialog;
  dialog.filter = "*.db|*.db|*.dbf|*.dbf";
  dialog.default_extension = "*.db";
  dialog.title = "请选择存盘文件名";
  ui_.ExpectFileDialog("请选择存盘文件名", "/tmp/out.dbf", 2);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.file_name, "/tmp/out.dbf");
  EXPECT_EQ(dialog.filter_index, 2);

  ui_.ExpectFileDialog("请选择存盘文件名", std::nullopt);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.file_name, "/tmp/out.dbf");  // a cancel changes nothing
  const FileDialogRequest& second = ui_.file_dialogs_shown().back();
  EXPECT_EQ(second.kind, FileDialogKind::Save);
  EXPECT_EQ(second.file_name, "/tmp/out.dbf");
  EXPECT_EQ(second.default_extension, "db");
  EXPECT_EQ(second.filter_index, 2);
}

TEST_F(DialogsTest, QuestionsAnsweredBothWays) {
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", Answer::Yes);
  ui_.ExpectMessage(MessageKind::Question, "提示", "是否删除当前记录", Answer::No);
  EXPECT_TRUE(AskYesNo("是否删除当前记录", "提示"));
  EXPECT_FALSE(AskYesNo("是否删除当前记录", "提示"));
}

TEST_F(DialogsTest, UnexpectedOrDifferentBoxesFailTheTest) {
  EXPECT_NONFATAL_FAILURE(ShowNotice("请先填入企业报表编号", "提示窗口"), "请先填入企业报表编号");
  ui_.ExpectMessage(MessageKind::Information, "提示窗口", "请先填入企业报表编号");
  EXPECT_NONFATAL_FAILURE(ShowNotice("请先填入企业报表编号", "错误窗口"), "错误窗口");
}

TEST_F(DialogsTest, FolderPickerAsksTheService) {
  FolderPicker picker(nullptr, "DirectoryListBox1", "/");
  ui_.ExpectFolder("/tmp/submission");
  ui_.ExpectFolder(std::nullopt);
  EXPECT_TRUE(picker.Browse());
  EXPECT_FALSE(picker.Browse());
  EXPECT_EQ(picker.Folder(), "/tmp/submission");
}

}  // namespace
}  // namespace veltra::ui::testing
