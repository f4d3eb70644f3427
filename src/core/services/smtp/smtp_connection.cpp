#include "core/services/smtp/smtp_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tarnwick::smtp {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on fd until the deadline; false on time-out or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, MsLeft(deadline));
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

std::uint16_t PortFor(std::uint16_t configured) {
  if (configured != 0) return configured;
  servent result{};
  servent* found = nullptr;
  char work[1024];
  if (::getservbyname_r("mail", "tcp", &result, work, sizeof work, &found) == 0 &&
      found != nullptr) {
    return ntohs(static_cast<std::uint16_t>(found->s_port));
  }
  return 25;
}

bool ConnectOne(int fd, const addrinfo& a, Clock::time_point deadline) {
  if (::connect(fd, a.ai_addr, a.ai_addrlen) == 0) return true;
  if (errno != EINPROGRESS) return false;
  if (!WaitFor(fd, POLLOUT, deadline)) return false;
  int error = 0;
  socklen_t len = sizeof error;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
}

// The last complete line of `text` is the reply's last when the code is
// followed by a blank or by the line end ("250 OK", "354").
bool HoldsWholeReply(const char* text, std::size_t size) {
  if (size < 2 || text[size - 1] != '\n') return false;
  std::size_t start = size - 1;
  while (start > 0 && text[start - 1] != '\n') --start;
  const std::size_t lineLength = size - start;
  if (lineLength < 4) return true;  // not a reply line at all: take it as it is
  const char after = text[start + 3];
  return after != '-';
}

}  // namespace

bool SmtpConnection::Connect(const std::string& server, std::uint16_t port, int timeoutMs) {
  Close();
  if (server.empty()) return false;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  if (std::isalpha(static_cast<unsigned char>(server[0])) == 0) hints.ai_flags = AI_NUMERICHOST;
  const std::string service = std::to_string(PortFor(port));
  addrinfo* list = nullptr;
  if (::getaddrinfo(server.c_str(), service.c_str(), &hints, &list) != 0) return false;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    const int fd =
        ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (ConnectOne(fd, *a, deadline)) {
      fd_ = fd;
      break;
    }
    ::close(fd);
    if (MsLeft(deadline) == 0) break;
  }
  ::freeaddrinfo(list);
  return fd_ >= 0;
}

bool SmtpConnection::SendAll(const char* data, std::size_t size, int timeoutMs) {
  if (fd_ < 0) return false;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (size > 0) {
    const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd_, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

SmtpConnection::Received SmtpConnection::ReceiveReply(char* buffer, std::size_t capacity,
                                                      int timeoutMs) {
  buffer[0] = '\0';
  if (fd_ < 0 || capacity < 2) return Received::Error;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t size = 0;
  while (size + 1 < capacity) {
    if (!WaitFor(fd_, POLLIN, deadline)) return Received::Error;
    const ssize_t n = ::recv(fd_, buffer + size, capacity - 1 - size, 0);
    if (n == 0) {
      buffer[size] = '\0';
      return size > 0 ? Received::Reply : Received::Closed;
    }
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return Received::Error;
    }
    size += static_cast<std::size_t>(n);
    buffer[size] = '\0';
    if (HoldsWholeReply(buffer, size)) return Received::Reply;
  }
  return Received::Reply;
}

void SmtpConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace tarnwick::smtp
