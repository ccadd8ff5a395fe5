#pragma once
// A TCP connection that speaks in CRLF-terminated lines, as SMTP and POP3
// do, with a time limit on connecting and on every read and write.
#include <chrono>
#include <string>
#include <string_view>

namespace veltra::mail {

class LineConnection {
 public:
  explicit LineConnection(std::chrono::milliseconds timeout) : timeout_(timeout) {}
  ~LineConnection() { Close(); }
  LineConnection(const LineConnection&) = delete;
  LineConnection& operator=(const LineConnection&) = delete;

  // Throws MailError when the host cannot be resolved or reached in time.
  void Open(const std::string& host, int port);
  void Close();
  bool IsOpen() const { return socket_ >= 0; }
  // The peer let a read or write run out of time: what it says next, if
  // anything, no longer answers what was asked.
  bool TimedOut() const { return timed_out_; }

  // Sends every byte or throws MailError.
  void Send(std::string_view bytes);
  // One line without its CR LF; throws MailError on timeout or a closed peer.
  std::string ReadLine();

 private:
  void WaitFor(short events);

  std::chrono::milliseconds timeout_;
  int socket_ = -1;
  bool timed_out_ = false;
  std::string buffer_;
};

}  // namespace veltra::mail
