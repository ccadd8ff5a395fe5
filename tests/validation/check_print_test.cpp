// The printout of the validation result: the subtitle is the window's
// caption at printing time, one line per result row, nothing for an empty
// table, and the tables are closed again afterwards.
#include <gtest/gtest.h>

#include "check_frame_fixture.h"
#include "platform/print/page_canvas.h"
#include "platform/print/page_output.h"
#include "platform/print/preview_window.h"
#include "tests/platform/print/print_test_support.h"
#include "tests/support/render_path.h"

namespace veltra::validation {
namespace {

using print::testing::FindText;
using print::testing::PdfText;
using print::testing::ScriptedUser;
using testing::CheckFrameTest;

TEST_F(CheckFrameTest, PreviewShowsTheResultUnderTheCaption) {
  frame.FormActivate();
  frame.Button3Click();
  ScriptedUser user;
  int pages_shown = 0;
  print::Page page;
  user.on_modal = [&](QDialog& dialog) {
    print::PageSource& pages = dynamic_cast<print::PreviewWindow&>(dialog).pages();
    pages_shown = pages.PageCount();
    if (pages_shown > 0) page = pages.PageAt(0);
    return int(QDialog::Rejected);
  };

  frame.Button4Click();

  ASSERT_EQ(pages_shown, 1);
  EXPECT_NE(FindText(page, QStringLiteral("校验表")), nullptr);
  EXPECT_NE(FindText(page, QStringLiteral("高新区企业数据校验")), nullptr);
  EXPECT_NE(FindText(page, QStringLiteral("110002")), nullptr);
  EXPECT_NE(FindText(page, QStringLiteral("总收入不能为负")), nullptr);
  EXPECT_NE(FindText(page, QStringLiteral("2")), nullptr) << "序号 of the second row";
  // The report's columns stand where the layout puts them.
  const print::TextOp* message = FindText(page, QStringLiteral("错误信息"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->top_left.x(), 100 + print::UnitsFromPixels(462));
  ASSERT_NE(frame.F_check_p(), nullptr);
  EXPECT_FALSE(frame.F_check_p()->Table1.Active());
  EXPECT_FALSE(frame.F_check_p()->Table2.Active());
  EXPECT_TRUE(frame.DataSource1.Enabled());
}

TEST_F(CheckFrameTest, PrintWritesTheCaptionOfTheMomentIntoTheSubtitle) {
  frame.FormActivate();
  frame.Button3Click();
  ScriptedUser user;
  const std::filesystem::path first = folder() / "first.pdf";
  const std::filesystem::path second = folder() / "second.pdf";
  user.file_answers = {first, second};

  frame.Button1Click();
  const std::string text = PdfText(first);
  EXPECT_NE(text.find("校验表"), std::string::npos) << text;
  EXPECT_NE(text.find("高新区企业数据校验"), std::string::npos) << text;
  EXPECT_NE(text.find("110001"), std::string::npos) << text;

  // Reopened on another caption, the one subtitle row is rewritten.
  frame.FormClose();
  db::Table catalogue(db());
  catalogue.SetTableName("check_db.DB");
  catalogue.Open();
  catalogue.Edit();
  catalogue.FieldByName("text1").SetAsString("另一标题");
  catalogue.Post();
  catalogue.Close();
  frame.FormActivate();
  frame.Button1Click();
  EXPECT_NE(PdfText(second).find("另一标题"), std::string::npos);
  EXPECT_EQ(Rows("check_pt.db"), (testing::TextRows{{"另一标题"}}));
}

// The rectangle a text takes on its page.
QRect TextRect(const print::TextOp& text) {
  return QRect(text.top_left, print::MeasureText(text.font, text.text));
}

TEST_F(CheckFrameTest, ManyResultsPageThroughWithNothingOverlapping) {
  for (int i = 1; i <= 80; ++i) {
    AddRow("kfq_r.db", {{"序号", std::to_string(i)}, {"状态", i % 2 ? "错误" : "警告"}, {"编号", "11000" + std::to_string(i)},
                        {"字段名", "qc05"}, {"字段值", "-12345.5"}, {"错误信息", "总收入不能为负"}});
  }
  AddRow("check_pt.db", {{"Text", "高新区企业数据校验"}});
  TF_check_p check_p(db());
  check_p.Table1.SetTableName("kfq_r.db");
  check_p.Table1.Open();
  check_p.Table2.Open();
  const print::Document document = check_p.QuickRep1.Prepare();
  ASSERT_EQ(document.pages.size(), 3u);
  EXPECT_TRUE(print::RenderPageImage(document, 0, 96).save(veltra::testing::RenderPath("check_p_page1.png")));
  for (std::size_t p = 0; p < document.pages.size(); ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    const print::Page& page = document.pages[p];
    EXPECT_EQ(FindText(page, QStringLiteral("校验表")) != nullptr, p == 0);
    EXPECT_NE(FindText(page, QStringLiteral("错误信息")), nullptr);
    EXPECT_NE(FindText(page, QString::number(p + 1)), nullptr) << "page number";
    std::vector<QRect> texts;
    std::vector<QLine> rules;
    for (const print::DrawOp& op : page.ops) {
      if (const auto* text = std::get_if<print::TextOp>(&op)) texts.push_back(TextRect(*text));
      if (const auto* line = std::get_if<print::LineOp>(&op)) rules.push_back(line->line);
      if (const auto* frame = std::get_if<print::FrameOp>(&op)) {
        const QRect r = frame->rect;
        rules.insert(rules.end(), {QLine(r.topLeft(), r.topRight()), QLine(r.bottomLeft(), r.bottomRight()),
                                   QLine(r.topLeft(), r.bottomLeft()), QLine(r.topRight(), r.bottomRight())});
      }
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
      for (std::size_t j = i + 1; j < texts.size(); ++j) EXPECT_FALSE(texts[i].intersects(texts[j])) << i << " " << j;
      for (const QLine& rule : rules) {
        const QRect ruled = QRect(rule.p1(), rule.p2()).normalized().adjusted(0, 0, 1, 1);
        EXPECT_FALSE(texts[i].intersects(ruled))
            << "text " << texts[i].x() << "," << texts[i].y() << " " << texts[i].width() << "x" << texts[i].height()
            << " crosses the rule " << ruled.x() << "," << ruled.y() << " " << ruled.width() << "x" << ruled.height();
      }
    }
  }
}

TEST_F(CheckFrameTest, EmptyResultTablePrintsNothing) {
  ScriptedUser user;
  TF_check_p check_p(db());
  check_p.Table1.SetTableName("kfq_r.db");
  check_p.QuickRep1.Print();
  check_p.QuickRep1.Preview();
  EXPECT_EQ(user.file_questions, 0);
  const print::Document document = [&] {
    check_p.Table1.Open();
    check_p.Table2.Open();
    return check_p.QuickRep1.Prepare();
  }();
  EXPECT_TRUE(document.pages.empty());
}

}  // namespace
}  // namespace veltra::validation
