#pragma once
// "发送邮件": one message with the system's subject through an SMTP
// server. Mail mode (ReportKind) 0 sends what the user writes and
// attaches; 1 and 2 start with the validation result tables or the data
// tables of the send register as attachments, copied into sendfile\.
#include <filesystem>
#include <string>

#include "exchange/mail_settings.h"
#include "mainunit/main_unit.h"
#include "mainunit/prompts.h"
#include "platform/db/table.h"
#include "platform/mail/smtp_session.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/status_controls.h"
#include "platform/ui/text_controls.h"

namespace veltra::exchange {

// The user id given to the server when the settings name none.
inline constexpr const char* kDefaultSmtpUser = "VLTR";

class TF_smtp : public ui::Form {
 public:
  TF_smtp(mainunit::MainUnit& main, mainunit::Prompts& prompts, QWidget* parent = nullptr);

  ui::Edit* Edit1;  // 收件人
  ui::Edit* Edit2;  // 抄送
  ui::DBEdit* DBEdit4;
  ui::DBEdit* DBEdit5;
  ui::DBEdit* DBEdit1;
  ui::DBEdit* DBEdit2;
  ui::DBEdit* DBEdit3;
  ui::Memo* Memo1;
  ui::ListBox* ListBox1;
  ui::Button* Button4;
  ui::Button* Button5;
  ui::Button* Button6;
  ui::Button* Button1;
  ui::Button* Button2;
  ui::Button* Button7;
  ui::StatusBar* StatusBar1;

  db::Table Table1;  // sendname.db
  MailSettings Settings;
  mail::SmtpSession NMSMTP1;
  ui::OpenDialog OpenDialog1;

 private:
  void FormActivate();
  void FormClose();
  void Button1Click();
  // Connects unless connected; a failure is told in the words `failure`.
  void Connect(const std::string& failure);
  void Button2Click();
  void Button6Click();
  void Button4Click();
  // Copies `file` into the send folder and lists it once.
  void Attach(const std::filesystem::path& file);
  void Button5Click();
  void Status(const std::string& text);
  // A file of the working folder and its copy in sendfile\, found
  // whatever the letter case of their names.
  std::filesystem::path InWorkingFolder(const std::string& name) const;
  std::filesystem::path InSendFolder(const std::string& name) const;

  mainunit::MainUnit& main_;
  mainunit::Prompts& prompts_;
};

}  // namespace veltra::exchange
