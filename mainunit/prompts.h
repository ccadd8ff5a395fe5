#pragma once
// What the windows ask of the user: notices, yes/no questions and file
// choices. The windows go through one Prompts object so that a test can
// answer every question itself.
#include <string>

#include "platform/ui/file_dialog.h"

namespace veltra::mainunit {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A box with an OK button.
  virtual void Notice(const std::string& text, const std::string& title) = 0;
  // The same box telling what was refused, with the error's sign.
  virtual void Error(const std::string& text, const std::string& title) = 0;
  // True when the answer is Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
  // A question whose Yes deletes, empties or discards: No is the default,
  // so that Enter keeps the data. True when the answer is Yes.
  virtual bool Confirm(const std::string& text, const std::string& title) = 0;
  // On OK the dialog's file_name holds the choice and the result is true.
  virtual bool Execute(ui::FileDialog& dialog) = 0;
};

}  // namespace veltra::mainunit
