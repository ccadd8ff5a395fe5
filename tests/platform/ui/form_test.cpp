#include "platform/ui/form.h"

#include <QCoreApplication>
#include <stdexcept>

#include "platform/types/error.h"
#include "platform/ui/buttons.h"
#include "platform/ui/text_controls.h"
#include "tests/platform/ui/harness/input.h"
#include "tests/platform/ui/ui_fixture.h"

namespace veltra::ui::testing {
namespace {

class FormTest : public UiTest {};

TEST_F(FormTest, ModalFormsNestAndReactivateTheirCaller) {
  Form outer("F_outer"), inner("F_inner");
  std::vector<std::string> activations;
  outer.OnActivate = [&] { activations.push_back("outer"); };
  inner.OnActivate = [&] { activations.push_back("inner"); };
  Button open(&outer, "Button1", "open");
  int inner_result = -1;
  open.OnClick = [&] { inner_result = inner.ShowModal(); };

  ui_.OnModal("F_outer", [&](Form& form) {
    EXPECT_TRUE(form.isVisible());
    ui_.OnModal("F_inner", [](Form& f) { f.SetModalResult(kModalOk); }, kModalCancel);
    EXPECT_TRUE(Click(open));
  }, kModalYes);
  EXPECT_EQ(outer.ShowModal(), kModalYes);
  EXPECT_EQ(inner_result, kModalOk);
  EXPECT_FALSE(outer.isVisible());
  EXPECT_EQ(activations, (std::vector<std::string>{"outer", "inner", "outer"}));
}

TEST_F(FormTest, CloseMayBeRefusedAndKeepsTheFormsState) {
  Form form("F_form");
  Edit edit(&form, "Edit1");
  bool allow = false;
  form.OnClose = [&](bool& ok) { ok = allow; };
  ui_.OnModal("F_form", [&](Form& f) {
    edit.SetText("kept");
    EXPECT_FALSE(f.Close());
    EXPECT_TRUE(f.isVisible());
    allow = true;
    EXPECT_TRUE(f.Close());
  }, kModalOk);
  EXPECT_EQ(form.ShowModal(), kModalCancel);  // closed without a result
  EXPECT_EQ(edit.Text(), "kept");

  // The same object shows again, and a refused result leaves it open.
  allow = false;
  ui_.OnModal("F_form", [&](Form& f) {
    f.SetModalResult(kModalOk);
    EXPECT_TRUE(f.in_modal_run());
    allow = true;
  }, kModalOk);
  EXPECT_EQ(form.ShowModal(), kModalOk);
}

TEST_F(FormTest, ModelessShowActivatesOnEveryShow) {
  Form form("F_query");
  int activations = 0;
  form.OnActivate = [&] { ++activations; };
  form.Show();
  form.Show();  // already the active form
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(form.Close());
  EXPECT_FALSE(form.isVisible());
  form.Show();
  EXPECT_EQ(activations, 2);
  form.Close();
}

TEST_F(FormTest, AModelessFormActivatesWhenTheUserComesBack) {
  Form main("F_main"), query("F_query");
  int main_activations = 0, query_activations = 0;
  main.OnActivate = [&] { ++main_activations; };
  query.OnActivate = [&] { ++query_activations; };
  main.Show();
  query.Show();
  QCoreApplication::processEvents();
  EXPECT_EQ(main_activations, 1);
  EXPECT_EQ(query_activations, 1);
  main.activateWindow();
  QCoreApplication::processEvents();
  EXPECT_EQ(main_activations, 2);
  query.activateWindow();
  QCoreApplication::processEvents();
  EXPECT_EQ(query_activations, 2);
  query.Close();
  main.Close();
}

TEST_F(FormTest, ShowingAVisibleFormModallyIsRefused) {
  Form form("F_form");
  form.Show();
  EXPECT_THROW(form.ShowModal(), std::logic_error);
  form.Close();
}

TEST_F(FormTest, CentredOnTheScreenWidthOfTheService) {
  Form form("F_main");
  form.SetClientSize(200, 100);
  form.SetCentred(true);
  ui_.SetScreenWidth(800);
  form.OnActivate = [&] { EXPECT_EQ(form.x(), 300); };
  form.Show();
  EXPECT_EQ(form.width(), 200);
  form.Close();
}

TEST_F(FormTest, KeyPreviewSeesEnterFirstAndMovesToTheNextControl) {
  Form form("F_entry");
  Edit first(&form, "Edit1"), second(&form, "Edit2");
  first.setGeometry(0, 0, 80, 20);
  second.setGeometry(0, 30, 80, 20);
  form.SetKeyPreview(true);
  int enters_seen_by_edit = 0;
  first.OnKeyDown = [&](int key) { enters_seen_by_edit += key == 13; };
  form.OnKeyPress = [&](int& key) {
    if (key != 13) return;
    key = 0;
    form.FocusNextControl();
  };
  form.Show();
  Type(first, "ab");
  PressEnter();
  EXPECT_EQ(FocusedName(), "Edit2");
  EXPECT_EQ(enters_seen_by_edit, 0);
  EXPECT_EQ(first.Text(), "ab");  // other keys pass through
  form.Close();
}

TEST_F(FormTest, HandlerExceptionsAreShownAndSilentAbortIsNot) {
  Form form("F_form");
  Button fails(&form, "Button1", "fail"), aborts(&form, "Button2", "abort");
  fails.OnClick = [] { throw std::runtime_error("企业数据错误:企业报表编号重复"); };
  aborts.OnClick = [] { throw SilentAbort(); };
  form.Show();
  ui_.ExpectException("企业数据错误:企业报表编号重复");
  EXPECT_TRUE(Click(fails));
  EXPECT_TRUE(Click(aborts));
  EXPECT_EQ(ui_.exceptions_shown(), std::vector<std::string>{"企业数据错误:企业报表编号重复"});
  fails.setEnabled(false);
  EXPECT_FALSE(Click(fails));  // a disabled button does nothing
  form.Close();
}

}  // namespace
}  // namespace veltra::ui::testing
