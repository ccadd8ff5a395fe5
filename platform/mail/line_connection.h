#pragma once
// A TCP connection that speaks in CRLF-terminated lines, as SMTP and POP3
// do. Every reply of the server has a deadline as a whole, so that a
// server sending a byte now and then cannot hold the caller for longer.
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace veltra::mail {

class LineConnection {
 public:
  using Clock = std::chrono::steady_clock;

  explicit LineConnection(std::chrono::milliseconds timeout) : timeout_(timeout) {}
  ~LineConnection() { Close(); }
  LineConnection(const LineConnection&) = delete;
  LineConnection& operator=(const LineConnection&) = delete;

  void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  // When a reply starting now must be whole: one time-out from now, and
  // for a long transfer the time its `bytes` take on the slowest line
  // that still works.
  Clock::time_point Deadline(std::size_t bytes = 0) const { return Clock::now() + timeout_ + TransferTime(bytes); }

  // Throws MailError when the host cannot be resolved or reached in time.
  void Open(const std::string& host, int port);
  void Close();
  bool IsOpen() const { return socket_ >= 0; }
  // The peer let a deadline pass: what it says next, if anything, no
  // longer answers what was asked.
  bool TimedOut() const { return timed_out_; }

  // Sends every byte by `deadline` or throws MailError.
  void Send(std::string_view bytes, Clock::time_point deadline);
  // One line without its CR LF; throws MailError when `deadline` passes
  // first or the peer closes.
  std::string ReadLine(Clock::time_point deadline) { return ReadLineBy(deadline, false); }
  // The same for a line of a long reply (a message's text): every byte
  // that comes moves `deadline` on by the time it may take.
  std::string ReadLongReplyLine(Clock::time_point& deadline) { return ReadLineBy(deadline, true); }

 private:
  static Clock::duration TransferTime(std::size_t bytes);
  std::string ReadLineBy(Clock::time_point& deadline, bool bytes_earn_time);
  void WaitFor(short events, Clock::time_point deadline);

  std::chrono::milliseconds timeout_;
  int socket_ = -1;
  bool timed_out_ = false;
  std::string buffer_;
};

}  // namespace veltra::mail
