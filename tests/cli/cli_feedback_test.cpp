// tarnwick-cli feedback against a real SMTP server on 127.0.0.1, with the
// account in the base directory's services.ini.
#include "cli_fixture.h"
#include "core/app/text_ids.h"
#include "support/smtp_test_server.h"

namespace tarnwick::test {
namespace {

class CliFeedback : public CliFlow {
 protected:
  void Configure(const std::string& password = SmtpTestServer::kPassword) {
    dir.Write("services.ini",
              "[mail]\nserver = 127.0.0.1\nport = " + std::to_string(server.port()) +
                  "\nlogin = " + SmtpTestServer::kLogin + "\npassword = " + password +
                  "\nsupport = support@example.org\nx_mailer = TWK\n");
  }
  SmtpTestServer server;
};

TEST_F(CliFeedback, TheFilesTextIsMailedAndSentIsSaid) {
  ASSERT_NE(server.port(), 0);
  Configure();
  dir.Write("report.txt", "Verify fails at 0x1000.");
  const CliRun r = Cli({"feedback", "--subject", "verify", "--contact", "bob@example.org",
                        "--content-file", dir.file("report.txt")},
                       "");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, texts.itext(itext::kFeedbackSent) + "\n");
  const std::string mail = server.Mail();
  EXPECT_NE(mail.find("\r\nSubject: Tarnwick 反馈主题:verify\r\n"), std::string::npos) << mail;
  EXPECT_NE(mail.find("Tarnwick:\r\nVerify fails at 0x1000.\r\n-"), std::string::npos);
  EXPECT_NE(mail.find("-\r\nbob@example.org"), std::string::npos);
}

TEST_F(CliFeedback, NothingToSayABadAccountOrABadFileFail) {
  ASSERT_NE(server.port(), 0);
  Configure("wrong");
  dir.Write("empty.txt", "");
  dir.Write("report.txt", "text");
  CliRun r = Cli({"feedback", "--content-file", dir.file("empty.txt")}, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, texts.itext(itext::kFeedbackNoContent) + "\n");

  r = Cli({"feedback", "--content-file", dir.file("report.txt")}, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, texts.itext(itext::kError) + ":Bad login or password.\n");

  r = Cli({"feedback", "--content-file", dir.path().string()}, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  r = Cli({"feedback", "--subject", "x"}, "");
  EXPECT_EQ(r.status, 2);
  r = Cli({"feedback", "--content-file", dir.file("report.txt"), "--subject"}, "");
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(server.MailArrived(1));
}

}  // namespace
}  // namespace tarnwick::test
