#include "tests/platform/ui/harness/ui_script.h"

#include <gtest/gtest.h>

#include "platform/ui/application.h"

namespace veltra::ui::testing {
namespace {

const char* KindName(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information: return "information";
    case MessageKind::Question: return "question";
    case MessageKind::Error: return "error";
    case MessageKind::Exception: return "exception";
  }
  return "?";
}

}  // namespace

void EnsureApplication() {
  // Lives until the process ends; tearing Qt down at exit gains nothing.
  static int argc = 1;
  static char name[] = "veltra_tests";
  static char* argv[] = {name, nullptr};
  static auto* application = new Application(argc, argv);
  (void)application;
}

UiScript::UiScript() : replaced_(InstallUiService(this)) {}

UiScript::~UiScript() {
  InstallUiService(replaced_);
  for (const ExpectedMessage& m : messages_) {
    ADD_FAILURE() << "expected " << KindName(m.kind) << " box never shown: title \"" << m.title
                  << "\", text \"" << m.text << "\"";
  }
  for (const ExpectedFile& f : files_) ADD_FAILURE() << "expected file dialog \"" << f.title << "\" never shown";
  if (!folders_.empty()) ADD_FAILURE() << folders_.size() << " expected folder dialogs never shown";
  for (const ModalHook& h : modals_) ADD_FAILURE() << "form " << h.form_name << " never shown modally";
}

void UiScript::ExpectMessage(MessageKind kind, std::string title, std::string text, Answer answer) {
  messages_.push_back({kind, std::move(title), std::move(text), answer});
}

void UiScript::ExpectException(std::string text) {
  ExpectMessage(MessageKind::Exception, "", std::move(text));
}

void UiScript::ExpectFileDialog(std::string title, std::optional<std::string> file_name,
                                int filter_index) {
  files_.push_back({std::move(title), std::move(file_name), filter_index});
}

void UiScript::ExpectFolder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }

void UiScript::OnModal(std::string form_name, std::function<void(Form&)> steps, int result) {
  modals_.push_back({std::move(form_name), std::move(steps), result});
}

Answer UiScript::ShowMessage(const MessageRequest& request) {
  if (request.kind == MessageKind::Exception) exceptions_shown_.push_back(request.text);
  messages_shown_.push_back(request);
  if (messages_.empty()) {
    ADD_FAILURE() << "unexpected " << KindName(request.kind) << " box: title \"" << request.title
                  << "\", text \"" << request.text << "\"";
    return request.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
  }
  const ExpectedMessage expected = messages_.front();
  messages_.pop_front();
  EXPECT_EQ(KindName(expected.kind), std::string(KindName(request.kind))) << request.text;
  // An exception's box carries the program's name; only its text is checked.
  if (expected.kind != MessageKind::Exception) {
    EXPECT_EQ(expected.title, request.title) << request.text;
  }
  EXPECT_EQ(expected.text, request.text);
  const bool yes_no = expected.answer != Answer::Ok;
  EXPECT_EQ(yes_no, request.buttons == Buttons::YesNo) << "buttons of \"" << request.text << "\"";
  return expected.answer;
}

std::optional<FileDialogResult> UiScript::RunFileDialog(const FileDialogRequest& request) {
  file_dialogs_.push_back(request);
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected file dialog \"" << request.title << "\"";
    return std::nullopt;
  }
  const ExpectedFile expected = files_.front();
  files_.pop_front();
  EXPECT_EQ(expected.title, request.title);
  if (!expected.file_name) return std::nullopt;
  return FileDialogResult{*expected.file_name, expected.filter_index};
}

std::optional<std::string> UiScript::ChooseFolder(const std::string& title, const std::string&) {
  if (folders_.empty()) {
    ADD_FAILURE() << "unexpected folder dialog \"" << title << "\"";
    return std::nullopt;
  }
  std::optional<std::string> folder = folders_.front();
  folders_.pop_front();
  return folder;
}

int UiScript::RunModal(Form& form) {
  const std::string name = form.objectName().toStdString();
  if (modals_.empty() || modals_.front().form_name != name) {
    ADD_FAILURE() << "unexpected modal form " << name << " (\"" << form.Caption() << "\")";
    return kModalCancel;
  }
  const ModalHook hook = modals_.front();
  modals_.pop_front();
  if (hook.steps) hook.steps(form);
  if (form.in_modal_run()) form.SetModalResult(hook.result);
  if (form.in_modal_run()) ADD_FAILURE() << "form " << name << " refused to close";
  return form.modal_result();
}

}  // namespace veltra::ui::testing
