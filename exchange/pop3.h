#pragma once
// "接收邮件": takes from a POP3 mailbox the messages that carry the
// system's subject, saves their attachments in attach\, logs each in
// mailbox.db and lets the user page through and delete the log.
#include <filesystem>
#include <string>

#include "exchange/mail_settings.h"
#include "mainunit/main_unit.h"
#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/mail/pop3_session.h"
#include "platform/ui/buttons.h"
#include "platform/ui/data_edits.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/status_controls.h"
#include "platform/ui/text_controls.h"

namespace veltra::exchange {

class TF_pop3 : public ui::Form {
 public:
  explicit TF_pop3(mainunit::MainUnit& main, QWidget* parent = nullptr);

  ui::DBEdit* DBEdit1;  // 用户名
  ui::Edit* Edit1;      // 密码
  ui::DBEdit* DBEdit2;
  ui::DBEdit* DBEdit3;
  ui::DBGrid* DBGrid1;
  ui::Button* Button8;
  ui::Button* Button9;
  ui::Button* Button7;
  ui::Button* Button5;
  ui::Button* Button4;
  ui::DBMemo* DBMemo1;
  ui::ListBox* ListBox1;
  ui::Button* Button3;
  ui::Button* Button6;
  ui::Button* Button1;
  ui::Button* Button2;
  ui::Button* Button11;
  ui::StatusBar* StatusBar1;

  db::Table Table1;  // mailbox.db
  db::DataSource DataSource1{&Table1};
  MailSettings Settings;
  mail::Pop3Session NMPOP31{std::chrono::milliseconds(20000)};

 private:
  void FormActivate();
  void FormClose();
  void Button1Click();
  // Connects unless connected; a failure is told in the words `failure`.
  void Connect(const std::string& failure);
  void Button2Click();
  void Button6Click();
  void Button4Click();
  void Table1AfterScroll();
  // Logs one retrieved message; the server keeps it until this returns.
  void LogMessage(const mail::ReceivedMessage& message, double bytes, const std::string& date);
  void Status(const std::string& text) { StatusBar1->SetSimpleText(text); }
  std::filesystem::path AttachFolder() const { return main_.Database1.Folder() / "attach"; }

  mainunit::MainUnit& main_;
};

}  // namespace veltra::exchange
