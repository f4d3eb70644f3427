// The mail client against a real SMTP server on 127.0.0.1 (aiosmtpd, started
// by the test), with AUTH LOGIN allowed without TLS.
#include <gtest/gtest.h>

#include <string>

#include "core/services/smtp/base64.h"
#include "core/services/smtp/smtp_client.h"
#include "support/smtp_test_server.h"

namespace tarnwick::smtp {
namespace {

constexpr const char* kLogin = test::SmtpTestServer::kLogin;
constexpr const char* kPassword = test::SmtpTestServer::kPassword;

class SmtpFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(server.port(), 0)
        << "the SMTP test server did not start (python3-aiosmtpd installed?)";
  }

  void Configure(SmtpClient& c, const char* password = kPassword) {
    c.SetSmtpServer("127.0.0.1", server.port());
    c.SetLogin(kLogin);
    c.SetPassword(password);
    c.SetSenderName("Tarnwick 问题反馈");
    c.SetSenderMail(kLogin);
    c.SetReplyTo(kLogin);
    c.SetXMailer("TWK");
    c.SetTimeout(5000);
  }

  std::string Mail(int n = 1) { return server.Mail(n); }
  bool MailArrived(int n = 1) { return server.MailArrived(n); }

  test::SmtpTestServer server;
};

TEST_F(SmtpFlow, TheMailArrivesWithItsHeaderLinesInOrderAndTheBodyAsGiven) {
  SmtpClient c;
  Configure(c);
  c.SetSubject("Tarnwick 反馈主题:erase fails");
  c.SetPriority(7);
  ASSERT_TRUE(c.AddRecipient("support@example.org"));
  std::string lines;
  for (int i = 0; i < 300; ++i) lines += std::string(98, 'x') + "\r\n";
  const std::string body = "Tarnwick:\r\nline one\r\n.a line that starts with a dot\r\n" + lines +
                           "\r\n------------------联系方式-------------------\r\nme";
  c.SetMessageBody(body);
  ASSERT_TRUE(c.Send()) << SmtpClient::GetErrorText(c.GetError());
  EXPECT_EQ(c.GetError(), 0);
  const std::string mail = Mail();
  const std::size_t headerEnd = mail.find("\r\n\r\n");
  ASSERT_NE(headerEnd, std::string::npos);
  const std::string header = mail.substr(0, headerEnd + 2);
  ASSERT_EQ(header.rfind("Date: ", 0), 0u) << header;
  const std::size_t from = header.find("\r\n") + 2;
  EXPECT_EQ(header.substr(from),
            "From: Tarnwick 问题反馈 <sender@example.org>\r\n"
            "X-Mailer: TWK\r\n"
            "Reply-To: sender@example.org\r\n"
            "X-Priority: 3 (Normal)\r\n"
            "To: <support@example.org>\r\n"
            "Subject: Tarnwick 反馈主题:erase fails\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-type: text/plain; charset=US-ASCII\r\n"
            "Content-Transfer-Encoding: 7bit\r\n");
  // Longer than one send buffer, and a line starting with "." kept whole.
  const std::string got = mail.substr(headerEnd + 4);
  const std::string want = body + "\r\n\r\n";
  std::size_t same = 0;
  while (same < got.size() && same < want.size() && got[same] == want[same]) ++same;
  EXPECT_EQ(same, want.size()) << "differs at " << same << ": got ..."
                               << got.substr(same > 20 ? same - 20 : 0, 60);
  EXPECT_EQ(got.size(), want.size());
  EXPECT_EQ(server.Envelope(1), "from sender@example.org\nto support@example.org\n");
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
  const std::string mail = Mail();
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
  EXPECT_TRUE(MailArrived(1));
  EXPECT_FALSE(MailArrived(2)) << "nothing reached DATA but the last";
}

TEST(SmtpClientAlone, UnreachableOrUnsetServersAndMissingFieldsFailCleanly) {
  const std::uint16_t unused = test::UnusedLocalPort();
  ASSERT_NE(unused, 0);
  for (const std::string& server : {std::string("127.0.0.1"), std::string(""),
                                    std::string("no-such-host.invalid"), std::string("1.2.3")}) {
    SmtpClient c;
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

TEST(SmtpClientAlone, DateIsUsEnglishUtcAndBase64PadsItsLastGroup) {
  EXPECT_EQ(SmtpClient::DateText(0), "Thu, 01 Jan 1970 00:00:00");
  EXPECT_EQ(SmtpClient::DateText(1796817600), "Wed, 09 Dec 2026 12:00:00");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("\xff\xfe\xfd\xfc"), "//79/A==");
  EXPECT_EQ(ReplyCode("250-first\r\n250 last\r\n"), 250);
  EXPECT_EQ(ReplyCode("22"), 0);
}

}  // namespace
}  // namespace tarnwick::smtp
