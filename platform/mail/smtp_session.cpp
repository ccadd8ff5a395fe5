#include "platform/mail/smtp_session.h"

#include <algorithm>
#include <cstdlib>

#include "platform/mail/mail_error.h"

namespace veltra::mail {
namespace {

constexpr std::size_t kPacketSize = 4096;

std::string Brackets(const std::string& address) { return "<" + OneLine(address) + ">"; }

}  // namespace

std::string DotStuffed(const std::string& message) {
  std::string out;
  out.reserve(message.size() + 8);
  bool line_start = true;
  for (char c : message) {
    if (line_start && c == '.') out += '.';
    out += c;
    line_start = c == '\n';
  }
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  return out + ".\r\n";
}

void SmtpSession::Status(const std::string& text) {
  if (OnStatus) OnStatus(text);
}

SmtpSession::Reply SmtpSession::ReadReply() {
  // Multi-line replies continue while the fourth character is '-'; the
  // deadline covers them all.
  const auto deadline = connection_.Deadline();
  Reply reply;
  for (;;) {
    const std::string line = connection_.ReadLine(deadline);
    if (line.size() < 3) throw MailError("服务器的应答无法识别:" + line);
    reply.code = std::atoi(line.substr(0, 3).c_str());
    reply.text = line.size() > 4 ? line.substr(4) : "";
    if (line.size() < 4 || line[3] != '-') return reply;
  }
}

SmtpSession::Reply SmtpSession::Command(const std::string& line) {
  connection_.Send(line + "\r\n", connection_.Deadline());
  return ReadReply();
}

SmtpSession::Reply SmtpSession::Expect(const std::string& line, int first_digit, const std::string& step) {
  const Reply reply = Command(line);
  if (reply.code / 100 != first_digit)
    throw MailError(step + "被服务器拒绝:" + std::to_string(reply.code) + " " + reply.text);
  return reply;
}

void SmtpSession::Connect(const std::string& host, int port, const std::string& user_id) {
  try {
    Status("正在连接 " + host);
    connection_.Open(host, port);
    const Reply greeting = ReadReply();
    if (greeting.code != 220) throw MailError("服务器拒绝连接:" + std::to_string(greeting.code) + " " + greeting.text);
    const std::string name = OneLine(user_id);
    if (Command("EHLO " + name).code / 100 != 2) Expect("HELO " + name, 2, "问候");
    Status("已连接 " + host);
  } catch (...) {
    connection_.Close();
    throw;
  }
}

void SmtpSession::SendMail(const OutgoingMessage& message) {
  if (!connection_.IsOpen()) throw MailError("未连接服务器");
  if (OnSendStart) OnSendStart();
  const std::string text = DotStuffed(WriteMimeMessage(message, {OnEncodeStart, OnEncodeEnd}));
  Expect("MAIL FROM:" + Brackets(message.from_address), 2, "发件人");
  int accepted = 0;
  for (const auto* list : {&message.to, &message.cc, &message.bcc}) {
    for (const std::string& recipient : *list) {
      if (OneLine(recipient).empty()) continue;
      if (Command("RCPT TO:" + Brackets(recipient)).code / 100 == 2) {
        ++accepted;
      } else if (OnRecipientNotFound) {
        OnRecipientNotFound(recipient);
      }
    }
  }
  if (accepted == 0) {
    Command("RSET");
    throw MailError("没有可以接收邮件的收件人");
  }
  Expect("DATA", 3, "邮件正文");
  const auto deadline = connection_.Deadline(text.size());
  for (std::size_t sent = 0; sent < text.size(); sent += kPacketSize) {
    const std::size_t size = std::min(kPacketSize, text.size() - sent);
    connection_.Send(std::string_view(text).substr(sent, size), deadline);
    if (OnPacketSent) OnPacketSent(sent + size, text.size());
  }
  const Reply reply = ReadReply();
  if (reply.code / 100 != 2) throw MailError("邮件被服务器拒绝:" + std::to_string(reply.code) + " " + reply.text);
  Status("邮件已发送");
}

void SmtpSession::Disconnect() {
  if (!connection_.IsOpen()) return;
  try {
    // A server that has stopped answering is not waited for a second time.
    if (!connection_.TimedOut()) Command("QUIT");
  } catch (const MailError&) {
    // The server may have gone first; the connection closes all the same.
  }
  connection_.Close();
  Status("已断开");
}

}  // namespace veltra::mail
