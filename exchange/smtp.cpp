#include "exchange/smtp.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>

#include <algorithm>

#include "exchange/mail_texts.h"
#include "platform/formats/file_io.h"
#include "platform/mail/mail_error.h"
#include "platform/text/ascii.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"
#include "platform/ui/page_control.h"

namespace veltra::exchange {
namespace {

namespace fs = std::filesystem;

// Copies a file to send into sendfile\; what is missing is named.
void CopyAttachment(const fs::path& from, const fs::path& to) {
  std::error_code error;
  if (!fs::is_regular_file(from, error)) throw EngineError(EngineError::Kind::Io, EngineError::Words{"要发送的文件" + from.string() + "不存在"});
  if (!fs::is_directory(to.parent_path(), error)) {
    throw EngineError(EngineError::Kind::Io,
                      EngineError::Words{"附件目录" + to.parent_path().string() + "不存在，无法复制" + from.filename().string()});
  }
  // A file is never copied onto itself: that would empty it.
  if (fs::exists(to, error) && fs::equivalent(from, to, error)) return;
  try {
    formats::WriteFileAtomically(to, formats::ReadWholeFile(from));
  } catch (const EngineError& failure) {
    throw EngineError(EngineError::Kind::Io,
                      EngineError::Words{"无法把" + from.string() + "复制到" + to.string() + "：" + ui::UserText(failure)},
                      failure.subject());
  }
}

// The memo file a table keeps beside it, named in the table's own letter case.
std::string MemoFileName(const std::string& table) {
  const std::string extension = text::ToAsciiLower(fs::path(table).extension().string());
  const char* memo = extension == ".db" ? ".mb" : extension == ".dbf" ? ".dbt" : nullptr;
  if (memo == nullptr) return {};
  const bool upper = table.back() >= 'A' && table.back() <= 'Z';
  return fs::path(table).stem().string() + (upper ? text::ToAsciiUpper(memo) : std::string(memo));
}

}  // namespace

TF_smtp::TF_smtp(mainunit::MainUnit& main, mainunit::Prompts& prompts, QWidget* parent)
    : ui::Form("F_smtp", parent), Table1(main.Database1), Settings(main.Database1), main_(main), prompts_(prompts) {
  SetCaption("发送邮件");
  SetClientSize(549, 396);
  SetCentred(true);
  SetFontHeight(14);
  Table1.SetTableName("sendname.db");

  auto* pages = new ui::PageControl(this, "PageControl1");
  auto* sheet = new ui::TabSheet(pages, "TabSheet1", "发送邮件");
  Edit1 = new ui::Edit(sheet, "Edit1");
  Edit2 = new ui::Edit(sheet, "Edit2");
  DBEdit4 = Settings.BoundEdit(sheet, "DBEdit4", "Name");
  DBEdit5 = Settings.BoundEdit(sheet, "DBEdit5", "Address");
  DBEdit1 = Settings.BoundEdit(sheet, "DBEdit1", "Smtp_u");
  DBEdit2 = Settings.BoundEdit(sheet, "DBEdit2", "Smtp_s");
  DBEdit3 = Settings.BoundEdit(sheet, "DBEdit3", "Smtp_p");
  Memo1 = new ui::Memo(sheet, "Memo1");
  ListBox1 = new ui::ListBox(sheet, "ListBox1");
  Button4 = new ui::Button(sheet, "Button4", "增加");
  Button5 = new ui::Button(sheet, "Button5", "删除");
  Button6 = new ui::Button(sheet, "Button6", "发送邮件");
  Button1 = new ui::Button(sheet, "Button1", "连接");
  Button2 = new ui::Button(sheet, "Button2", "断开");
  Button7 = new ui::Button(sheet, "Button7", "返回");
  Button2->setEnabled(false);
  StatusBar1 = new ui::StatusBar(this, "StatusBar1");

  auto* grid = new QGridLayout(sheet);
  AddEditRow(grid, 0, {{"收件人：", Edit1}, {"抄送：", Edit2}});
  AddEditRow(grid, 1, {{"发件人：", DBEdit4}, {"发件人地址：", DBEdit5}});
  AddEditRow(grid, 2, {{"用户名：", DBEdit1}, {"邮件服务器：", DBEdit2}});
  AddEditRow(grid, 3, {{"端口：", DBEdit3}});
  grid->addWidget(Memo1, 4, 0, 1, 3);
  grid->addLayout(AttachmentBox(sheet, ListBox1, {Button4, Button5}), 4, 3);
  auto* buttons = new QHBoxLayout;
  for (ui::Button* button : {Button6, Button1, Button2, Button7}) buttons->addWidget(button);
  grid->addLayout(buttons, 5, 0, 1, 4);
  grid->setRowStretch(4, 1);
  LayOutMailWindow(this, pages, StatusBar1);

  OpenDialog1.title = "Attach File";
  OpenDialog1.filter = "All Files|*.*";
  OpenDialog1.default_extension = "*";

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](bool&) { FormClose(); };
  Button1->OnClick = [this] { Button1Click(); };
  Button2->OnClick = [this] { Button2Click(); };
  Button6->OnClick = [this] { Button6Click(); };
  Button4->OnClick = [this] { Button4Click(); };
  Button5->OnClick = [this] { Button5Click(); };
  Button7->OnClick = [this] { Close(); };

