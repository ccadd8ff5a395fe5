#include "exchange/pop3.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "exchange/logged_mail_ids.h"
#include "exchange/mail_texts.h"
#include "mainunit/dataset_helpers.h"
#include "mainunit/on_exit.h"
#include "platform/mail/mail_error.h"
#include "platform/mail/mime_message.h"
#include "platform/ui/page_control.h"

namespace veltra::exchange {
namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

TF_pop3::TF_pop3(mainunit::MainUnit& main, QWidget* parent)
    : ui::Form("F_pop3", parent), Table1(main.Database1), Settings(main.Database1), main_(main) {
  SetCaption("接收邮件");
  SetClientSize(552, 397);
  SetCentred(true);
  SetFontHeight(14);
  Table1.SetTableName("mailbox.db");
  Table1.AfterScroll = [this](db::DataSet&) { Table1AfterScroll(); };

  auto* pages = new ui::PageControl(this, "PageControl1");
  auto* sheet = new ui::TabSheet(pages, "TabSheet1", "接收邮件");
  DBEdit1 = Settings.BoundEdit(sheet, "DBEdit1", "Pop3_u");
  Edit1 = new ui::Edit(sheet, "Edit1");
  Edit1->SetPasswordChar(true);
  DBEdit2 = Settings.BoundEdit(sheet, "DBEdit2", "Pop3_s");
  DBEdit3 = Settings.BoundEdit(sheet, "DBEdit3", "Pop3_p");
  DBGrid1 = new ui::DBGrid(sheet, "DBGrid1");
  DBGrid1->SetReadOnly(true);
  DBGrid1->AddColumn("发件人", "发件人", 240);
  DBGrid1->AddColumn("日期", "日期", 136);
  DBGrid1->AddColumn("长度", "长度", 51);
  DBGrid1->SetDataSource(&DataSource1);
  Button8 = new ui::Button(sheet, "Button8", "上一个");
  Button9 = new ui::Button(sheet, "Button9", "下一个");
  Button7 = new ui::Button(sheet, "Button7", "记录头");
  Button5 = new ui::Button(sheet, "Button5", "记录尾");
  Button4 = new ui::Button(sheet, "Button4", "删除");
  DBMemo1 = new ui::DBMemo(sheet, "DBMemo1");
  DBMemo1->setReadOnly(true);
  DBMemo1->SetDataSource(&DataSource1);
  DBMemo1->SetDataField("内容");
  ListBox1 = new ui::ListBox(sheet, "ListBox1");
  Button3 = new ui::Button(sheet, "Button3", "存盘");
  Button6 = new ui::Button(sheet, "Button6", "接收邮件");
  Button1 = new ui::Button(sheet, "Button1", "连接");
  Button2 = new ui::Button(sheet, "Button2", "断开");
  Button11 = new ui::Button(sheet, "Button11", "返回");
  Button2->setEnabled(false);
  StatusBar1 = new ui::StatusBar(this, "StatusBar1");

  auto* grid = new QGridLayout(sheet);
  AddEditRow(grid, 0, {{"用户名：", DBEdit1}, {"密码：", Edit1}});
  AddEditRow(grid, 1, {{"邮件服务器：", DBEdit2}, {"端口：", DBEdit3}});
  grid->addWidget(DBGrid1, 2, 0, 1, 4);
  auto* navigation = new QHBoxLayout;
  for (ui::Button* button : {Button8, Button9, Button7, Button5, Button4}) navigation->addWidget(button);
  grid->addLayout(navigation, 3, 0, 1, 4);
  grid->addWidget(DBMemo1, 4, 0, 1, 3);
  grid->addLayout(AttachmentBox(sheet, ListBox1, {}), 4, 3);
  auto* buttons = new QHBoxLayout;
  for (ui::Button* button : {Button3, Button6, Button1, Button2, Button11}) buttons->addWidget(button);
  grid->addLayout(buttons, 5, 0, 1, 4);
  grid->setRowStretch(2, 1);
  grid->setRowStretch(4, 1);
  LayOutMailWindow(this, pages, StatusBar1);

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool&) { FormClose(); };
  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Button2Click(); };
  Button6->OnClick = [this] { Button6Click(); };
  Button4->OnClick = [this] { Button4Click(); };
  Button7->OnClick = [this] { Table1.First(); };
  Button5->OnClick = [this] { Table1.Last(); };
  Button8->OnClick = [this] { Table1.Prior(); };
  Button9->OnClick = [this] { Table1.Next(); };
  Button11->OnClick = [this] { Close(); };
}

void TF_pop3::FormActivate() {
  if (Settings.IsOpen()) return;
  main_.MailConnected = false;
  Table1.Open();
  Settings.Open();
  main_.RecordsDeleted = false;
  Table1AfterScroll();
}

