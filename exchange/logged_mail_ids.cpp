#include "exchange/logged_mail_ids.h"

#include "platform/formats/file_io.h"
#include "platform/mail/mime_message.h"

namespace veltra::exchange {

LoggedMailIds::LoggedMailIds(std::filesystem::path file, std::string mailbox)
    : file_(std::move(file)), mailbox_(mail::OneLine(mailbox)) {
  std::error_code error;
  if (!std::filesystem::exists(file_, error)) return;
  const std::string text = formats::ReadWholeFile(file_);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    // Ids are printable ASCII without blanks, so the first blank ends one.
    const std::size_t blank = line.find(' ');
    if (blank == 0 || blank == std::string::npos) continue;
    std::string id = line.substr(0, blank);
    std::string owner = line.substr(blank + 1);
    if (owner == mailbox_) {
      ids_.insert(std::move(id));
    } else {
      other_mailboxes_.emplace_back(std::move(id), std::move(owner));
    }
  }
}

bool LoggedMailIds::Logged(const std::string& id) {
  met_.insert(id);
  return ids_.contains(id);
}

void LoggedMailIds::Add(const std::string& id) {
  met_.insert(id);
  if (ids_.insert(id).second) Save();
}

void LoggedMailIds::ForgetUnmet() {
  const std::size_t before = ids_.size();
  std::erase_if(ids_, [&](const std::string& id) { return !met_.contains(id); });
  if (ids_.size() != before) Save();
}

void LoggedMailIds::Save() const {
  std::string text;
  for (const auto& [id, owner] : other_mailboxes_) text += id + " " + owner + "\n";
  for (const std::string& id : ids_) text += id + " " + mailbox_ + "\n";
  formats::WriteFileAtomically(file_, text);
}

}  // namespace veltra::exchange
