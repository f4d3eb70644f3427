// A small SMTP client: one object per mail. It logs in with AUTH LOGIN over
// plain TCP, composes the header itself and sends the body as it is given.
// Every command and every piece of the mail is composed in one fixed send
// buffer; a body longer than the buffer goes out in pieces that fit.
//
// Everything runs on the caller's thread and blocks it (each connect, send
// and reply is bounded by the time-out), so a window runs Send() beside its
// GUI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/services/smtp/smtp_connection.h"
#include "core/services/smtp/smtp_errors.h"

namespace tarnwick::smtp {

struct Recipient {
  std::string name;  // may be empty
  std::string mail;
};

class SmtpClient {
 public:
  static constexpr std::size_t kBufferSize = 10240;
  static constexpr int kDefaultTimeoutMs = 20000;

  SmtpClient();
  SmtpClient(const SmtpClient&) = delete;
  SmtpClient& operator=(const SmtpClient&) = delete;
  ~SmtpClient() = default;

  void SetSmtpServer(const std::string& name, std::uint16_t port);
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
  // Bounds each connect, send and reply.
  void SetTimeout(int ms) { timeoutMs_ = ms; }

  // The whole dialogue; true only when the server took the mail and the QUIT.
  bool Send();
  int GetError() const { return error_; }
  static const char* GetErrorText(int id) { return smtp::GetErrorText(id); }

  // The header as Send() composes it (the date is the current UTC time);
  // false with the error set when it cannot be composed.
  bool FormatHeader(std::string& out);
  // "ddd, dd MMM yyyy HH:mm:ss" in US English of a UTC time.
  static std::string DateText(std::int64_t unixSeconds);

 private:
  // Steps of the dialogue; false ends Send() with error_ set.
  bool SendText(const std::string& text);
  bool Expect(int code, int errorWhenNot);
  bool ReceiveCode(int& code);
  bool SendBody();

  int error_ = kNoError;
  std::string localHostName_;
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
  int priority_ = 3;
  std::unique_ptr<char[]> sendBuffer_;
  std::unique_ptr<char[]> receiveBuffer_;
  SmtpConnection socket_;
  std::vector<Recipient> toRecipients_;
  int timeoutMs_ = kDefaultTimeoutMs;
};

// The reply code: the first three characters taken as decimal digits.
int ReplyCode(const char* reply);

}  // namespace tarnwick::smtp
