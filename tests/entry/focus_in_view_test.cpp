// Enter walks a clerk through the edits of a page; on a page longer than
// the window the edit that takes the focus must come into view, or the
// clerk types blind.
#include <QScrollArea>
#include <QScrollBar>

#include "entry/entry_window.h"
#include "entry/entry_windows.h"
#include "tests/entry/installed_window_fixture.h"

namespace veltra::entry {
namespace {

class FocusInViewTest : public testing::InstalledWindowTest {};

TEST_F(FocusInViewTest, EnterKeepsTheFocusedEditInViewOnEveryPageOfEveryWindow) {
  for (const char* name : {"TF_kfq", "TF_kfqzh", "TF_tzjg", "TF_rjjd", "TF_dxkjy", "TF_fhq", "TF_tsjd", "TF_sjgxq"}) {
    SCOPED_TRACE(name);
    window = CreateEntryWindow(name, *unit, prompts);
    auto& w = Open<EntryWindow>();
    // A new record shows the pages that an empty table hides.
    const bool inserted = !w.TabSheets.back()->TabVisible();
    if (inserted) Press("ToolButton5");
    int scrolled_pages = 0;
    for (ui::TabSheet* page : w.TabSheets) {
      auto* area = page->findChild<QScrollArea*>();
      if (area == nullptr) continue;
      w.PageControl1->setCurrentWidget(page);
      QApplication::processEvents();
      const QList<ui::DBEdit*> edits = area->widget()->findChildren<ui::DBEdit*>();
      ASSERT_FALSE(edits.isEmpty()) << page->objectName().toStdString();
      ui::testing::Focus(*edits.front());
      for (int step = 0; step < edits.size(); ++step) {
        ui::testing::PressEnter();
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr || !area->widget()->isAncestorOf(focused) || qobject_cast<ui::DBMemo*>(focused)) break;
        const QRect shown(focused->mapTo(area->viewport(), QPoint(0, 0)), focused->size());
        EXPECT_TRUE(area->viewport()->rect().contains(shown))
            << page->objectName().toStdString() << " " << focused->objectName().toStdString();
      }
      scrolled_pages += area->verticalScrollBar()->value() > 0;
    }
    if (std::string(name) == "TF_kfq") {
      EXPECT_GT(scrolled_pages, 0) << "the enterprise pages are longer than the window";
    }
    if (inserted) {
      ui_.ExpectMessage(ui::MessageKind::Question, "提示", "是否放弃当前记录的修改", ui::Answer::Yes);
      Press("ToolButton8");
    }
    Press("ToolButton10");
  }
}

}  // namespace
}  // namespace veltra::entry
