// The feedback mail as the dialog and the command line send it, against a
// real SMTP server on 127.0.0.1: what arrives, and what the technician is
// told for each outcome.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/services/smtp/feedback_mail.h"
#include "core/services/smtp/smtp_errors.h"
#include "support/smtp_test_server.h"

namespace tarnwick {
namespace {

class FeedbackFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(texts.LoadFtext(TARNWICK_SOURCE_DIR "/resources/lang/en/ftext.ini"));
    ASSERT_TRUE(texts.LoadItext(TARNWICK_SOURCE_DIR "/resources/lang/en/itext.ini"));
    ASSERT_NE(server.port(), 0) << "the SMTP test server did not start";
    mail.server = "127.0.0.1";
    mail.port = server.port();
    mail.login = test::SmtpTestServer::kLogin;
    mail.password = test::SmtpTestServer::kPassword;
    mail.support = "support@example.org";
    mail.xMailer = "TWK";
  }

  FeedbackMessage Submit(const FeedbackFields& typed) {
    const FeedbackFields completed = CompleteFeedback(typed, texts.itext(itext::kFeedbackNotGiven));
    return FeedbackMessageFor(SendFeedback(mail, completed, 5000), texts);
  }
  std::string Body(int n = 1) const {
    const std::string m = server.Mail(n);
    const std::size_t end = m.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : m.substr(end + 4);
  }

  TextTable texts;
  test::SmtpTestServer server;
  ServicesConfig::Mail mail;
};

TEST_F(FeedbackFlow, TheThreeTextsArriveAsOneMailToTheSupportMailbox) {
  const FeedbackMessage m = Submit({"擦除失败", "It stops at 50%.\r\nEvery time.", "ann@x.org"});
  EXPECT_EQ(m.text, texts.itext(itext::kFeedbackSent));
  EXPECT_EQ(m.caption, texts.itext(itext::kNoticeCaption));
  EXPECT_EQ(m.icon, BoxIcon::Information);
  const std::string got = server.Mail();
  EXPECT_NE(got.find("\r\nReply-To: sender@example.org\r\n"), std::string::npos) << got;
  EXPECT_NE(got.find("\r\nTo: <support@example.org>\r\n"), std::string::npos);
  EXPECT_NE(got.find("\r\nX-Priority: 3 (Normal)\r\n"), std::string::npos);
  EXPECT_EQ(server.Shown(),
            "Subject: Tarnwick 反馈主题:擦除失败\nFrom: Tarnwick 问题反馈 <sender@example.org>\n"
            "Defects: 0\n\n"
            "Tarnwick:\r\nIt stops at 50%.\r\nEvery time.\r\n"
            "------------------联系方式-------------------\r\nann@x.org");
  EXPECT_EQ(server.Envelope(), "from sender@example.org\nto support@example.org\n");
}

TEST_F(FeedbackFlow, AnEmptySubjectOrContactIsSentAsNotGivenAnEmptyContentNotAtAll) {
  const std::string notGiven = texts.itext(itext::kFeedbackNotGiven);
  EXPECT_EQ(Submit({"", "report", ""}).text, texts.itext(itext::kFeedbackSent));
  const std::string shown = server.Shown();
  EXPECT_EQ(shown.rfind("Subject: Tarnwick 反馈主题:" + notGiven + "\n", 0), 0u) << shown;
  EXPECT_EQ(shown.substr(shown.size() - notGiven.size() - 2), "\r\n" + notGiven);

  const FeedbackMessage empty = Submit({"subject", "", "me"});
  EXPECT_EQ(empty.text, texts.itext(itext::kFeedbackNoContent));
  EXPECT_EQ(empty.caption, texts.itext(itext::kNoticeCaption));
  EXPECT_FALSE(server.MailArrived(2));
}

TEST_F(FeedbackFlow, AValueServicesIniLeavesOutFailsWithItsErrorBeforeConnecting) {
  // Nobody listens on the port: a connection attempt would say so instead.
  mail.port = test::UnusedLocalPort();
  const std::string error = texts.itext(itext::kError);
  const ServicesConfig::Mail full = mail;
  const std::pair<std::string ServicesConfig::Mail::*, const char*> cases[] = {
      {&ServicesConfig::Mail::login, "Undefined user login."},
      {&ServicesConfig::Mail::password, "Undefined user password."},
      {&ServicesConfig::Mail::support, "Undefined at least one reciepent."},
  };
  for (const auto& [field, text] : cases) {
    mail = full;
    mail.*field = "";
    EXPECT_EQ(Submit({"s", "c", "me"}).text, error + ":" + text);
  }
}

TEST_F(FeedbackFlow, ServerAndAccountFailuresShowErrorColonAndTheClientsText) {
  const std::string error = texts.itext(itext::kError);
  mail.password = "wrong";
  FeedbackMessage m = Submit({"s", "c", "me"});
  EXPECT_EQ(m.text, error + ":Bad login or password.");
  EXPECT_EQ(m.caption, error);
  EXPECT_EQ(m.icon, BoxIcon::Warning);

  mail.password = test::SmtpTestServer::kPassword;
  mail.support = "refused@example.org";
  const FeedbackOutcome refused = SendFeedback(mail, CompleteFeedback({"s", "c", "me"}, "-"), 5000);
  EXPECT_EQ(refused.status, FeedbackStatus::Failed);
  EXPECT_EQ(refused.error, smtp::kCommandRcptTo);

  // Nothing configured, or a port nobody listens on.
  EXPECT_EQ(
      FeedbackMessageFor(SendFeedback(ServicesConfig::Mail{}, {"s", "c", "me"}, 3000), texts).text,
      error + ":Invalid winsock2 socket.");
  mail.support = "support@example.org";
  mail.port = test::UnusedLocalPort();
  EXPECT_EQ(FeedbackMessageFor(SendFeedback(mail, {"s", "c", "me"}, 3000), texts).text,
            error + ":Invalid winsock2 socket.");
  EXPECT_FALSE(server.MailArrived(1));
}

}  // namespace
}  // namespace tarnwick
