#include "platform/mail/line_connection.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>

#include "platform/mail/mail_error.h"

namespace veltra::mail {
namespace {

constexpr std::size_t kLongestLine = 1 << 20;  // a runaway server cannot fill memory
// The slowest line a large message may still come or go over.
constexpr std::size_t kSlowestBytesPerSecond = 8 * 1024;

}  // namespace

LineConnection::Clock::duration LineConnection::TransferTime(std::size_t bytes) {
  return std::chrono::microseconds(static_cast<std::int64_t>(bytes) * 1'000'000 / kSlowestBytesPerSecond);
}

void LineConnection::Open(const std::string& host, int port) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr)
    throw MailError("找不到服务器 " + host);
  std::string failure = "无法连接服务器 " + host + ":" + std::to_string(port);
  for (addrinfo* address = found; address != nullptr && socket_ < 0; address = address->ai_next) {
    const int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) continue;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    socket_ = fd;
    try {
      if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) throw MailError(failure);
        WaitFor(POLLOUT, Deadline());
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) throw MailError(failure + ":" + std::strerror(error));
      }
    } catch (const MailError& e) {
      failure = e.what();
      Close();
    }
  }
  freeaddrinfo(found);
  if (socket_ < 0) throw MailError(failure);
}

void LineConnection::Close() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  timed_out_ = false;
  buffer_.clear();
}

void LineConnection::WaitFor(short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd fd{socket_, events, 0};
    const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
    if (ready > 0) return;
    if (ready == 0) {
      timed_out_ = true;
      const auto seconds = std::chrono::ceil<std::chrono::seconds>(timeout_).count();
      throw MailTimeout("服务器超过 " + std::to_string(seconds) + " 秒没有完成应答");
    }
    if (errno != EINTR) throw MailError(std::string("网络错误:") + std::strerror(errno));
  }
}

void LineConnection::Send(std::string_view bytes, Clock::time_point deadline) {
  if (socket_ < 0) throw MailError("未连接服务器");
  while (!bytes.empty()) {
    WaitFor(POLLOUT, deadline);
    const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      throw MailError(std::string("发送中断:") + std::strerror(errno));
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

std::string LineConnection::ReadLineBy(Clock::time_point& deadline, bool bytes_earn_time) {
  if (socket_ < 0) throw MailError("未连接服务器");
  for (;;) {
    const std::size_t end = buffer_.find("\r\n");
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 2);
      return line;
    }
    if (buffer_.size() > kLongestLine) throw MailError("服务器发来的一行过长");
    WaitFor(POLLIN, deadline);
    char chunk[8192];
    const ssize_t received = ::recv(socket_, chunk, sizeof chunk, 0);
    if (received == 0) throw MailError("服务器断开了连接");
    if (received < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      throw MailError(std::string("接收中断:") + std::strerror(errno));
    }
    buffer_.append(chunk, static_cast<std::size_t>(received));
    if (bytes_earn_time) deadline += TransferTime(static_cast<std::size_t>(received));
  }
}

}  // namespace veltra::mail
