// The mail client against a real SMTP server on 127.0.0.1 (aiosmtpd, started
// by the test): what arrives and how a mail program shows it, what the
// server's refusals become, values that would break a header line or a
// command, and the TLS choices.
#include <gtest/gtest.h>

#include <string>

#include "core/services/smtp/smtp_client.h"
#include "support/smtp_test_server.h"

namespace tarnwick::smtp {
namespace {

constexpr const char* kLogin = test::SmtpTestServer::kLogin;
constexpr const char* kPassword = test::SmtpTestServer::kPassword;

// The raw mail's lines that end in a bare LF or are longer than 998 octets.
std::string BadLines(const std::string& mail) {
  std::string bad;
  std::size_t start = 0;
  while (start < mail.size()) {
    std::size_t end = mail.find('\n', start);
    if (end == std::string::npos) end = mail.size();
    const bool crlf = end > start && mail[end - 1] == '\r';
    if (!crlf || end - start - 1 > 998) bad += mail.substr(start, 40) + "|";
    start = end + 1;
  }
  return bad;
}

void Configure(SmtpClient& c, std::uint16_t port, const char* password = kPassword) {
  c.SetSmtpServer("127.0.0.1", port);
  c.SetLogin(kLogin);
  c.SetPassword(password);
  c.SetSenderName("Tarnwick 问题反馈");
  c.SetSenderMail(kLogin);
  c.SetReplyTo(kLogin);
  c.SetXMailer("TWK");
  c.SetTimeout(5000);
}

class SmtpFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(server.port(), 0)
        << "the SMTP test server did not start (python3-aiosmtpd installed?)";
  }
  void Configure(SmtpClient& c, const char* password = kPassword) {
    smtp::Configure(c, server.port(), password);
  }

  test::SmtpTestServer server;
};

TEST_F(SmtpFlow, ChineseTextArrivesAsUtf8AMailProgramDecodesWithCrLfLinesAndTheZone) {
  SmtpClient c;
  Configure(c);
  c.SetSubject("Tarnwick 反馈主题:擦除失败 erase fails");
  c.SetPriority(7);
  ASSERT_TRUE(c.AddRecipient("support@example.org"));
  // Bare LF line ends, a line that starts with ".", and a line far longer
  // than a mail line may be.
  const std::string body = "Tarnwick:\nline one\n.a line that starts with a dot\r\n" +
                           std::string(5000, 'x') + "\n芯片 0x1000 校验失败\r\n--\r\nme";
  c.SetMessageBody(body);
  ASSERT_TRUE(c.Send()) << SmtpClient::GetErrorText(c.GetError());
  EXPECT_EQ(c.GetError(), 0);

  const std::string mail = server.Mail();
  EXPECT_EQ(BadLines(mail), "");
  const std::size_t headerEnd = mail.find("\r\n\r\n");
  ASSERT_NE(headerEnd, std::string::npos);
  const std::string header = mail.substr(0, headerEnd + 2);
  const std::size_t dateEnd = header.find("\r\n");
  EXPECT_EQ(header.rfind("Date: ", 0), 0u) << header;
  EXPECT_EQ(header.substr(dateEnd - 6, 6), " +0000") << header;
  // The order of the lines; the non-ASCII values are encoded words.
  std::size_t at = 0;
  for (const char* start :
       {"\r\nFrom: =?UTF-8?B?", "\r\nX-Mailer: TWK\r\n", "\r\nReply-To: sender@example.org\r\n",
        "\r\nX-Priority: 3 (Normal)\r\n", "\r\nTo: <support@example.org>\r\n",
        "\r\nSubject: =?UTF-8?B?", "\r\nMIME-Version: 1.0\r\n",
        "\r\nContent-type: text/plain; charset=UTF-8\r\n",
        "\r\nContent-Transfer-Encoding: base64\r\n"}) {
    const std::size_t found = header.find(start, at);
    ASSERT_NE(found, std::string::npos) << start << " after " << at << " in\n" << header;
    at = found + 1;
  }
  std::string crlfBody = "Tarnwick:\r\nline one\r\n.a line that starts with a dot\r\n" +
                         std::string(5000, 'x') + "\r\n芯片 0x1000 校验失败\r\n--\r\nme";
  EXPECT_EQ(server.Shown(),
            "Subject: Tarnwick 反馈主题:擦除失败 erase fails\n"
            "From: Tarnwick 问题反馈 <sender@example.org>\nDefects: 0\n\n" +
                crlfBody);
  EXPECT_EQ(server.Envelope(1), "from sender@example.org\nto support@example.org\n");
}

