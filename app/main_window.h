#pragma once
// TF_main, the main window: the report list and the buttons that start a
// task on the chosen report type. It owns the main unit (shared state and
// scratch components) and creates each task window on first use.
#include <array>
#include <memory>

#include "app/main_unit.h"
#include "app/ui_prompts.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"

namespace veltra::entry {
class TF_kfq;
}  // namespace veltra::entry

namespace veltra::app {

class TF_main : public ui::Form {
  Q_OBJECT

 public:
  explicit TF_main(const std::filesystem::path& working_folder = std::filesystem::current_path());
  ~TF_main() override;

  MainUnit& Unit() { return unit_; }
  Prompts& UserPrompts() { return prompts_; }
  entry::TF_kfq* F_kfq() const { return f_kfq_.get(); }

  ui::RadioGroup* RadioGroup1;
  ui::Button* Button1;
  ui::Button* Button2;
  ui::Button* Button3;
  ui::Button* Button4;
  ui::Button* Button5;
  ui::Button* Button6;
  ui::Button* Button7;
  ui::Button* Button8;
  ui::Button* Button9;
  ui::Button* Button10;
  ui::Button* Button11;

 private:
  void RadioGroup1Click();
  void Button1Click();
  void Button4Click();
  // The buttons of task windows that are not part of this program yet.
  void NotYetAvailable(const std::string& task);

  MainUnit unit_;
  UiPrompts prompts_;
  std::unique_ptr<entry::TF_kfq> f_kfq_;
};

}  // namespace veltra::app
