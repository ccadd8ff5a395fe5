#pragma once
// What the windows ask of the user: notices, yes/no questions and file
// choices. The windows go through one Prompts object so that a test can
// answer every question itself.
#include <string>

namespace veltra::app {

// An open or save dialog as the windows keep it between uses: a title, a
// filter "text|pattern|text|pattern" (patterns joined by ';') and the file
// name last chosen.
struct FileDialogState {
  std::string title;
  std::string filter;
  std::string file_name;
  std::string default_extension;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A box with an OK button.
  virtual void Notice(const std::string& text, const std::string& title) = 0;
  // True when the answer is Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
  // On OK the dialog's file_name holds the choice and the result is true.
  virtual bool Execute(FileDialogState& dialog) = 0;
};

}  // namespace veltra::app