TEST_F(SmtpFlow, PlainAsciiGoesAs7bitWithItsDotLinesKeptAndALongSubjectFolded) {
  SmtpClient c;
  Configure(c);
  const std::string subject(1500, 's');
  c.SetSubject(subject);
  c.AddRecipient("support@example.org");
  c.SetMessageBody("first\n.second\n..third");
  ASSERT_TRUE(c.Send()) << SmtpClient::GetErrorText(c.GetError());
  const std::string mail = server.Mail();
  EXPECT_NE(mail.find("\r\nContent-Transfer-Encoding: 7bit\r\n\r\nfirst\r\n.second\r\n..third"),
            std::string::npos)
      << mail;
  EXPECT_EQ(BadLines(mail), "");
  EXPECT_EQ(server.Shown().rfind("Subject: " + subject + "\n", 0), 0u) << server.Shown();
}

TEST_F(SmtpFlow, NoSubjectGivesTheTwoBlankLineAndStillSends) {
  SmtpClient c;
  Configure(c);
  c.SetPriority(2);
  c.AddRecipient("a@example.org", "Ann ");
  c.AddRecipient("b@example.org");
  c.SetMessageBody("hello");
  ASSERT_TRUE(c.Send()) << SmtpClient::GetErrorText(c.GetError());
  EXPECT_EQ(c.GetError(), kUndefSubject) << "set, yet the mail went out";
  const std::string mail = server.Mail();
  EXPECT_NE(mail.find("\r\nSubject:  \r\n"), std::string::npos) << mail;
  EXPECT_NE(mail.find("\r\nTo: Ann <a@example.org>,<b@example.org>\r\n"), std::string::npos);
  EXPECT_NE(mail.find("\r\nX-Priority: 2 (High)\r\n"), std::string::npos);
}

TEST_F(SmtpFlow, ServerRefusalsEndTheDialogueWithTheirErrors) {
  {
    SmtpClient c;
    Configure(c, "wrong");
    c.AddRecipient("support@example.org");
    EXPECT_FALSE(c.Send());
    EXPECT_EQ(c.GetError(), kBadLoginPassword);
    EXPECT_STREQ(SmtpClient::GetErrorText(c.GetError()), "Bad login or password.");
  }
  {
    SmtpClient c;
    Configure(c);
    c.AddRecipient("refused@example.org");
    c.SetMessageBody("never sent");
    EXPECT_FALSE(c.Send());
    EXPECT_EQ(c.GetError(), kCommandRcptTo);
  }
  {
    // One recipient refused, one taken: the mail goes to the one.
    SmtpClient c;
    Configure(c);
    c.SetSubject("s");
    c.AddRecipient("refused@example.org");
    c.AddRecipient("support@example.org");
    EXPECT_TRUE(c.Send());
    EXPECT_EQ(c.GetError(), kCommandRcptTo);
  }
  EXPECT_TRUE(server.MailArrived(1));
  EXPECT_FALSE(server.MailArrived(2)) << "nothing reached DATA but the last";
}

TEST(SmtpClientAlone, AServerThatOffersNoLoginGetsNoMail) {
  test::SmtpTestServer open(test::SmtpTestServer::Mode::NoAuth);
  ASSERT_NE(open.port(), 0);
  SmtpClient c;
  Configure(c, open.port());
  c.AddRecipient("support@example.org");
  c.SetMessageBody("body");
  EXPECT_FALSE(c.Send());
  EXPECT_EQ(c.GetError(), kCommandAuthLogin);
  EXPECT_FALSE(open.MailArrived(1));
}

