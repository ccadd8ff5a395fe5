#pragma once
// SMTP and POP3 servers on 127.0.0.1 for the mail tests, each serving its
// connections one after another on a thread of its own, with the faults a
// test asks for.
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace veltra::mail::testing {

// One accepted connection, in lines.
class ServerConnection {
 public:
  explicit ServerConnection(int fd) : fd_(fd) {}
  ~ServerConnection();
  bool ReadLine(std::string& line);  // false when the peer has gone
  void Send(const std::string& text);
  // In pieces of `piece` bytes, 50 ms apart, as over a slow or dying line; stops when the peer goes.
  void SendPaced(const std::string& text, std::size_t piece);

 private:
  int fd_;
  std::string buffer_;
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::function<void(ServerConnection&)> session);
  ~LoopbackServer();
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

struct SmtpFaults {
  std::vector<std::string> refused_recipients;
  bool drop_during_data = false;
  bool refuse_ehlo = false;
  bool trickled_greeting = false;  // sent a byte at a time
};

// Accepts what clients send and keeps it.
class FakeSmtpServer {
 public:
  explicit FakeSmtpServer(SmtpFaults faults = {});
  int port() const { return server_.port(); }

  struct Received {
    std::string helo, mail_from;
    std::vector<std::string> recipients;
    std::string data;  // as sent, dots still stuffed
  };
  std::vector<Received> messages() const;
  std::vector<std::string> commands() const;

 private:
  void Serve(ServerConnection& connection);
  SmtpFaults faults_;
  mutable std::mutex mutex_;
  std::vector<Received> messages_;
  std::vector<std::string> commands_;
  LoopbackServer server_;
};

struct Pop3Faults {
  bool refuse_password = false;
  std::set<int> refused_retrievals;
  std::set<int> stalled_retrievals;  // RETR n gets no answer, nor does anything after it
  std::set<int> dropped_retrievals;  // RETR n closes the connection
  std::map<int, std::size_t> paced_retrievals;  // RETR n is answered in pieces of that size
  bool silent = false;  // never answers: the client's time limit must end it
  bool no_uidl = false;
};

// Serves a mailbox of whole messages, each with a unique id that lasts;
// deletions take effect at QUIT.
class FakePop3Server {
 public:
  FakePop3Server(std::vector<std::string> messages, Pop3Faults faults = {});
  int port() const { return server_.port(); }
  std::vector<std::string> mailbox() const;
  std::vector<std::string> commands() const;
  void set_faults(Pop3Faults faults);

 private:
  void Serve(ServerConnection& connection);
  Pop3Faults faults_;
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
  std::vector<std::string> unique_ids_;
  std::vector<std::string> commands_;
  LoopbackServer server_;
};

}  // namespace veltra::mail::testing
