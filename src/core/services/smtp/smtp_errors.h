// The mail client's error ids and their English texts.
#pragma once

namespace tarnwick::smtp {

enum SmtpError : int {
  kNoError = 0,
  kWsaStartup = 100,
  kWsaVersion = 101,
  kWsaSend = 102,
  kWsaRecv = 103,
  kWsaConnect = 104,
  kWsaHostName = 105,
  kWsaInvalidSocket = 106,
  kWsaLocalHostName = 107,
  kWsaIpAddress = 108,
  kUndefMsgHeader = 200,
  kUndefMailFrom = 201,
  kUndefSubject = 202,
  kUndefRecipients = 203,
  kUndefLogin = 204,
  kUndefPassword = 205,
  kUndefRecipientMail = 206,
  kControlCharacter = 207,
  kCommandMailFrom = 300,
  kCommandEhlo = 301,
  kCommandAuthLogin = 302,
  kCommandData = 303,
  kCommandQuit = 304,
  kCommandRcptTo = 305,
  kMessageBody = 306,
  kConnectionClosed = 400,
  kServerNotReady = 401,
  kFileNotExist = 402,
  kMessageTooBig = 403,
  kBadLoginPassword = 404,
  kUndefXyzResponse = 405,
  kLackOfMemory = 406,
  kNoStartTls = 407,
  kTlsFailed = 408,
};

// The text of an error id; "" for 0 and "Undefined error id." for an id
// the table does not have.
const char* GetErrorText(int id);

}  // namespace tarnwick::smtp
