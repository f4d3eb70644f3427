#include "core/services/smtp/smtp_transport.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string_view>

#include "core/services/smtp/smtp_errors.h"

namespace tarnwick::smtp {
namespace {

constexpr std::uint16_t kImplicitTlsPort = 465;

// The step of the dialogue, as the commands go out.
enum class Step {
  Connect,
  Greeting,
  Ehlo,
  StartTls,
  AuthLogin,
  Login,
  Password,
  MailFrom,
  Rcpt,
  Data,
  Body,
  Quit
};

struct StepRule {
  Step step;
  int expected;
  int errorWhenNot;
};

constexpr StepRule kRules[] = {
    {Step::Greeting, 220, kServerNotReady},  {Step::Ehlo, 250, kCommandEhlo},
    {Step::StartTls, 220, kNoStartTls},      {Step::AuthLogin, 334, kCommandAuthLogin},
    {Step::Login, 334, kUndefXyzResponse},   {Step::Password, 235, kUndefXyzResponse},
    {Step::MailFrom, 250, kCommandMailFrom}, {Step::Rcpt, 250, kCommandRcptTo},
    {Step::Data, 354, kCommandData},         {Step::Body, 250, kMessageBody},
    {Step::Quit, 221, kCommandQuit},
};

// What libcurl shows of the dialogue (commands out, reply lines in), kept as
// the step and the errors of the replies that refused it. Nothing else of it
// is stored: the login lines carry the account.
struct Dialogue {
  Step step = Step::Connect;
  int refusal = kNoError;  // the latest step refused before the QUIT
  bool quitRefused = false;
  bool loggedIn = false;
  int refused = 0;  // recipients