void TF_pop3::Button1Click() { Connect("连接服务器错误"); }

void TF_pop3::Connect(const std::string& failure) {
  if (main_.MailConnected) return;
  ConnectServer(main_, PortNumber(DBEdit3->Text()), [this](int port) {
    NMPOP31.Connect(DBEdit2->Text(), port, DBEdit1->Text(), Edit1->Text());
  }, StatusBar1, failure);
  ShowConnection(main_.MailConnected, Button1, Button2, Button6);
}

void TF_pop3::Button2Click() {
  if (!main_.MailConnected) return;
  DisconnectServer(main_, [this] { NMPOP31.Disconnect(); }, StatusBar1);
  ShowConnection(false, Button1, Button2, Button6);
  Button4->setEnabled(true);
}

void TF_pop3::Button6Click() {
  if (!main_.MailConnected) Connect("接收邮件错误");
  if (!main_.MailConnected) return;
  DisableWhileBusy({Button6, Button2, Button1, Button4});
  // Every receive ends disconnected, whatever stops it; a failure stays in
  // the status line, since "服务器已断开" is what a good receive ends on.
  std::string failure;
  mainunit::OnExit disconnect([this, &failure] {
    Button2Click();
    if (!failure.empty()) Status(failure);
  });
  LoggedMailIds logged(main_.Database1.Folder() / kLoggedMailIdsFile, NMPOP31.Mailbox());
  std::string date;
  try {
    for (int n = 1; n <= NMPOP31.MessageCount(); ++n) {
      const mail::Pop3Session::Summary summary = NMPOP31.GetSummary(n);
      if (!IsSystemMail(summary.subject, main_.MailSubjectMarker)) continue;
      const std::string id = NMPOP31.UniqueId(n);
      // A receive that broke off logged it but could not have it deleted.
      if (logged.Logged(id)) {
        NMPOP31.DeleteMessage(n);
        continue;
      }
      const mail::ReceivedMessage message = NMPOP31.GetMailMessage(n, AttachFolder());
      Status("邮件接收完成");
      for (const std::string& line : message.header_lines) {
        if (line.rfind("Date: ", 0) == 0) {
          date = MailDateText(line);
          break;
        }
      }
      LogMessage(message, summary.bytes, date);
      logged.Add(id);
      // Only a message that is in the log leaves the server.
      NMPOP31.DeleteMessage(n);
    }
  } catch (const mail::MailError& error) {
    failure = FailureText("邮件接收错误", error);
    return;
  }
  logged.ForgetUnmet();
}

void TF_pop3::LogMessage(const mail::ReceivedMessage& message, double bytes, const std::string& date) {
  try {
    Table1.Append();
    Table1.FieldByName("发件人").SetAsString(StorableText(message.from));
    Table1.FieldByName("日期").SetAsString(StorableText(date));
    Table1.FieldByName("长度").SetAsFloat(bytes);
    Table1.FieldByName("内容").SetAsString(StorableText(Lines(message.body_lines)));
    if (!message.attachments.empty()) {
      Table1.FieldByName("附件").SetAsString(Lines(message.attachments));
      ListBox1->Clear();
      for (const std::string& name : message.attachments) ListBox1->Add(name);
    }
    Table1.Post();
    Table1.FlushBuffers();
  } catch (...) {
    // The mail stays on the server; the next receive saves its files again.
    Table1.Cancel();
    for (const std::string& name : message.attachments) {
      std::error_code ignored;
      std::filesystem::remove(AttachFolder() / name, ignored);
    }
    throw;
  }
}

void TF_pop3::Table1AfterScroll() {
  ListBox1->Clear();
  if (!Table1.Active() || Table1.IsEmpty()) return;
  const std::string names = Table1.FieldByName("附件").AsString();
  std::size_t start = 0;
  while (start < names.size()) {
    const std::size_t end = std::min(names.find('\n', start), names.size());
    if (end > start) ListBox1->Add(names.substr(start, end - start));
    start = end + 1;
  }
}

void TF_pop3::Button4Click() {
  if (Table1.IsEmpty()) return;
  for (const std::string& name : ListBox1->Items()) {
    std::error_code ignored;  // a file already gone is no fault
    // The log names its files itself; none may lead out of attach\.
    std::filesystem::remove(AttachFolder() / mail::SafeAttachmentName(name), ignored);
  }
  Table1.Delete();
  Table1.FlushBuffers();
  main_.RecordsDeleted = true;
}

void TF_pop3::FormClose() {
  Button2Click();
  Table1.Close();
  if (main_.RecordsDeleted) mainunit::PackTable(main_.Database1, "mailbox.db");
  Settings.SaveAndClose();
}

}  // namespace veltra::exchange
