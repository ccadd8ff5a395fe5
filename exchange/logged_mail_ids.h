#pragma once
// The unique ids of the mails that the receiving window has logged, kept
// until their mailbox no longer holds them. A POP3 server deletes mails
// only when the session ends well, so a receive that breaks off leaves the
// logged mails on the server; their ids keep the next receive from logging
// them a second time. Kept in a text file of the working folder, one
// "id mailbox" a line, replaced as a whole on every change.
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace veltra::exchange {

// The file beside the log that holds them.
inline constexpr const char* kLoggedMailIdsFile = "mailbox.uid";

class LoggedMailIds {
 public:
  // The ids logged from `mailbox` (user, server and port) as `file` holds them.
  LoggedMailIds(std::filesystem::path file, std::string mailbox);

  // Whether the mail `id`, which the mailbox still holds, was logged before.
  bool Logged(const std::string& id);
  // A mail just logged; on the disk before this returns.
  void Add(const std::string& id);
  // After a receive that went through the whole mailbox: an id it did not
  // meet belongs to a mail the server has deleted, and cannot come again.
  void ForgetUnmet();

 private:
  void Save() const;

  std::filesystem::path file_;
  std::string mailbox_;
  std::vector<std::pair<std::string, std::string>> other_mailboxes_;  // id and mailbox, kept as read
  std::set<std::string> ids_;
  std::set<std::string> met_;
};

}  // namespace veltra::exchange
