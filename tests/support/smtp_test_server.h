// The real SMTP server the mail tests talk to: tests/support/smtp_test_server.py
// (Debian's aiosmtpd under /usr/bin/python3) on 127.0.0.1, writing every mail
// it takes into a temporary folder. It stops when this object goes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace tarnwick::test {

class SmtpTestServer {
 public:
  static constexpr const char* kLogin = "sender@example.org";
  static constexpr const char* kPassword = "s3cret-Pass";

  // Plain: AUTH LOGIN without TLS, no STARTTLS. StartTls: STARTTLS offered
  // and required before AUTH and MAIL. ImplicitTls: TLS from the first byte.
  // The TLS servers use a certificate for 127.0.0.1 made on start (CaFile()).
  // NoAuth offers no AUTH and takes mail from anyone.
  enum class Mode { Plain, StartTls, ImplicitTls, NoAuth };

  explicit SmtpTestServer(Mode mode = Mode::Plain);
  ~SmtpTestServer();
  SmtpTestServer(const SmtpTestServer&) = delete;
  SmtpTestServer& operator=(const SmtpTestServer&) = delete;

  // 0 when the server did not start.
  std::uint16_t port() const { return port_; }
  // The n-th mail taken (from 1), as the DATA bytes arrived; empty when none.
  std::string Mail(int n = 1) const;
  // Its envelope: "from ADDR\nto ADDR\n...".
  std::string Envelope(int n = 1) const;
  bool MailArrived(int n = 1) const;
  // What a mail program shows of it: "Subject: ...\nFrom: ...\nDefects: N\n\n"
  // and the decoded body.
  std::string Shown(int n = 1) const;
  // One line per AUTH attempt: "LOGIN tls=True" or "LOGIN tls=False".
  std::string AuthAttempts() const;
  // The certificate to trust (TLS modes).
  std::string CaFile() const;

 private:
  TempDir dir_;
  FILE* server_ = nullptr;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 nobody listens on (bound once, then closed).
std::uint16_t UnusedLocalPort();

}  // namespace tarnwick::test
