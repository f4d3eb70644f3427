#include "core/services/smtp/smtp_client.h"

#include <ctime>

#include "core/services/smtp/smtp_message.h"
#include "core/services/smtp/smtp_transport.h"

namespace tarnwick::smtp {
namespace {

bool Unset(const std::optional<std::string>& value) { return !value || value->empty(); }

bool Breaks(const std::optional<std::string>& value) {
  return value && HasControlCharacter(*value);
}

}  // namespace

void SmtpClient::SetSmtpServer(const std::string& name, std::uint16_t port) {
  serverName_ = name;
  serverPort_ = port;
}

bool SmtpClient::AddRecipient(const char* mail, const char* name) {
  if (mail == nullptr) {
    error_ = kUndefRecipientMail;
    return false;
  }
  toRecipients_.push_back(Recipient{name != nullptr ? name : "", mail});
  return true;
}

std::string SmtpClient::DateText(std::int64_t unixSeconds) { return MailDate(unixSeconds); }

bool SmtpClient::FormatHeader(std::string& out) {
  return ComposeHeader(EncodeBody(messageBody_.value_or("")).contentTransferEncoding, out);
}

bool SmtpClient::ComposeHeader(const std::string& transferEncoding, std::string& out) {
  out.clear();
  if (toRecipients_.empty()) {
    error_ = kUndefRecipients;
    return false;
  }
  out += "Date: " + DateText(static_cast<std::int64_t>(std::time(nullptr))) + "\r\n";
  if (!senderMail_) {
    error_ = kUndefMailFrom;
    return false;
  }
  out += "From: " + HeaderText(senderName_.value_or("")) + " <" + *senderMail_ + ">\r\n";
  if (xMailer_) out += "X-Mailer: " + HeaderText(*xMailer_) + "\r\n";
  if (replyTo_) out += "Reply-To: " + *replyTo_ + "\r\n";
  out += priority_ == 2   ? "X-Priority: 2 (High)\r\n"
         : priority_ == 4 ? "X-Priority: 4 (Low)\r\n"
                          : "X-Priority: 3 (Normal)\r\n";
  out += "To: ";
  for (std::size_t i = 0; i < toRecipients_.size(); ++i) {
    if (i > 0) out += ",";
    out += HeaderText(toRecipients_[i].name) + "<" + toRecipients_[i].mail + ">";
  }
  out += "\r\n";
  if (subject_) {
    out += "Subject: " + HeaderText(*subject_) + "\r\n";
  } else {
    error_ = kUndefSubject;  // the mail still goes out
    out += "Subject:  \r\n";
  }
  out += "MIME-Version: 1.0\r\n";
  out += "Content-type: text/plain; charset=UTF-8\r\n";
  out += "Content-Transfer-Encoding: " + transferEncoding + "\r\n";
  out += "\r\n";
  return true;
}

int SmtpClient::CheckBeforeConnecting() const {
  if (Unset(login_)) return kUndefLogin;
  if (Unset(password_)) return kUndefPassword;
  if (Unset(senderMail_)) return kUndefMailFrom;
  if (toRecipients_.empty()) return kUndefRecipients;
  // The password travels Base64-encoded; everything else goes into a header
  // line or a command as it is.
  bool breaks = Breaks(serverName_) || Breaks(login_) || Breaks(senderMail_) ||
                Breaks(senderName_) || Breaks(replyTo_) || Breaks(xMailer_) || Breaks(subject_);
  for (const Recipient& r : toRecipients_) {
    if (r.mail.empty()) return kUndefRecipientMail;
    breaks = breaks || HasControlCharacter(r.mail) || HasControlCharacter(r.name);
  }
  return breaks ? kControlCharacter : kNoError;
}

bool SmtpClient::Send() {
  if (Unset(serverName_)) {
    error_ = kWsaInvalidSocket;
    return false;
  }
  if (const int why = CheckBeforeConnecting(); why != kNoError) {
    error_ = why;
    return false;
  }
  MailBody body = EncodeBody(messageBody_.value_or(""));
  std::string message;
  if (!ComposeHeader(body.contentTransferEncoding, message)) {
    error_ = kUndefMsgHeader;
    return false;
  }
  message += body.text;
  body.text.clear();
  std::vector<std::string> to;
  for (const Recipient& r : toRecipients_) to.push_back(r.mail);
  const TransportSettings settings{*serverName_, serverPort_, tls_,      caFile_,
                                   *login_,      *password_,  timeoutMs_};
  const TransportResult result = SendOverSmtp(settings, *senderMail_, to, message);
  if (result.error != kNoError) error_ = result.error;
  return result.sent;
}

}  // namespace tarnwick::smtp
