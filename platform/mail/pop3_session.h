#pragma once
// A POP3 client driven step by step, as the receiving window does:
// connect (USER, PASS, STAT), look at one message's size and subject
// (LIST n, TOP n 0), retrieve it (RETR n), delete it (DELE n), disconnect
// (QUIT). Deletion is its own step so that the caller deletes a message
// only once it has kept it. A message is known across sessions by its
// unique id (UIDL), since only QUIT makes deletions take effect.
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/mail/line_connection.h"
#include "platform/mail/mime_message.h"

namespace veltra::mail {

class Pop3Session {
 public:
  // `timeout` is the deadline of each reply of the server.
  explicit Pop3Session(std::chrono::milliseconds timeout = std::chrono::seconds(20)) : connection_(timeout) {}
  void SetTimeout(std::chrono::milliseconds timeout) { connection_.SetTimeout(timeout); }

  struct Summary {
    std::string subject;  // the text after "Subject:", decoded, leading blank kept
    double bytes = 0;
  };

  // Throws MailError when the server cannot be reached or refuses the login.
  void Connect(const std::string& host, int port, const std::string& user, const std::string& password);
  // Messages in the mailbox when the session connected.
  int MessageCount() const { return count_; }
  // The mailbox connected to, as "user@host:port": unique ids are its own.
  const std::string& Mailbox() const { return mailbox_; }
  Summary GetSummary(int number);
  // What stays the message's own in this mailbox from session to session:
  // the server's unique id or, from a server that keeps none, a digest of
  // the message's text, which is then retrieved for it (once).
  std::string UniqueId(int number);
  // Retrieves the message and saves its attachments into `attach_folder`.
  ReceivedMessage GetMailMessage(int number, const std::filesystem::path& attach_folder);
  void DeleteMessage(int number);
  // Says goodbye when it can (the server then removes deleted messages); never throws.
  void Disconnect();
  bool Connected() const { return connection_.IsOpen(); }

 private:
  std::string Ask(const std::string& command);
  std::string Expect(const std::string& command, const std::string& step);
  // The lines of a multi-line answer, dots unstuffed, up to the lone ".".
  std::vector<std::string> ReadBlock();
  const std::string& Retrieve(int number);
  // What the last session left, gone before the next one.
  void Forget();

  LineConnection connection_;
  int count_ = 0;
  std::string mailbox_;
  std::map<int, std::string> unique_ids_;  // by number; empty from a server without UIDL
  struct Retrieved {
    int number = 0;
    std::string text;
  } retrieved_;
};

}  // namespace veltra::mail
