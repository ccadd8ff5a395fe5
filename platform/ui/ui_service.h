#pragma once
// The one door through which every window shows a message box, runs a
// file or folder dialog, shows a form modally or asks for the screen width.
// Tests install their own service and answer each of these themselves.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltra::ui {

class Form;

enum class MessageKind { Information, Question, Error, Exception };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct MessageRequest {
  MessageKind kind = MessageKind::Information;
  std::string title;
  std::string text;
  Buttons buttons = Buttons::Ok;
  // The button that Enter presses on a Yes/No question.
  Answer default_answer = Answer::Yes;
};

enum class FileDialogKind { Open, Save };

struct FileFilter {
  std::string description;            // "*.db *.dbf"
  std::vector<std::string> patterns;  // {"*.db", "*.dbf"}
};

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  std::vector<FileFilter> filters;
  int filter_index = 1;        // 1-based, as the windows number the entries
  std::string default_extension;  // without the dot
  std::string file_name;          // proposed name (the last one chosen)
};

struct FileDialogResult {
  std::string file_name;
  int filter_index = 1;
};

class UiService {
 public:
  virtual ~UiService() = default;
  virtual Answer ShowMessage(const MessageRequest& request) = 0;
  virtual std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& start) = 0;
  // Runs `form`, already shown and activated, until it ends its modal
  // state; returns its modal result.
  virtual int RunModal(Form& form) = 0;
  virtual int ScreenWidth() = 0;
};

// The service in force: the Qt one unless another was installed.
UiService& Ui();

// Installs `service` (nullptr restores the Qt one) and returns the one it
// replaces. The caller keeps ownership.
UiService* InstallUiService(UiService* service);

}  // namespace veltra::ui
