#include "support/smtp_test_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

namespace tarnwick::test {

SmtpTestServer::SmtpTestServer(Mode mode) {
  const char* modeWord = mode == Mode::StartTls      ? "starttls"
                         : mode == Mode::ImplicitTls ? "implicit"
                         : mode == Mode::NoAuth      ? "noauth"
                                                     : "plain";
  const std::string cmd = std::string("/usr/bin/python3 ") + TARNWICK_SOURCE_DIR +
                          "/tests/support/smtp_test_server.py '" + dir_.path().string() + "' " +
                          kLogin + " " + kPassword + " " + modeWord + " > '" + dir_.file("port") +
                          "' 2> '" + dir_.file("server.log") + "'";
  server_ = ::popen(cmd.c_str(), "w");
  if (server_ == nullptr) return;
  for (int i = 0; i < 400 && port_ == 0; ++i) {
    ::usleep(25000);
    const std::string text = dir_.Read("port");
    if (!text.empty() && text.back() == '\n') port_ = static_cast<std::uint16_t>(std::stoi(text));
  }
}

SmtpTestServer::~SmtpTestServer() {
  // Its standard input closes: the server ends.
  if (server_ != nullptr) ::pclose(server_);
}

std::string SmtpTestServer::Mail(int n) const {
  return dir_.Read("mail-" + std::to_string(n) + ".eml");
}

std::string SmtpTestServer::Envelope(int n) const {
  return dir_.Read("mail-" + std::to_string(n) + ".env");
}

std::string SmtpTestServer::Shown(int n) const {
  return dir_.Read("mail-" + std::to_string(n) + ".txt");
}

std::string SmtpTestServer::AuthAttempts() const { return dir_.Read("auth.log"); }

std::string SmtpTestServer::CaFile() const { return dir_.file("ca.pem"); }

bool SmtpTestServer::MailArrived(int n) const {
  return std::filesystem::exists(dir_.file("mail-" + std::to_string(n) + ".eml"));
}

std::uint16_t UnusedLocalPort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(probe);
    return 0;
  }
  socklen_t len = sizeof a;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(probe);
  return ntohs(a.sin_port);
}

}  // namespace tarnwick::test