TEST_F(SmtpFlow, ALineBreakInAnyHeaderValueOrAddressSendsNothing) {
  // Each would otherwise add a header or a whole second mail in the same
  // logged-in session.
  const std::string smuggled =
      "hi\r\n.\r\nMAIL FROM:<x@example.org>\r\nRCPT TO:<victim@example.org>\r\nDATA\r\nSubject: "
      "forged\r\n\r\nforged body";
  using Setter = void (SmtpClient::*)(const std::string&);
  for (const Setter set :
       {&SmtpClient::SetSubject, &SmtpClient::SetSenderName, &SmtpClient::SetXMailer,
        &SmtpClient::SetReplyTo, &SmtpClient::SetSenderMail, &SmtpClient::SetLogin}) {
    for (const std::string& value :
         {smuggled, std::string("hi\nBcc: victim@example.org"), std::string("tab\there")}) {
      SmtpClient c;
      Configure(c);
      c.AddRecipient("support@example.org");
      c.SetMessageBody("body");
      (c.*set)(value);
      EXPECT_FALSE(c.Send()) << value;
      EXPECT_EQ(c.GetError(), kControlCharacter) << value;
    }
  }
  for (const auto& [mail, name] :
       {std::pair{"support@example.org>\r\nRCPT TO:<victim@example.org", ""},
        std::pair{"support@example.org", "A\r\nBcc: victim@example.org"}}) {
    SmtpClient c;
    Configure(c);
    c.AddRecipient(mail, name);
    EXPECT_FALSE(c.Send());
    EXPECT_EQ(c.GetError(), kControlCharacter);
  }
  EXPECT_FALSE(server.MailArrived(1));
  EXPECT_EQ(server.AuthAttempts(), "") << "nothing was even connected";
}

TEST(SmtpClientAlone, UnsetValuesFailWithTheirErrorsBeforeConnecting) {
  // Nobody listens on the port: an attempt to connect would be error 106.
  const std::uint16_t unused = test::UnusedLocalPort();
  ASSERT_NE(unused, 0);
  struct Case {
    void (SmtpClient::*unset)(const std::string&);
    int error;
  };
  for (const Case& k :
       {Case{&SmtpClient::SetLogin, kUndefLogin}, Case{&SmtpClient::SetPassword, kUndefPassword},
        Case{&SmtpClient::SetSenderMail, kUndefMailFrom}}) {
    SmtpClient c;
    Configure(c, unused);
    c.AddRecipient("support@example.org");
    (c.*k.unset)("");
    EXPECT_FALSE(c.Send());
    EXPECT_EQ(c.GetError(), k.error);
  }
  SmtpClient noRecipient;
  Configure(noRecipient, unused);
  EXPECT_FALSE(noRecipient.Send());
  EXPECT_EQ(noRecipient.GetError(), kUndefRecipients);
  SmtpClient emptyRecipient;
  Configure(emptyRecipient, unused);
  emptyRecipient.AddRecipient("");
  EXPECT_FALSE(emptyRecipient.Send());
  EXPECT_EQ(emptyRecipient.GetError(), kUndefRecipientMail);
}

TEST(SmtpClientAlone, UnreachableOrUnsetServersAndMissingFieldsFailCleanly) {
  const std::uint16_t unused = test::UnusedLocalPort();
  ASSERT_NE(unused, 0);
  for (const std::string& server :
       {std::string("127.0.0.1"), std::string(""), std::string("no-such-host.invalid"),
        std::string("1.2.3"), std::string("localhost/x?y#"), std::string("a@127.0.0.1")}) {
    SmtpClient c;
    Configure(c, unused);
    c.SetSmtpServer(server, unused);
    c.SetTimeout(3000);
    c.AddRecipient("x@example.org");
    EXPECT_FALSE(c.Send()) << server;
    EXPECT_EQ(c.GetError(), kWsaInvalidSocket) << server;
    EXPECT_STREQ(SmtpClient::GetErrorText(c.GetError()), "Invalid winsock2 socket.");
  }
  SmtpClient c;
  EXPECT_FALSE(c.AddRecipient(nullptr));
  EXPECT_EQ(c.GetError(), kUndefRecipientMail);
  std::string header;
  EXPECT_FALSE(c.FormatHeader(header));
  EXPECT_EQ(c.GetError(), kUndefRecipients);
  c.AddRecipient("x@example.org");
  EXPECT_FALSE(c.FormatHeader(header));
  EXPECT_EQ(c.GetError(), kUndefMailFrom);
  EXPECT_STREQ(GetErrorText(0), "");
  EXPECT_STREQ(GetErrorText(999), "Undefined error id.");
}

