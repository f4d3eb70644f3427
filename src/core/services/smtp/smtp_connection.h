// The mail client's TCP connection: connect, send and read one reply, each
// bounded by a time-out so an unreachable or silent server cannot hold the
// caller for ever.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnwick::smtp {

class SmtpConnection {
 public:
  SmtpConnection() = default;
  SmtpConnection(const SmtpConnection&) = delete;
  SmtpConnection& operator=(const SmtpConnection&) = delete;
  ~SmtpConnection() { Close(); }

  // A name that starts with a letter is looked up (IPv4 and IPv6); anything
  // else must be a numeric address. Port 0 takes the "mail" service's port,
  // or 25. Tries the addresses in the order they come until one connects.
  bool Connect(const std::string& server, std::uint16_t port, int timeoutMs);
  // Every byte, or false on a socket error or when the peer stops taking
  // them within the time-out.
  bool SendAll(const char* data, std::size_t size, int timeoutMs);

  enum class Received { Reply, Error, Closed };
  // Reads until the buffer holds a whole reply (its last line has a blank
  // or nothing after the code) or is full; NUL-terminates it.
  Received ReceiveReply(char* buffer, std::size_t capacity, int timeoutMs);

  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace tarnwick::smtp