  NMSMTP1.OnStatus = [this](const std::string& text) { Status(text); };
  NMSMTP1.OnSendStart = [this] { Status("Sending message"); };
  NMSMTP1.OnPacketSent = [this](std::size_t sent, std::size_t total) {
    Status(std::to_string(sent) + " bytes of " + std::to_string(total) + " sent");
  };
  NMSMTP1.OnEncodeStart = [this](const std::string& file) { Status("Encoding " + file); };
  NMSMTP1.OnEncodeEnd = [this](const std::string& file) { Status("Encoded " + file); };
  NMSMTP1.OnRecipientNotFound = [this](const std::string& recipient) {
    prompts_.Notice(recipient + " not found", "提示窗口");
  };
}

void TF_smtp::Status(const std::string& text) { StatusBar1->SetSimpleText(text); }

std::filesystem::path TF_smtp::InWorkingFolder(const std::string& name) const {
  return main_.Database1.ResolveFileName(main_.SendBaseDir + name);
}

std::filesystem::path TF_smtp::InSendFolder(const std::string& name) const {
  return InWorkingFolder("sendfile\\" + name);
}

void TF_smtp::FormActivate() {
  if (Settings.IsOpen()) return;
  main_.MailConnected = false;
  ListBox1->Clear();
  Memo1->SetLines({});
  const int mode = main_.ReportKind;
  if (mode == 1 || mode == 2) {
    Table1.Open();
    std::vector<std::string> lines;
    for (Table1.First(); !Table1.Eof(); Table1.Next()) {
      if (Table1.FieldByName("id").AsInteger() != mode) continue;
      const std::string name = Table1.FieldByName("name").AsString();
      ListBox1->Add(name);
      // A table's memos travel with it.
      const std::string memo = MemoFileName(name);
      if (!memo.empty() && std::filesystem::exists(InWorkingFolder(memo))) ListBox1->Add(memo);
      lines.push_back(Table1.FieldByName("text").AsString());
    }
    Table1.Close();
    Memo1->SetLines(lines);
  }
  for (const std::string& name : ListBox1->Items()) CopyAttachment(InWorkingFolder(name), InSendFolder(name));
  Settings.Open();
}

void TF_smtp::Button1Click() { Connect("连接服务器错误"); }

void TF_smtp::Connect(const std::string& failure) {
  if (main_.MailConnected) return;
  DisableWhileBusy({Button1, Button6, Button2});
  ConnectServer(main_, PortNumber(DBEdit3->Text()), [this](int port) {
    const std::string user = DBEdit1->Text().empty() ? kDefaultSmtpUser : DBEdit1->Text();
    Status("正在连接服务器...");
    NMSMTP1.Connect(DBEdit2->Text(), port, user);
  }, StatusBar1, failure);
  ShowConnection(main_.MailConnected, Button1, Button2, Button6);
}

void TF_smtp::Button2Click() {
  if (!main_.MailConnected) return;
  DisconnectServer(main_, [this] { NMSMTP1.Disconnect(); }, StatusBar1);
  ShowConnection(false, Button1, Button2, Button6);
}

void TF_smtp::Button6Click() {
  if (!main_.MailConnected) Connect("发送邮件错误");
  if (!main_.MailConnected) return;
  DisableWhileBusy({Button6, Button2, Button1});
  mail::OutgoingMessage message;
  message.from_address = DBEdit5->Text();
  message.from_name = DBEdit4->Text();
  message.subject = main_.MailSubjectMarker;
  message.to = {Edit1->Text()};
  message.bcc = {""};
  message.cc = {Edit2->Text()};
  for (const std::string& name : ListBox1->Items())
    message.attachments.push_back(InSendFolder(name));
  message.body_lines = Memo1->Lines();
  if (message.body_lines.empty()) message.body_lines = {"内容为空"};
  try {
    Status("正在发送邮件");
    NMSMTP1.SendMail(message);
    Status("邮件发送完成");
  } catch (const mail::MailError& error) {
    // The failure stays in the status line: "服务器已断开" is what a good send ends on.
    Button2Click();
    Status(FailureText("邮件发送错误", error));
    return;
  }
  Button2Click();
}

void TF_smtp::Button4Click() {
  OpenDialog1.file_name.clear();
  if (!prompts_.Execute(OpenDialog1)) return;
  const std::filesystem::path chosen(OpenDialog1.file_name);
  Attach(chosen);
  // A table's memos travel with it, as for the registered tables.
  const std::string memo = MemoFileName(chosen.filename().string());
  if (memo.empty()) return;
  const std::filesystem::path beside = main_.Database1.ResolveFileName((chosen.parent_path() / memo).string());
  if (std::filesystem::exists(beside)) Attach(beside);
}

void TF_smtp::Attach(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  CopyAttachment(file, InSendFolder(name));
  // One copy per name: a second entry would attach it twice and lose its file on the first "删除".
  const std::vector<std::string> listed = ListBox1->Items();
  if (std::find(listed.begin(), listed.end(), name) == listed.end()) ListBox1->Add(name);
}

void TF_smtp::Button5Click() {
  const int index = ListBox1->ItemIndex();
  if (index < 0) return;
  std::error_code ignored;  // a copy already gone is no fault
  std::filesystem::remove(InSendFolder(ListBox1->Item(index)), ignored);
  ListBox1->Delete(index);
}

void TF_smtp::FormClose() {
  Button2Click();
  Settings.SaveAndClose();
  for (const std::string& name : ListBox1->Items()) {
    std::error_code ignored;  // a copy already gone is no fault
    std::filesystem::remove(InSendFolder(name), ignored);
  }
}

}  // namespace veltra::exchange
