// tarnwick-cli feedback against a real SMTP server on 127.0.0.1, with the
// account in the base directory's services.ini.
#include <sys/stat.h>

#include "cli_fixture.h"
#include "core/app/text_ids.h"
#include "support/smtp_test_server.h"

namespace tarnwick::test {
namespace {

class CliFeedback : public CliFlow {
 protected:
  void Configure(const std::string& password = SmtpTestServer::kPassword,
                 const std::string& more = "", std::uint16_t port = 0) {
    Write("[mail]\nserver = 127.0.0.1\nport = " + std::to_string(port != 0 ? port : server.port()) +
          "\nlogin = " + SmtpTestServer::kLogin + "\npassword = " + password +
          "\nsupport = support@example.org\nx_mailer = TWK\n" + more);
  }
  // services.ini, readable by its owner only unless `mode` says otherwise.
  void Write(const std::string& text, mode_t mode = 0600) {
    dir.Write("services.ini", text);
    ::chmod(dir.file("services.ini").c_str(), mode);
  }
  CliRun Send(const std::string& subject = "s", const std::string& contact = "me") {
    dir.Write("report.txt", "Verify fails at 0x1000.");
    return Cli({"feedback", "--subject", subject, "--contact", contact, "--content-file",
                dir.file("report.txt")},
               "");
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
  EXPECT_EQ(server.Shown(),
            "Subject: Tarnwick 反馈主题:verify\nFrom: Tarnwick 问题反馈 <sender@example.org>\n"
            "Defects: 0\n\nTarnwick:\r\nVerify fails at 0x1000.\r\n"
            "------------------联系方式-------------------\r\nbob@example.org");
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

TEST_F(CliFeedback, ALineBreakOrControlCharacterInSubjectOrContactIsRefusedWithExit2) {
  ASSERT_NE(server.port(), 0);
  Configure();
  const std::string smuggled =
      "hi\r\n.\r\nMAIL FROM:<x@example.org>\r\nRCPT TO:<victim@example.org>\r\nDATA\r\n"
      "Subject: forged\r\n\r\nforged";
  CliRun r = Send(smuggled);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(
      r.err.rfind("tarnwick-cli: --subject holds a line break or another control character\n", 0),
      0u)
      << r.err;
  r = Send("hi\r\nBcc: victim@example.org");
  EXPECT_EQ(r.status, 2);
  r = Send("s", "me\nBcc: victim@example.org");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--contact"), std::string::npos) << r.err;
  r = Send("s", "tab\there");
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(server.MailArrived(1));
  EXPECT_EQ(server.AuthAttempts(), "");

  r = Send("hi");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(server.MailArrived(1));
  EXPECT_FALSE(server.MailArrived(2));
}

TEST_F(CliFeedback, StartTlsWithTheQuotedCaFileOfServicesIniCarriesTheLogin) {
  SmtpTestServer tls(SmtpTestServer::Mode::StartTls);
  ASSERT_NE(tls.port(), 0);
  Configure(std::string("\"") + SmtpTestServer::kPassword + "\"",
            "tls = starttls\nca_file = \"" + tls.CaFile() + "\"   ; the test's own\n", tls.port());
  const CliRun r = Send("over TLS");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(tls.AuthAttempts(), "LOGIN tls=True\n");
  EXPECT_TRUE(tls.MailArrived(1));

  // The plain server offers no STARTTLS: no login, no mail.
  ASSERT_NE(server.port(), 0);
  Configure(SmtpTestServer::kPassword, "tls = starttls\n");
  EXPECT_EQ(Send().status, 1);
  EXPECT_EQ(server.AuthAttempts(), "");
  EXPECT_FALSE(server.MailArrived(1));
}

TEST_F(CliFeedback, AnUnsetLoginOrABrokenServicesIniSendsNothing) {
  ASSERT_NE(server.port(), 0);
  Write("[mail]\nserver = 127.0.0.1\nport = " + std::to_string(server.port()) +
        "\npassword = x\nsupport = support@example.org\n");
  CliRun r = Send();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, texts.itext(itext::kError) + ":Undefined user login.\n");

  Configure(SmtpTestServer::kPassword, "tls = maybe\n");
  r = Send();
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("services.ini: line 8: tls is auto, starttls, implicit or off"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(server.MailArrived(1));
  EXPECT_EQ(server.AuthAttempts(), "");
}

TEST_F(CliFeedback, APasswordFileOthersCanReadIsWarnedAboutOnStandardError) {
  ASSERT_NE(server.port(), 0);
  Configure();
  ::chmod(dir.file("services.ini").c_str(), 0644);
  CliRun r = Send();
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string warning = "tarnwick-cli: warning: " + dir.file("services.ini") +
                              ": holds the mail password and other users can read it (chmod 600 "
                              "it)\n";
  EXPECT_EQ(r.err, warning);
  ::chmod(dir.file("services.ini").c_str(), 0600);
  r = Send();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace tarnwick::test
