#include "platform/mail/pop3_session.h"

#include <glib.h>

#include <cstdlib>

#include "platform/mail/mail_error.h"
#include "platform/text/ascii.h"

namespace veltra::mail {
namespace {

bool Positive(const std::string& reply) { return reply.rfind("+OK", 0) == 0; }

// The raw text after "Subject:" in a header block, continuation lines joined.
std::string RawSubject(const std::vector<std::string>& headers) {
  for (std::size_t i = 0; i < headers.size(); ++i) {
    if (!text::EqualsIgnoreAsciiCase(std::string_view(headers[i]).substr(0, 8), "Subject:")) continue;
    std::string value = headers[i].substr(8);
    for (std::size_t j = i + 1; j < headers.size() && !headers[j].empty() && (headers[j][0] == ' ' || headers[j][0] == '\t'); ++j)
      value += headers[j];
    return value;
  }
  return {};
}

// Stands for a server's id where it keeps none: the same text is the same mail.
std::string Digest(const std::string& text) {
  gchar* hex = g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(text.data()), text.size());
  std::string digest = hex;
  g_free(hex);
  return digest;
}

}  // namespace

std::string Pop3Session::Ask(const std::string& command) {
  connection_.Send(command + "\r\n", connection_.Deadline());
  return connection_.ReadLine(connection_.Deadline());
}

std::string Pop3Session::Expect(const std::string& command, const std::string& step) {
  const std::string reply = Ask(command);
  if (!Positive(reply)) throw MailError(step + "被服务器拒绝:" + reply);
  return reply;
}

std::vector<std::string> Pop3Session::ReadBlock() {
  // A message's text earns time as it comes; a server that only trickles does not.
  auto deadline = connection_.Deadline();
  std::vector<std::string> lines;
  for (;;) {
    std::string line = connection_.ReadLongReplyLine(deadline);
    if (line == ".") return lines;
    if (!line.empty() && line[0] == '.') line.erase(0, 1);
    lines.push_back(std::move(line));
  }
}

void Pop3Session::Connect(const std::string& host, int port, const std::string& user, const std::string& password) {
  Forget();
  try {
    connection_.Open(host, port);
    const std::string greeting = connection_.ReadLine(connection_.Deadline());
    if (!Positive(greeting)) throw MailError("服务器拒绝连接:" + greeting);
    Expect("USER " + OneLine(user), "用户名");
    Expect("PASS " + OneLine(password), "密码");
    const std::string stat = Expect("STAT", "邮件统计");
    count_ = std::atoi(stat.c_str() + 3);
    mailbox_ = OneLine(user) + "@" + host + ":" + std::to_string(port);
    // "n id" per message; a server without UIDL refuses the command.
    if (Positive(Ask("UIDL"))) {
      for (const std::string& line : ReadBlock()) {
        const std::size_t id = line.find_first_not_of(' ', line.find(' '));
        if (id != std::string::npos) unique_ids_[std::atoi(line.c_str())] = line.substr(id, line.find(' ', id) - id);
      }
    }
  } catch (...) {
    connection_.Close();
    Forget();
    throw;
  }
}

Pop3Session::Summary Pop3Session::GetSummary(int number) {
  const std::string n = std::to_string(number);
  Summary summary;
  const std::string list = Expect("LIST " + n, "邮件大小");
  // "+OK <number> <octets>"
  const std::size_t octets = list.find(' ', list.find(' ') + 1);
  if (octets != std::string::npos) summary.bytes = std::atof(list.c_str() + octets + 1);
  Expect("TOP " + n + " 0", "邮件标题");
  const std::string raw = RawSubject(ReadBlock());
  const std::size_t text = raw.find_first_not_of(" \t");
  summary.subject = text == std::string::npos ? raw : raw.substr(0, text) + DecodeHeaderText(raw.substr(text));
  return summary;
}

const std::string& Pop3Session::Retrieve(int number) {
  if (retrieved_.number != number) {
    Expect("RETR " + std::to_string(number), "邮件接收");
    std::string text;
    for (const std::string& line : ReadBlock()) text += line + "\r\n";
    retrieved_ = {number, std::move(text)};
  }
  return retrieved_.text;
}

std::string Pop3Session::UniqueId(int number) {
  const auto found = unique_ids_.find(number);
  return found != unique_ids_.end() ? found->second : Digest(Retrieve(number));
}

ReceivedMessage Pop3Session::GetMailMessage(int number, const std::filesystem::path& attach_folder) {
  return ReadMimeMessage(Retrieve(number), attach_folder);
}

void Pop3Session::DeleteMessage(int number) { Expect("DELE " + std::to_string(number), "删除邮件"); }

void Pop3Session::Disconnect() {
  if (!connection_.IsOpen()) return;
  try {
    // QUIT still commits the deletions; a server that has stopped answering
    // is not waited for a second time.
    connection_.Send("QUIT\r\n", connection_.Deadline());
    if (!connection_.TimedOut()) connection_.ReadLine(connection_.Deadline());
  } catch (const MailError&) {
    // The server may have gone first; the connection closes all the same.
  }
  connection_.Close();
  Forget();
}

void Pop3Session::Forget() {
  count_ = 0;
  mailbox_.clear();
  unique_ids_.clear();
  retrieved_ = {};
}

}  // namespace veltra::mail
