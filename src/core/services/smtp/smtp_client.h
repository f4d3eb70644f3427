// A small SMTP client: one object per mail. It checks and composes the mail
// (header values that cannot break their lines, UTF-8 as encoded words and a
// body transfer encoding, CR LF line ends) and hands it to the transport,
// which logs in with AUTH LOGIN over TLS where it can (see MailTls).
//
// Everything runs on the caller's thread and blocks it (the connect and each
// reply are bounded by the time-out), so a window runs Send() beside its GUI
// thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/services/services_config.h"
#include "core/services/smtp/smtp_errors.h"

namespace tarnwick::smtp {

struct Recipient {
  std::string name;  // may be empty
  std::string mail;
};

class SmtpClient {
 public:
  static constexpr int kDefaultTimeoutMs = 20000;

  SmtpClient() = default;
  SmtpClient(const SmtpClient&) = delete;
  SmtpClient& operator=(const SmtpClient&) = delete;

  void SetSmtpServer(const std::string& name, std::uint16_t port);
  void SetTls(MailTls tls) { tls_ = tls; }
  // Certificates (PEM) of a private certificate authority; empty: the system's.
  void SetCaFile(const std::string& path) { caFile_ = path; }
  void SetLogin(const std::string& text) { login_ = text; }
  void SetPassword(const std::string& text) { password_ = text; }
  void SetSenderMail(const std::string& text) { senderMail_ = text; }
  void SetSenderName(const std::string& text) { senderName_ = text; }
  void SetReplyTo(const std::string& text) { replyTo_ = text; }
  void SetXMailer(const std::string& text) { xMailer_ = text; }
  void SetSubject(const std::string& text) { subject_ = text; }
  void SetMessageBody(const std::string& text) { messageBody_ = text; }
  // 2 high, 4 low, anything else normal.
  void SetPriority(int priority) { priority_ = priority; }
  // A null mail is error 206 and adds nothing.
  bool AddRecipient(const char* mail, const char* name = nullptr);
  // Bounds the connect and each reply.
  void SetTimeout(int ms) { timeoutMs_ = ms; }

  // The whole dialogue; true only when the server took the mail and the
  // QUIT. An unset (or empty) login, password, sender or recipient list, or
  // a control character in a header value or address, fails before
  // anything is connected.
  bool Send();
  int GetError() const { return error_; }
  static const char* GetErrorText(int id) { return smtp::GetErrorText(id); }

  // The header as Send() composes it (the date is the current UTC time),
  // ending in the empty line; false with the error set when it cannot be
  // composed.
  bool FormatHeader(std::string& out);
  // "ddd, dd MMM yyyy HH:mm:ss +0000" in US English of a UTC time.
  static std::string DateText(std::int64_t unixSeconds);

 private:
  // The first reason the mail cannot be sent as set up; 0 when it can.
  int CheckBeforeConnecting() const;
  bool ComposeHeader(const std::string& transferEncoding, std::string& out);

  int error_ = kNoError;
  std::optional<std::string> senderMail_;
  std::optional<std::string> senderName_;
  std::optional<std::string> subject_;
  std::optional<std::string> messageBody_;
  std::optional<std::string> xMailer_;
  std::optional<std::string> replyTo_;
  std::optional<std::string> login_;
  std::optional<std::string> password_;
  std::optional<std::string> serverName_;
  std::uint16_t serverPort_ = 0;
  MailTls tls_ = MailTls::Auto;
  std::string caFile_;
  int priority_ = 3;
  std::vector<Recipient> toRecipients_;
  int timeoutMs_ = kDefaultTimeoutMs;
};

}  // namespace tarnwick::smtp