  void CommandSent(std::string_view line) {
    if (step == Step::AuthLogin) {
      step = Step::Login;
      return;
    }
    if (step == Step::Login) {
      step = Step::Password;
      return;
    }
    std::string verb;
    for (const char c : line.substr(0, std::min<std::size_t>(line.size(), 8))) {
      if (std::isalpha(static_cast<unsigned char>(c)) == 0) break;
      verb += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (verb == "EHLO" || verb == "HELO")
      step = Step::Ehlo;
    else if (verb == "STARTTLS")
      step = Step::StartTls;
    else if (verb == "AUTH")
      step = Step::AuthLogin;
    else if (verb == "MAIL")
      step = Step::MailFrom;
    else if (verb == "RCPT")
      step = Step::Rcpt;
    else if (verb == "DATA")
      step = Step::Data;
    else if (verb == "QUIT")
      step = Step::Quit;
  }

  void ReplyLine(std::string_view line) {
    if (line.size() < 3 || !std::all_of(line.begin(), line.begin() + 3, [](char c) {
          return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
      return;
    }
    if (step == Step::Connect) step = Step::Greeting;
    if (line.size() > 3 && line[3] == '-') return;  // the reply goes on
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (step == Step::Password && code == 235) loggedIn = true;
    if (step == Step::Data && code == 354) {
      step = Step::Body;  // the end of the data is answered next
      return;
    }
    const int error = ErrorFor(code);
    if (error == kNoError) return;
    if (step == Step::Quit) {
      quitRefused = true;
      return;
    }
    refusal = error;
    if (step == Step::Rcpt) ++refused;
  }

  // The step's error for a reply `code`; 0 when it is the one it needs.
  int ErrorFor(int code) const {
    for (const StepRule& r : kRules) {
      if (r.step != step) continue;
      if (code == r.expected || (step == Step::Rcpt && code == 251)) return kNoError;
      if (step == Step::Password && code == 535) return kBadLoginPassword;
      return r.errorWhenNot;
    }
    return kNoError;
  }
};

int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
  auto& d = *static_cast<Dialogue*>(user);
  if (type != CURLINFO_HEADER_OUT && type != CURLINFO_HEADER_IN) return 0;
  std::string_view text(data, size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (type == CURLINFO_HEADER_OUT) {
      d.CommandSent(line);
    } else {
      d.ReplyLine(line);
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return 0;
}

struct Upload {
  const std::string& bytes;
  Dialogue& dialogue;
  std::size_t at = 0;
};

std::size_t OnRead(char* buffer, std::size_t size, std::size_t count, void* user) {
  auto& u = *static_cast<Upload*>(user);
  // libcurl goes on without a login when the server offers no AUTH at all;
  // the mail is only ever sent logged in.
  if (!u.dialogue.loggedIn) {
    u.dialogue.refusal = kCommandAuthLogin;
    return CURL_READFUNC_ABORT;
  }
  const std::size_t n = std::min(size * count, u.bytes.size() - u.at);
  std::memcpy(buffer, u.bytes.data() + u.at, n);
  u.at += n;
  return n;
}

// What libcurl's own result means when no reply told it already.
int ErrorForResult(CURLcode rc, Step step) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kWsaInvalidSocket;
    case CURLE_OPERATION_TIMEDOUT:
      return step == Step::Connect ? kWsaInvalidSocket : kWsaRecv;
    case CURLE_USE_SSL_FAILED:
      return kNoStartTls;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
      return kTlsFailed;
    case CURLE_LOGIN_DENIED:
      return kCommandAuthLogin;  // the server offers no AUTH LOGIN
    case CURLE_SEND_ERROR:
      return kWsaSend;
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      return kConnectionClosed;
    case CURLE_OUT_OF_MEMORY:
      return kLackOfMemory;
    default:
      return kUndefXyzResponse;
  }
}

std::uint16_t PortFor(std::uint16_t configured) {
  if (configured != 0) return configured;
  servent result{};
  servent* found = nullptr;
  char work[1024];
  if (::getservbyname_r("mail", "tcp", &result, work, sizeof work, &found) == 0 &&
      found != nullptr) {
    return ntohs(static_cast<std::uint16_t>(found->s_port));
  }
  return 25;
}

// A name that starts with a letter is a host name (letters, digits, '-' and
// '.', nothing that would change the URL it goes into); anything else must
// be a numeric IPv4 or IPv6 address.
bool UsableServer(const std::string& server) {
  if (server.empty()) return false;
  if (std::isalpha(static_cast<unsigned char>(server[0])) != 0) {
    return std::all_of(server.begin(), server.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.';
    });
  }
  unsigned char address[sizeof(in6_addr)];
  return ::inet_pton(AF_INET, server.c_str(), address) == 1 ||
         ::inet_pton(AF_INET6, server.c_str(), address) == 1;
}

std::string UrlFor(const TransportSettings& s, bool implicitTls, std::uint16_t port) {
  const std::string host =
      s.server.find(':') != std::string::npos ? "[" + s.server + "]" : s.server;
  // No path: the EHLO names the local host.
  return std::string(implicitTls ? "smtps://" : "smtp://") + host + ":" + std::to_string(port) +
         "/";
}

}  // namespace

TransportResult SendOverSmtp(const TransportSettings& settings, const std::string& from,
                             const std::vector<std::string>& to, const std::string& message) {
  if (!UsableServer(settings.server)) return {false, kWsaInvalidSocket};
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return {false, kLackOfMemory};
  const std::uint16_t port = PortFor(settings.port);
  const bool implicitTls = settings.tls == MailTls::Implicit ||
                           (settings.tls == MailTls::Auto && port == kImplicitTlsPort);
  const long useSsl = settings.tls == MailTls::Off    ? CURLUSESSL_NONE
                      : settings.tls == MailTls::Auto ? CURLUSESSL_TRY
                                                      : CURLUSESSL_ALL;
  curl_slist* recipients = nullptr;
  for (const std::string& r : to)
    recipients = curl_slist_append(recipients, ("<" + r + ">").c_str());
  Dialogue dialogue;
  Upload upload{message, dialogue};
  const long seconds = std::max(1L, static_cast<long>((settings.timeoutMs + 999) / 1000));

  curl_easy_setopt(curl, CURLOPT_URL, UrlFor(settings, implicitTls, port).c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USE_SSL, useSsl);
  if (!settings.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, settings.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_USERNAME, settings.login.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, settings.password.c_str());
  curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + from + ">").c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnRead);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.timeoutMs));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &dialogue);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);

  const CURLcode rc = curl_easy_perform(curl);
  TransportResult result;
  if (rc == CURLE_OK) {
    result.sent = true;
    if (dialogue.refused > 0) result.error = kCommandRcptTo;
  } else {
    result.error =
        dialogue.refusal != kNoError ? dialogue.refusal : ErrorForResult(rc, dialogue.step);
  }
  // Closing the connection sends the QUIT (after a failure libcurl has sent
  // it already); its reply is the last word on a mail that went out.
  curl_easy_cleanup(curl);
  curl_slist_free_all(recipients);
  if (result.sent && dialogue.quitRefused) result = {false, kCommandQuit};
  return result;
}

}  // namespace tarnwick::smtp
