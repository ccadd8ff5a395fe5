#pragma once
// A POP3 client driven step by step, as the receiving window does:
// connect (USER, PASS, STAT), look at one message's size and subject
// (LIST n, TOP n 0), retrieve it (RETR n), delete it (DELE n), disconnect
// (QUIT). Deletion is its own step so that the caller deletes a message
// only once it has kept it.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/mail/line_connection.h"
#include "platform/mail/mime_message.h"

namespace veltra::mail {

class Pop3Session {
 public:
  explicit Pop3Session(std::chrono::milliseconds timeout = std::chrono::seconds(20)) : connection_(timeout) {}

  struct Summary {
    std::string subject;  // the text after "Subject:", decoded, leading blank kept
    double bytes = 0;
  };

  // Throws MailError when the server cannot be reached or refuses the login.
  void Connect(const std::string& host, int port, const std::string& user, const std::string& password);
  // Messages in the mailbox when the session connected.
  int MessageCount() const { return count_; }
  Summary GetSummary(int number);
  // Retrieves the message and saves its attachments into `attach_folder`.
  ReceivedMessage GetMailMessage(int number, const std::filesystem::path& attach_folder);
  void DeleteMessage(int number);
  // Says goodbye when it can (the server then removes deleted messages); never throws.
  void Disconnect();
  bool Connected() const { return connection_.IsOpen(); }

 private:
  std::string Expect(const std::string& command, const std::string& step);
  // The lines of a multi-line answer, dots unstuffed, up to the lone ".".
  std::vector<std::string> ReadBlock();

  LineConnection connection_;
  int count_ = 0;
};

}  // namespace veltra::mail
