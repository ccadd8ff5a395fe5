#include "loopback_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace veltra::mail::testing {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The message with dots stuffed and the terminating line, as POP3 sends it.
std::string Stuffed(const std::string& message) {
  std::string out;
  bool line_start = true;
  for (char c : message) {
    if (line_start && c == '.') out += '.';
    out += c;
    line_start = c == '\n';
  }
  return out + ".\r\n";
}

}  // namespace

ServerConnection::~ServerConnection() { ::close(fd_); }

bool ServerConnection::ReadLine(std::string& line) {
  for (;;) {
    const std::size_t end = buffer_.find("\r\n");
    if (end != std::string::npos) {
      line = buffer_.substr(0, end);
      buffer_.erase(0, end + 2);
      return true;
    }
    char chunk[4096];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

void ServerConnection::Send(const std::string& text) { (void)::send(fd_, text.data(), text.size(), MSG_NOSIGNAL); }

void ServerConnection::SendPaced(const std::string& text, std::size_t piece) {
  for (std::size_t at = 0; at < text.size(); at += piece) {
    if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (::send(fd_, text.data() + at, std::min(piece, text.size() - at), MSG_NOSIGNAL) < 0) return;
  }
}

LoopbackServer::LoopbackServer(std::function<void(ServerConnection&)> session) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0)
    throw std::runtime_error("loopback server cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, session = std::move(session)] {
    while (!stopping_) {
      pollfd fd{listener_, POLLIN, 0};
      if (::poll(&fd, 1, 50) <= 0) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      ServerConnection connection(client);
      session(connection);
    }
  });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  thread_.join();
  ::close(listener_);
}

FakeSmtpServer::FakeSmtpServer(SmtpFaults faults)
    : faults_(std::move(faults)), server_([this](ServerConnection& c) { Serve(c); }) {}

std::vector<FakeSmtpServer::Received> FakeSmtpServer::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<std::string> FakeSmtpServer::commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void FakeSmtpServer::Serve(ServerConnection& connection) {
  connection.SendPaced("220 loopback ESMTP\r\n", faults_.trickled_greeting ? 1 : 1024);
  Received current;
  std::string line;
  while (connection.ReadLine(line)) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(line);
    }
    const std::string verb = Lower(line.substr(0, 4));
    if (verb == "ehlo") {
      connection.Send(faults_.refuse_ehlo ? "502 not implemented\r\n" : "250-loopback\r\n250 8BITMIME\r\n");
      current.helo = line.substr(5);
    } else if (verb == "helo") {
      connection.Send("250 loopback\r\n");
      current.helo = line.substr(5);
    } else if (verb == "mail") {
      current.mail_from = line.substr(10);
      connection.Send("250 ok\r\n");
    } else if (verb == "rcpt") {
      const std::string recipient = line.substr(9, line.size() - 10);
      if (std::find(faults_.refused_recipients.begin(), faults_.refused_recipients.end(), recipient) !=
          faults_.refused_recipients.end()) {
        connection.Send("550 no such user\r\n");
      } else {
        current.recipients.push_back(recipient);
        connection.Send("250 ok\r\n");
      }
    } else if (verb == "data") {
      connection.Send("354 go ahead\r\n");
      std::string data;
      while (connection.ReadLine(line) && line != ".") {
        data += line + "\r\n";
        if (faults_.drop_during_data) return;
      }
      current.data = data;
      {
        std::lock_guard lock(mutex_);
        messages_.push_back(current);
      }
      current = {};
      connection.Send("250 queued\r\n");
    } else if (verb == "rset") {
      current = {};
      connection.Send("250 ok\r\n");
    } else if (verb == "quit") {
      connection.Send("221 bye\r\n");
      return;
    } else {
      connection.Send("500 unknown\r\n");
    }
  }
}

FakePop3Server::FakePop3Server(std::vector<std::string> messages, Pop3Faults faults)
    : faults_(std::move(faults)), messages_(std::move(messages)), server_([this](ServerConnection& c) { Serve(c); }) {
  for (std::size_t i = 0; i < messages_.size(); ++i) unique_ids_.push_back("uid-" + std::to_string(i + 1));
}

void FakePop3Server::set_faults(Pop3Faults faults) {
  std::lock_guard lock(mutex_);
  faults_ = std::move(faults);
}

std::vector<std::string> FakePop3Server::mailbox() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<std::string> FakePop3Server::commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void FakePop3Server::Serve(ServerConnection& connection) {
  if (faults_.silent) {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    return;
  }
  connection.Send("+OK loopback POP3\r\n");
  std::set<int> deleted;
  bool stalled = false;
  std::string line;
  while (connection.ReadLine(line)) {
    std::lock_guard lock(mutex_);
    commands_.push_back(line);
    if (stalled) continue;
    const std::string verb = Lower(line.substr(0, 4));
    const std::size_t space = line.find(' ');
    const int n = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
    const bool valid = n >= 1 && n <= static_cast<int>(messages_.size());
    if (verb == "user") {
      connection.Send("+OK\r\n");
    } else if (verb == "pass") {
      connection.Send(faults_.refuse_password ? "-ERR bad password\r\n" : "+OK\r\n");
    } else if (verb == "stat") {
      connection.Send("+OK " + std::to_string(messages_.size()) + " 0\r\n");
    } else if (verb == "list" && valid) {
      connection.Send("+OK " + std::to_string(n) + " " + std::to_string(messages_[n - 1].size()) + "\r\n");
    } else if (verb == "top " && valid) {
      const std::string& message = messages_[n - 1];
      connection.Send("+OK\r\n" + Stuffed(message.substr(0, message.find("\r\n\r\n") + 2)));
    } else if (verb == "uidl" && !faults_.no_uidl) {
      std::string list = "+OK\r\n";
      for (std::size_t i = 0; i < unique_ids_.size(); ++i) list += std::to_string(i + 1) + " " + unique_ids_[i] + "\r\n";
      connection.Send(list + ".\r\n");
    } else if (verb == "retr" && faults_.stalled_retrievals.count(n) != 0) {
      stalled = true;
    } else if (verb == "retr" && faults_.dropped_retrievals.count(n) != 0) {
      return;
    } else if (verb == "retr" && valid && faults_.paced_retrievals.count(n) != 0) {
      connection.SendPaced("+OK\r\n" + Stuffed(messages_[n - 1]), faults_.paced_retrievals.at(n));
    } else if (verb == "retr" && valid && faults_.refused_retrievals.count(n) == 0) {
      connection.Send("+OK\r\n" + Stuffed(messages_[n - 1]));
    } else if (verb == "dele" && valid) {
      deleted.insert(n);
      connection.Send("+OK\r\n");
    } else if (verb == "quit") {
      for (auto it = deleted.rbegin(); it != deleted.rend(); ++it) {
        messages_.erase(messages_.begin() + (*it - 1));
        unique_ids_.erase(unique_ids_.begin() + (*it - 1));
      }
      connection.Send("+OK bye\r\n");
      return;
    } else {
      connection.Send("-ERR\r\n");
    }
  }
}

}  // namespace veltra::mail::testing
