#pragma once
// The windows' questions put to the user through the ui service, which a
// window test answers.
#include "mainunit/prompts.h"

namespace veltra::mainunit {

class UiPrompts : public Prompts {
 public:
  void Notice(const std::string& text, const std::string& title) override;
  void Error(const std::string& text, const std::string& title) override;
  bool AskYesNo(const std::string& text, const std::string& title) override;
  bool Confirm(const std::string& text, const std::string& title) override;
  bool Execute(ui::FileDialog& dialog) override;
};

}  // namespace veltra::mainunit
