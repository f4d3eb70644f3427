// services.ini: the keys of the three sections, comments, and files that
// are missing, damaged or no file at all.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/services/services_config.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

TEST(ServicesConfig, EveryKeyIsReadAndCommentsAreDropped) {
  std::string problem;
  const ServicesConfig c = ParseServicesConfig(
      "[mail]\r\nserver = smtp.example.org     ; host name\r\nport = 0\nlogin = a@example.org\n"
      "password = p;w#1 ; the ; inside stays\nsupport = s@example.org\nx_mailer = TWK\n"
      "# a comment line\n[update]\nhost = www.example.org:8080\n[LINKS]\n"
      "Web = http://www.example.org/#top\ncontact = c@example.org\n",
      "services.ini", problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(c.mail.server, "smtp.example.org");
  EXPECT_EQ(c.mail.port, 0);
  EXPECT_EQ(c.mail.login, "a@example.org");
  EXPECT_EQ(c.mail.password, "p;w#1");
  EXPECT_EQ(c.mail.support, "s@example.org");
  EXPECT_EQ(c.mail.xMailer, "TWK");
  EXPECT_EQ(c.update.host, "www.example.org:8080");
  EXPECT_EQ(c.links.web, "http://www.example.org/#top");
  EXPECT_EQ(c.links.contact, "c@example.org");
}

TEST(ServicesConfig, AQuotedValueKeepsEveryCharacterAndTlsHasItsFourWords) {
  std::string problem;
  const ServicesConfig c = ParseServicesConfig(
      "[mail]\npassword = \"pa;ss #word\"   ; comment\nlogin = \" a \\\"b\\\" \\\\ \"\n"
      "ca_file = \"/etc/ssl/my ca.pem\" # ours\ntls = StartTLS\nx_mailer = \"\"\n",
      "services.ini", problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(c.mail.password, "pa;ss #word");
  EXPECT_EQ(c.mail.login, " a \"b\" \\ ");
  EXPECT_EQ(c.mail.caFile, "/etc/ssl/my ca.pem");
  EXPECT_EQ(c.mail.tls, MailTls::StartTls);
  EXPECT_EQ(c.mail.xMailer, "");
  for (const auto& [word, tls] : {std::pair{"auto", MailTls::Auto}, std::pair{"off", MailTls::Off},
                                  std::pair{"implicit", MailTls::Implicit}}) {
    EXPECT_EQ(ParseServicesConfig(std::string("[mail]\ntls = ") + word, "s", problem).mail.tls,
              tls);
  }
  EXPECT_EQ(ServicesConfig{}.mail.tls, MailTls::Auto);
}

TEST(ServicesConfig, BadLinesAreNamedAndOddFilesRefused) {
  std::string problem;
  for (const char* text :
       {"[mail]\nport = 70000\n", "[mail]\nserverx = a\n", "server = a\n", "[mail\n", "[other]\n",
        "[mail]\njust words\n", "[mail]\npassword = \"open\n", "[mail]\npassword = \"a\"b\n",
        "[mail]\ntls = sometimes\n", "[mail]\nsupport = \"a\rBcc: b\"\n",
        "[mail]\nx_mailer = a\x01\n"}) {
    ParseServicesConfig(text, "s.ini", problem);
    EXPECT_EQ(problem.rfind("s.ini: line ", 0), 0u) << text << " -> " << problem;
  }
  test::TempDir dir;
  const ServicesConfig missing = LoadServicesConfig(dir.file("services.ini"), problem);
  EXPECT_EQ(problem, "") << "no file: every service takes its failure path quietly";
  EXPECT_EQ(missing.mail.server, "");
  EXPECT_EQ(missing.mail.port, 25);
  ASSERT_EQ(::mkfifo(dir.file("fifo.ini").c_str(), 0644), 0);
  LoadServicesConfig(dir.file("fifo.ini"), problem);
  EXPECT_NE(problem.find("not a regular file"), std::string::npos) << problem;
  LoadServicesConfig(dir.path().string(), problem);
  EXPECT_NE(problem.find("not a regular file"), std::string::npos) << problem;
  dir.Write("services.ini", std::string("[update]\nhost = h\n"));
  EXPECT_EQ(LoadServicesConfig(dir.file("services.ini"), problem).update.host, "h");
  EXPECT_EQ(problem, "");
}

TEST(ServicesConfig, APasswordFileOthersCanReadIsWarnedAbout) {
  test::TempDir dir;
  const std::string path = dir.file("services.ini");
  std::string problem;
  dir.Write("services.ini", std::string("[mail]\npassword = \"p\"\n"));
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  const std::string warning = ServicesPasswordWarning(path, LoadServicesConfig(path, problem));
  EXPECT_NE(warning.find("other users can read it"), std::string::npos) << warning;
  EXPECT_EQ(warning.rfind(path, 0), 0u) << warning;
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(ServicesPasswordWarning(path, LoadServicesConfig(path, problem)), "");
  dir.Write("services.ini", std::string("[update]\nhost = h\n"));
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(ServicesPasswordWarning(path, LoadServicesConfig(path, problem)), "")
      << "no password, nothing to hide";
}

}  // namespace
}  // namespace tarnwick
