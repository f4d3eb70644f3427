#include "core/services/smtp/smtp_client.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <ctime>

#include "core/services/smtp/base64.h"

namespace tarnwick::smtp {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A line of the body that starts with "." gets a second one, so that no
// line of the text can end the mail early (the server takes one away).
std::string DotStuffed(const std::string& body) {
  std::string out;
  out.reserve(body.size() + 16);
  bool lineStart = true;
  for (char c : body) {
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

}  // namespace

int ReplyCode(const char* reply) {
  if (std::strlen(reply) < 3) return 0;
  return (reply[0] - '0') * 100 + (reply[1] - '0') * 10 + (reply[2] - '0');
}

SmtpClient::SmtpClient()
    : sendBuffer_(new (std::nothrow) char[kBufferSize]),
      receiveBuffer_(new (std::nothrow) char[kBufferSize]) {
  if (!sendBuffer_ || !receiveBuffer_) {
    error_ = kLackOfMemory;
    return;
  }
  sendBuffer_[0] = '\0';
  receiveBuffer_[0] = '\0';
}

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

std::string SmtpClient::DateText(std::int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d", kDays[tm.tm_wday % 7],
                tm.tm_mday, kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return text;
}

bool SmtpClient::FormatHeader(std::string& out) {
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
  out += "From: " + senderName_.value_or("") + " <" + *senderMail_ + ">\r\n";
  if (xMailer_) out += "X-Mailer: " + *xMailer_ + "\r\n";
  if (replyTo_) out += "Reply-To: " + *replyTo_ + "\r\n";
  out += priority_ == 2   ? "X-Priority: 2 (High)\r\n"
         : priority_ == 4 ? "X-Priority: 4 (Low)\r\n"
                          : "X-Priority: 3 (Normal)\r\n";
  out += "To: ";
  for (std::size_t i = 0; i < toRecipients_.size(); ++i) {
    if (i > 0) out += ",";
    out += toRecipients_[i].name + "<" + toRecipients_[i].mail + ">";
  }
  out += "\r\n";
  if (subject_) {
    out += "Subject: " + *subject_ + "\r\n";
  } else {
    error_ = kUndefSubject;  // the mail still goes out
    out += "Subject:  \r\n";
  }
  out += "MIME-Version: 1.0\r\n";
  out += "Content-type: text/plain; charset=US-ASCII\r\n";
  out += "Content-Transfer-Encoding: 7bit\r\n";
  out += "\r\n";
  return true;
}

bool SmtpClient::SendText(const std::string& text) {
  // Composed in the send buffer, as every command is.
  if (text.size() >= kBufferSize) {
    error_ = kUndefMsgHeader;
    return false;
  }
  std::memcpy(sendBuffer_.get(), text.data(), text.size());
  sendBuffer_[text.size()] = '\0';
  if (text.empty()) return true;
  if (!socket_.SendAll(sendBuffer_.get(), text.size(), timeoutMs_)) {
    error_ = kWsaSend;
    return false;
  }
  return true;
}

bool SmtpClient::ReceiveCode(int& code) {
  switch (socket_.ReceiveReply(receiveBuffer_.get(), kBufferSize, timeoutMs_)) {
    case SmtpConnection::Received::Error:
      error_ = kWsaRecv;
      return false;
    case SmtpConnection::Received::Closed:
      error_ = kConnectionClosed;
      return false;
    case SmtpConnection::Received::Reply:
      break;
  }
  code = ReplyCode(receiveBuffer_.get());
  return true;
}

bool SmtpClient::Expect(int expected, int errorWhenNot) {
  int code = 0;
  if (!ReceiveCode(code)) return false;
  if (code != expected) {
    error_ = errorWhenNot;
    return false;
  }
  return true;
}

bool SmtpClient::SendBody() {
  // The body and its line end, in pieces that each fit the send buffer.
  const std::string body = DotStuffed(messageBody_.value_or("")) + "\r\n";
  constexpr std::size_t kPiece = kBufferSize - 1;
  for (std::size_t at = 0; at < body.size(); at += kPiece) {
    if (!SendText(body.substr(at, kPiece))) return false;
  }
  return true;
}

bool SmtpClient::Send() {
  if (!sendBuffer_ || !receiveBuffer_) {
    error_ = kLackOfMemory;
    return false;
  }
  socket_.Close();
  if (!serverName_ || !socket_.Connect(*serverName_, serverPort_, timeoutMs_)) {
    error_ = kWsaInvalidSocket;
    return false;
  }
  if (!Expect(220, kServerNotReady)) return false;

  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
    localHostName_ = host;
  } else {
    error_ = kWsaLocalHostName;
    localHostName_.clear();
  }
  if (!SendText("EHLO " + (localHostName_.empty() ? std::string("domain") : localHostName_) +
                "\r\n") ||
      !Expect(250, kCommandEhlo)) {
    return false;
  }
  if (!SendText("AUTH LOGIN\r\n") || !Expect(334, kCommandAuthLogin)) return false;
  if (!login_) {
    error_ = kUndefLogin;
    return false;
  }
  if (!SendText(Base64Encode(*login_) + "\r\n") || !Expect(334, kUndefXyzResponse)) return false;
  if (!password_) {
    error_ = kUndefPassword;
    return false;
  }
  if (!SendText(Base64Encode(*password_) + "\r\n")) return false;
  int code = 0;
  if (!ReceiveCode(code)) return false;
  if (code != 235) {
    error_ = code == 535 ? kBadLoginPassword : kUndefXyzResponse;
    return false;
  }
  if (!senderMail_) {
    error_ = kUndefMailFrom;
    return false;
  }
  if (!SendText("MAIL FROM:<" + *senderMail_ + ">\r\n") || !Expect(250, kCommandMailFrom)) {
    return false;
  }
  int accepted = 0;
  for (const Recipient& r : toRecipients_) {
    if (!SendText("RCPT TO:<" + r.mail + ">\r\n") || !ReceiveCode(code)) return false;
    if (code == 250) {
      ++accepted;
    } else {
      error_ = kCommandRcptTo;
    }
  }
  if (accepted == 0) return false;
  if (!SendText("DATA\r\n") || !Expect(354, kCommandData)) return false;
  std::string header;
  if (!FormatHeader(header)) {
    error_ = kUndefMsgHeader;
    return false;
  }
  if (!SendText(header) || !SendBody()) return false;
  if (!SendText("\r\n.\r\n") || !Expect(250, kMessageBody)) return false;
  if (!SendText("QUIT\r\n") || !ReceiveCode(code)) return false;
  socket_.Close();
  if (code != 221) {
    error_ = kCommandQuit;
    return false;
  }
  return true;
}

}  // namespace tarnwick::smtp
