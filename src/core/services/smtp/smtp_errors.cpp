#include "core/services/smtp/smtp_errors.h"

namespace tarnwick::smtp {
namespace {

struct ErrorText {
  int id;
  const char* text;
};

constexpr ErrorText kTexts[] = {
    {kWsaStartup, "Unable to initialise winsock2."},
    {kWsaVersion, "Wrong version of the winsock2."},
    {kWsaSend, "Function send() failed."},
    {kWsaRecv, "Function recv() failed."},
    {kWsaConnect, "Function connect failed."},
    {kWsaHostName, "Functions gethostbyname() or gethostbyaddr() failed."},
    {kWsaInvalidSocket, "Invalid winsock2 socket."},
    {kWsaLocalHostName, "Function hostname() failed."},
    {kWsaIpAddress, "Improper IPv4 address."},
    {kUndefMsgHeader, "Undefined message header."},
    {kUndefMailFrom, "Undefined from is the mail."},
    {kUndefSubject, "Undefined message subject."},
    {kUndefRecipients, "Undefined at least one reciepent."},
    {kUndefLogin, "Undefined user login."},
    {kUndefPassword, "Undefined user password."},
    {kUndefRecipientMail, "Undefined recipent mail."},
    {kControlCharacter, "A line break or control character in a header value or address."},
    {kCommandMailFrom, "Server returned error after sending MAIL FROM."},
    {kCommandEhlo, "Server returned error after sending EHLO."},
    {kCommandAuthLogin, "Server returned error after sending AUTH LOGIN."},
    {kCommandData, "Server returned error after sending DATA."},
    {kCommandQuit, "Server returned error after sending QUIT."},
    {kCommandRcptTo, "Server returned error after sending RCPT TO."},
    {kMessageBody, "Error in message body"},
    {kConnectionClosed, "Server has closed the connection."},
    {kServerNotReady, "Server is not ready."},
    {kFileNotExist, "File not exist."},
    {kMessageTooBig, "Message is too big."},
    {kBadLoginPassword, "Bad login or password."},
    {kUndefXyzResponse, "Undefined xyz SMTP response."},
    {kLackOfMemory, "Lack of memory."},
    {kNoStartTls, "Server does not offer STARTTLS; the password is not sent without it."},
    {kTlsFailed, "TLS connection failed (certificate not trusted, or no TLS on this port)."},
};

}  // namespace

const char* GetErrorText(int id) {
  if (id == kNoError) return "";
  for (const ErrorText& e : kTexts) {
    if (e.id == id) return e.text;
  }
  return "Undefined error id.";
}

}  // namespace tarnwick::smtp
