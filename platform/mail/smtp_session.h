#pragma once
// An SMTP client driven step by step, as the sending window does: connect
// (greeting, EHLO or else HELO), send one message (MAIL FROM, one RCPT per
// recipient, DATA), disconnect (QUIT). Progress is reported through events.
#include <chrono>
#include <functional>
#include <string>

#include "platform/mail/line_connection.h"
#include "platform/mail/mime_message.h"

namespace veltra::mail {

class SmtpSession {
 public:
  // `timeout` is the deadline of each reply of the server.
  explicit SmtpSession(std::chrono::milliseconds timeout = std::chrono::seconds(30)) : connection_(timeout) {}
  void SetTimeout(std::chrono::milliseconds timeout) { connection_.SetTimeout(timeout); }

  std::function<void(const std::string&)> OnStatus;
  std::function<void()> OnSendStart;
  std::function<void(std::size_t sent, std::size_t total)> OnPacketSent;
  std::function<void(const std::string& file)> OnEncodeStart;
  std::function<void(const std::string& file)> OnEncodeEnd;
  // A recipient the server refused; the others still get the message.
  std::function<void(const std::string& recipient)> OnRecipientNotFound;

  // Throws MailError when the server cannot be reached or refuses us.
  void Connect(const std::string& host, int port, const std::string& user_id);
  // Throws MailError when the server refuses the sender, every recipient,
  // or the message, or the connection fails on the way.
  void SendMail(const OutgoingMessage& message);
  // Says goodbye when it can; never throws.
  void Disconnect();
  bool Connected() const { return connection_.IsOpen(); }

 private:
  struct Reply {
    int code = 0;
    std::string text;
  };
  Reply ReadReply();
  Reply Command(const std::string& line);
  Reply Expect(const std::string& line, int first_digit, const std::string& step);
  void Status(const std::string& text);

  LineConnection connection_;
};

// DATA's text: every line beginning with a dot gets a second one, and the
// terminating "." line follows.
std::string DotStuffed(const std::string& message);

}  // namespace veltra::mail
