#pragma once
// A ui service for tests: every message box, file or folder dialog and
// modal form must have been announced with its answer; anything else fails
// the test with its title and text. Installs itself for its lifetime.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/form.h"
#include "platform/ui/ui_service.h"

namespace veltra::ui::testing {

// Creates the program's application object once (offscreen).
void EnsureApplication();

class UiScript : public UiService {
 public:
  UiScript();
  ~UiScript() override;  // announced boxes never shown fail the test

  void ExpectMessage(MessageKind kind, std::string title, std::string text,
                     Answer answer = Answer::Ok);
  void ExpectException(std::string text);
  // `file_name` empty: the user cancels.
  void ExpectFileDialog(std::string title, std::optional<std::string> file_name,
                        int filter_index = 1);
  void ExpectFolder(std::optional<std::string> folder);
  // When the form named `form_name` is shown modally: `steps` run while it
  // is shown, then it is given `result` unless the steps closed it.
  void OnModal(std::string form_name, std::function<void(Form&)> steps, int result);
  void SetScreenWidth(int width) { screen_width_ = width; }

  const std::vector<std::string>& exceptions_shown() const { return exceptions_shown_; }
  const std::vector<MessageRequest>& messages_shown() const { return messages_shown_; }
  const std::vector<FileDialogRequest>& file_dialogs_shown() const { return file_dialogs_; }

  Answer ShowMessage(const MessageRequest& request) override;
  std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
  int RunModal(Form& form) override;
  int ScreenWidth() override { return screen_width_; }

 private:
  struct ExpectedMessage {
    MessageKind kind;
    std::string title;
    std::string text;
    Answer answer;
  };
  struct ExpectedFile {
    std::string title;
    std::optional<std::string> file_name;
    int filter_index;
  };
  struct ModalHook {
    std::string form_name;
    std::function<void(Form&)> steps;
    int result;
  };

  UiService* replaced_;
  std::deque<ExpectedMessage> messages_;
  std::deque<ExpectedFile> files_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<ModalHook> modals_;
  std::vector<std::string> exceptions_shown_;
  std::vector<MessageRequest> messages_shown_;
  std::vector<FileDialogRequest> file_dialogs_;
  int screen_width_ = 1024;
};

}  // namespace veltra::ui::testing
