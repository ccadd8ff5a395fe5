// The real file question of a print without a printer, as the user meets it:
// the dialog that opens, its columns, the name typed and 保存 pressed.
#include <QAbstractItemModel>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/print/print_interaction.h"

namespace veltra::print {
namespace {

namespace fs = std::filesystem;

TEST(PrintFileQuestion, ShowsChineseColumnsAndReturnsTheTypedName) {
  const fs::path folder = fs::temp_directory_path() / "veltra_print_question";
  fs::remove_all(folder);
  fs::create_directories(folder / "bak");
  std::ofstream(folder / "old.pdf") << std::string(3000, 'x');
  const fs::path was = fs::current_path();
  fs::current_path(folder);  // the dialog opens in the working folder

  std::vector<QString> shown;
  QString caption;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    caption = dialog->windowTitle();
    auto* files = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(files, nullptr);
    const QAbstractItemModel& model = *files->model();
    for (int wait = 0; wait < 200 && model.rowCount(files->rootIndex()) < 2; ++wait) QTest::qWait(10);
    for (int row = 0; row < model.rowCount(files->rootIndex()); ++row) {
      for (int column = 1; column < model.columnCount(files->rootIndex()); ++column) {
        shown.push_back(model.index(row, column, files->rootIndex()).data().toString());
      }
    }
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, "sheet1.pdf");
    QTest::keyClick(name, Qt::Key_Return);
  });
  const fs::path chosen =
      CurrentPrintInteraction().AskSaveFileName(nullptr, kSavePdfCaption + "：上市企业清单", kPdfFilter);
  fs::current_path(was);

  EXPECT_EQ(caption, "保存为PDF文件：上市企业清单");
  EXPECT_EQ(chosen, fs::canonical(folder) / "sheet1.pdf");
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(std::find(shown.begin(), shown.end(), "文件夹") != shown.end());
  for (const QString& text : shown) {
    EXPECT_FALSE(text.contains(QRegularExpression("Folder|KiB|bytes|[A-Z][a-z][a-z] 20"))) << text.toStdString();
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace veltra::print
