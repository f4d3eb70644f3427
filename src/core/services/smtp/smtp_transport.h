// The SMTP dialogue of one mail, on libcurl: connect (implicit TLS or
// STARTTLS as configured), EHLO, AUTH LOGIN, MAIL FROM, RCPT TO for each
// recipient, DATA with the composed message, QUIT. What goes wrong comes back
// as the client's error id of the step where it went wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/services/services_config.h"

namespace tarnwick::smtp {

struct TransportSettings {
  std::string server;  // host name or numeric address
  std::uint16_t port = 25;
  MailTls tls = MailTls::Auto;
  std::string caFile;
  std::string login;
  std::string password;
  int timeoutMs = 20000;  // bounds the connect and each reply
};

struct TransportResult {
  bool sent = false;  // the server took the mail and the QUIT
  int error = 0;      // why not; or 305 when some recipients were refused
};

// `message` is the header, an empty line and the body, with CR LF line ends;
// the transport stuffs the dots and adds the final ".".
TransportResult SendOverSmtp(const TransportSettings& settings, const std::string& from,
                             const std::vector<std::string>& to, const std::string& message);

}  // namespace tarnwick::smtp
