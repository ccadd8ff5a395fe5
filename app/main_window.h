#pragma once
// TF_main, the main window: the report list and the buttons that start a
// task on the chosen report type. It owns the main unit (shared state and
// scratch components) and creates each task window on first use.
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "mainunit/main_unit.h"
#include "mainunit/ui_prompts.h"
#include "platform/ui/buttons.h"
#include "platform/db/query.h"
#include "platform/ui/form.h"
#include "reports/builder_query.h"
#include "validation/locate_target.h"

namespace veltra::entry {
class TF_kfq;
}  // namespace veltra::entry

namespace veltra::exchange {
class TF_pop3;
class TF_smtp;
class TF_xtwh;
}  // namespace veltra::exchange

namespace veltra::dbtool {
class TF_db_tool;
}  // namespace veltra::dbtool

namespace veltra::query {
class TF_query;
class TF_query_p;
}  // namespace veltra::query

namespace veltra::reports {
class TF_report;
}  // namespace veltra::reports

namespace veltra::validation {
class TF_check;
}  // namespace veltra::validation

namespace veltra::app {

class TF_main : public ui::Form {
  Q_OBJECT

 public:
  explicit TF_main(const std::filesystem::path& working_folder = std::filesystem::current_path());
  ~TF_main() override;

  mainunit::MainUnit& Unit() { return unit_; }
  mainunit::Prompts& UserPrompts() { return prompts_; }
  entry::TF_kfq* F_kfq() const;
  // The entry window of that class ("TF_fhq"), or null before its first opening.
  ui::Form* EntryWindowNamed(std::string_view window) const;
  query::TF_query* F_query() const { return f_query_.get(); }

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
  void Button6Click();
  void Button7Click();
  void Button5Click();
  void Button10Click();
  void Button11Click();
  // "发送邮件" (0), "发送校验表" (1), "发送数据库" (2): the mail mode, then the sending window.
  void SendMail(int mode);
  void Button2Click();
  // Opens an entry window, created on first use, under `caption`.
  void ShowEntryWindow(std::string_view window, const std::string& caption);

  mainunit::MainUnit unit_;
  mainunit::UiPrompts prompts_;
  // The entry windows opened so far, by class name; each is kept for the run.
  std::map<std::string, std::unique_ptr<ui::Form>, std::less<>> f_entry_;
  std::unique_ptr<dbtool::TF_db_tool> f_db_tool_;
  std::unique_ptr<query::TF_query_p> f_query_p_;
  std::unique_ptr<query::TF_query> f_query_;
  std::unique_ptr<validation::TF_check> f_check_;
  // The query the report window's builders run their statements in.
  db::Query report_query_{unit_.Database1};
  reports::BuilderContext report_builders_{unit_, report_query_, {}};
  std::unique_ptr<reports::TF_report> f_report_;
  std::unique_ptr<exchange::TF_xtwh> f_xtwh_;
  std::unique_ptr<exchange::TF_smtp> f_smtp_;
  std::unique_ptr<exchange::TF_pop3> f_pop3_;

  // How the validation window opens the entry window of a fault.
  class EntryWindowsOfMain : public validation::EntryWindows {
   public:
    explicit EntryWindowsOfMain(TF_main& main) : main_(main) {}
    void ShowModal(std::string_view window, const std::string& caption) override {
      main_.ShowEntryWindow(window, caption);
    }

   private:
    TF_main& main_;
  };
  EntryWindowsOfMain entry_windows_{*this};
};

}  // namespace veltra::app
