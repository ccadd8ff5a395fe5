#include "platform/ui/application.h"

#include <QFont>
#include <QFontInfo>
#include <QTimer>
#include <stdexcept>

#include "platform/ui/form.h"
#include "platform/ui/qt_ui_service.h"
#include "tests/platform/ui/ui_fixture.h"

namespace veltra::ui::testing {
namespace {

class ApplicationTest : public UiTest {};

TEST_F(ApplicationTest, TheSystemsFontNamesMapToInstalledFonts) {
  // The fonts actually drawn, not only the names asked for.
  EXPECT_EQ(QFontInfo(QFont("宋体")).family().toStdString(), "AR PL UMing CN");
  EXPECT_EQ(QFontInfo(QFont("黑体")).family().toStdString(), "WenQuanYi Zen Hei");
  EXPECT_EQ(QApplication::font().family().toStdString(), "宋体");
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
