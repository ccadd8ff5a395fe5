// The printout of the validation result: the subtitle is the window's
// caption at printing time, one line per result row, nothing for an empty
// table, and the tables are closed again afterwards.
#include <gtest/gtest.h>

#include "check_frame_fixture.h"
#include "platform/print/preview_window.h"
#include "tests/platform/print/print_test_support.h"

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
  print::Document shown;
  user.on_modal = [&](QDialog& dialog) {
    shown = dynamic_cast<print::PreviewWindow&>(dialog).document();
    return int(QDialog::Rejected);
  };

  frame.Button4Click();

  ASSERT_EQ(shown.pages.size(), 1u);
  const print::Page& page = shown.pages[0];
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
