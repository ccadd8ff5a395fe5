#include "platform/ui/application.h"

#include <QFont>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "platform/ui/form.h"
#include "platform/ui/qt_ui_service.h"
#include "tests/platform/ui/ui_fixture.h"
#include "tests/support/render_path.h"

namespace veltra::ui::testing {
namespace {

class ApplicationTest : public UiTest {};

QImage Drawn(const QFont& font, const QString& text) {
  QImage image(120, 24, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.drawText(2, 18, text);
  return image;
}

TEST_F(ApplicationTest, TheSystemsFontNamesMapToInstalledFonts) {
  // The fonts actually drawn, not only the names asked for.
  EXPECT_EQ(QFontInfo(QFont("宋体")).family().toStdString(), "AR PL UMing CN");
  EXPECT_EQ(QFontInfo(QFont("黑体")).family().toStdString(), "WenQuanYi Zen Hei");
  EXPECT_EQ(QApplication::font().families(), SongFont(12).families());
  // On screen, Chinese in 宋体 is UMing's; Latin tells l from 1, and eight
  // digits fit the 48 pixels the original's half-width digits take.
  const QFont song = SongFont(12);
  QFont uming("AR PL UMing CN");
  uming.setPixelSize(12);
  EXPECT_EQ(Drawn(song, "统计系统"), Drawn(uming, "统计系统"));
  EXPECT_NE(Drawn(song, "l"), Drawn(song, "1"));
  EXPECT_LE(QFontMetrics(song).horizontalAdvance("28698502"), 48);
  EXPECT_LE(QFontMetrics(song).horizontalAdvance("2011-12-07 10:20:30"), 114);
}

TEST_F(ApplicationTest, QtsOwnBoxesAndDialogsAreChineseAndShowTheirColumns) {
  const auto box = QtUiService::MessageBoxFor(
      {MessageKind::Question, "提示", "是否删除当前记录", Buttons::YesNo, Answer::No});
  EXPECT_TRUE(box->button(QMessageBox::Yes)->text().startsWith("是")) << box->button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(box->button(QMessageBox::No)->text().startsWith("否"));
  EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
  // Qt would fill an empty title with the program's name.
  const QString untitled = QtUiService::MessageBoxFor({MessageKind::Information, "", "数据备份完成"})->windowTitle();
  EXPECT_TRUE(!untitled.isEmpty() && untitled.trimmed().isEmpty()) << untitled.toStdString();

  const auto dialog = QtUiService::FileDialogFor({FileDialogKind::Open, "请选择数据库文件", {{"*", {"*"}}}});
  dialog->setDirectory(QCoreApplication::applicationDirPath());  // a folder with files in it
  dialog->show();
  const auto* files = dialog->findChild<QTreeView*>("treeView");
  ASSERT_NE(files, nullptr);
  for (int wait = 0; wait < 200 && files->model()->rowCount(files->rootIndex()) == 0; ++wait) {
    QTest::qWait(10);  // the folder is read in the background
  }
  ASSERT_GT(files->model()->rowCount(files->rootIndex()), 0);
  QCoreApplication::processEvents();
  const auto* buttons = dialog->findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
  const QHeaderView* header = files->header();
  for (int column = 1; column < header->count(); ++column) {  // size, type, date: shown whole
    EXPECT_LE(static_cast<const QAbstractItemView*>(files)->sizeHintForColumn(column), header->sectionSize(column));
  }
  // Size, type and date in the users' words, not Qt's English.
  const QAbstractItemModel& model = *files->model();
  for (int row = 0; row < model.rowCount(files->rootIndex()); ++row) {
    for (int column = 1; column < header->count(); ++column) {
      const QString shown = model.index(row, column, files->rootIndex()).data().toString();
      EXPECT_FALSE(shown.contains(QRegularExpression("Folder|KiB|MiB|bytes|[A-Z][a-z][a-z] 20"))) << shown.toStdString();
    }
  }
  const int last = header->count() - 1;
  EXPECT_LE(header->sectionViewportPosition(last) + header->sectionSize(last), files->viewport()->width());
  EXPECT_TRUE(dialog->grab().save(veltra::testing::RenderPath("file_dialog.png")));
  dialog->hide();
}

TEST_F(ApplicationTest, ExceptionsFromQtDispatchedCodeAreShownAndTheLoopGoesOn) {
  ui_.ExpectException("表不存在");
  bool later_ran = false;
  QTimer::singleShot(0, [] { throw std::runtime_error("表不存在"); });
  QTimer::singleShot(0, [&] { later_ran = true; });
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(later_ran);
}

TEST_F(ApplicationTest, RealModalLoopsNestAndReturnTheirResults) {
  QtUiService qt;
  UiService* script = InstallUiService(&qt);
  Form outer("F_outer"), inner("F_inner");
  int inner_result = -1;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] { inner.SetModalResult(kModalYes); });
    inner_result = inner.ShowModal();
    outer.SetModalResult(kModalOk);
  });
  const int outer_result = outer.ShowModal();
  InstallUiService(script);
  EXPECT_EQ(outer_result, kModalOk);
  EXPECT_EQ(inner_result, kModalYes);
  EXPECT_FALSE(outer.isVisible());
}

}  // namespace
}  // namespace veltra::ui::testing