TEST(SmtpClientAlone, DateIsUsEnglishUtcWithItsZone) {
  EXPECT_EQ(SmtpClient::DateText(0), "Thu, 01 Jan 1970 00:00:00 +0000");
  EXPECT_EQ(SmtpClient::DateText(1796817600), "Wed, 09 Dec 2026 12:00:00 +0000");
}

// The password never crosses the network in clear when TLS can be had.
class SmtpTls : public ::testing::Test {
 protected:
  bool SendTo(const test::SmtpTestServer& server, MailTls tls, const std::string& caFile,
              int timeoutMs = 5000) {
    EXPECT_NE(server.port(), 0) << "the SMTP test server did not start";
    SmtpClient c;
    smtp::Configure(c, server.port());
    c.SetTimeout(timeoutMs);
    c.SetTls(tls);
    c.SetCaFile(caFile);
    c.SetSubject("over TLS");
    c.AddRecipient("support@example.org");
    c.SetMessageBody("body");
    const bool sent = c.Send();
    error = c.GetError();
    return sent;
  }
  int error = 0;
};

TEST_F(SmtpTls, StartTlsIsTakenWhenOfferedBeforeTheLogin) {
  test::SmtpTestServer server(test::SmtpTestServer::Mode::StartTls);
  for (const MailTls tls : {MailTls::Auto, MailTls::StartTls}) {
    EXPECT_TRUE(SendTo(server, tls, server.CaFile())) << GetErrorText(error);
  }
  EXPECT_EQ(server.AuthAttempts(), "LOGIN tls=True\nLOGIN tls=True\n");
  EXPECT_NE(server.Mail(2).find("\r\nSubject: over TLS\r\n"), std::string::npos);
}

TEST_F(SmtpTls, ACertificateNoTrustedAuthoritySignedIsRefusedBeforeTheLogin) {
  test::SmtpTestServer server(test::SmtpTestServer::Mode::StartTls);
  EXPECT_FALSE(SendTo(server, MailTls::Auto, ""));
  EXPECT_EQ(error, kTlsFailed);
  EXPECT_FALSE(SendTo(server, MailTls::Auto, server.CaFile() + ".missing"));
  EXPECT_EQ(error, kTlsFailed);
  EXPECT_EQ(server.AuthAttempts(), "");
  EXPECT_FALSE(server.MailArrived(1));
}

TEST_F(SmtpTls, StartTlsRequiredRefusesAServerWithoutIt) {
  test::SmtpTestServer server;  // offers no STARTTLS
  EXPECT_FALSE(SendTo(server, MailTls::StartTls, ""));
  EXPECT_EQ(error, kNoStartTls);
  EXPECT_EQ(server.AuthAttempts(), "") << "the password went out in clear";
  // tls = off and auto go on without it, as told.
  EXPECT_TRUE(SendTo(server, MailTls::Off, "")) << GetErrorText(error);
  EXPECT_TRUE(SendTo(server, MailTls::Auto, "")) << GetErrorText(error);
  EXPECT_EQ(server.AuthAttempts(), "LOGIN tls=False\nLOGIN tls=False\n");
}

TEST_F(SmtpTls, ImplicitTlsSpeaksTlsFromTheFirstByte) {
  test::SmtpTestServer server(test::SmtpTestServer::Mode::ImplicitTls);
  EXPECT_TRUE(SendTo(server, MailTls::Implicit, server.CaFile())) << GetErrorText(error);
  EXPECT_EQ(server.AuthAttempts(), "LOGIN tls=True\n");
  // Plain SMTP to a TLS port hears no greeting and gives up.
  EXPECT_FALSE(SendTo(server, MailTls::Off, "", 1000));
}

}  // namespace
}  // namespace tarnwick::smtp
