// The update check of a whole session against a real HTTP server on
// 127.0.0.1 (python3 http.server, started by the test) and the virtual box.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "../session/session_fixture.h"
#include "core/app/text_ids.h"
#include "core/services/update/http_status.h"
#include "core/services/update/update_check.h"
#include "core/services/update/update_checker.h"
#include "support/http_test_server.h"

namespace tarnwick::test {
namespace {

using update::UpdateCheckResult;
using update::VersionRows;

// A port on 127.0.0.1 that nothing listens on (bound once, then let go).
int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

class UpdateCheckTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    std::filesystem::create_directory(dir.path() / "http");
    server = std::make_unique<HttpTestServer>(dir.path() / "http");
    ASSERT_NE(server->port(), 0) << "the HTTP test server did not start";
  }

  void UseHost(const std::string& host) {
    std::ofstream(dir.file("services.ini"))
        << "[update]\nhost=" << host << "\n[links]\nweb=http://example.org/\n";
  }

  // A session on a box answering `firmware` to the version query.
  void BootWith(std::uint8_t firmware, bool present = true, bool silent = false) {
    sim::BoxDescription d = DefaultBox();
    d.firmwareVersion = firmware;
    d.present = present;
    d.firmwareSilent = silent;
    Boot(d, true);
    UseHost(server->host());
  }

  VersionRows Rows(const UpdateCheckResult& r) { return update::MakeVersionRows(r, Texts()); }
  std::vector<update::UpdateMessage> Messages(const UpdateCheckResult& r) {
    return r.failure ? update::FailureMessages(*r.failure, Texts())
                     : std::vector<update::UpdateMessage>{};
  }

  std::unique_ptr<HttpTestServer> server;
};

TEST(HttpStatus, EveryClassAndCodeGivesItsMessageUnlessAccepted) {
  using update::CheckHttpStatus;
  const std::pair<unsigned, const char*> refused[] = {
      {0, "未知错误:#0"},         {199, "未知错误:#199"},       {600, "未知错误:#600"},
      {200, "获取成功:#200"},     {299, "获取成功:#299"},       {302, "信息代码:#302"},
      {400, "请求无法解析:#400"}, {404, "请求地址不存在:#404"}, {405, "服务器不支持:#405"},
      {418, "请求错误:#418"},     {500, "未知服务器错误:#500"}, {503, "服务器容量不足:#503"},
      {502, "服务器错误:#502"},   {599, "服务器错误:#599"}};
  for (const auto& [status, text] : refused) {
    // Only the 3xx class accepted: every other code is refused with its text.
    const unsigned accepted =
        (status >= 300 && status < 400) ? update::kAccept2xx : update::kAccept3xx;
    const update::HttpStatusResult r = CheckHttpStatus(status, accepted);
    EXPECT_FALSE(r.accepted) << status;
    EXPECT_EQ(r.message, text) << status;
  }
  for (unsigned status : {200U, 299U, 301U, 404U, 503U}) {
    const unsigned bit = 1U << (status / 100 - 2);
    const update::HttpStatusResult r = CheckHttpStatus(status, bit);
    EXPECT_TRUE(r.accepted) << status;
    EXPECT_EQ(r.message, "") << status;
  }
  // Below 200 is unknown even with every class accepted.
  EXPECT_FALSE(CheckHttpStatus(150, 15).accepted);
}

TEST_F(UpdateCheckTest, TheRecordAndTheBoxByteGiveBothRowsAndTheirVerdicts) {
  BootWith(0x15);
  server->Serve({0x23, 0x25, 0xAA, 0xBB});
  VersionRows r = Rows(session->updateCheck().RunAndWait());
  EXPECT_EQ(r.programCurrent, "2.3");
  EXPECT_EQ(r.programLatest, "2.3");
  EXPECT_EQ(r.programVerdict, I(itext::kProgramCurrent));
  EXPECT_EQ(r.firmwareCurrent, "2.5");
  EXPECT_EQ(r.firmwareLatest, "2.5");
  EXPECT_EQ(r.firmwareVerdict, I(itext::kFirmwareCurrent));

  server->Serve({0x24, 0x26});
  r = Rows(session->updateCheck().RunAndWait());
  EXPECT_EQ(r.programCurrent, "2.3");
  EXPECT_EQ(r.programLatest, "2.4");
  EXPECT_EQ(r.programVerdict, I(itext::kNewerProgram));
  EXPECT_EQ(r.firmwareCurrent, "2.5");
  EXPECT_EQ(r.firmwareLatest, "2.6");
  EXPECT_EQ(r.firmwareVerdict, I(itext::kNewerFirmware));

  // 299 is a success.
  server->Serve({0x2A, 0x14}, 299);
  const UpdateCheckResult at299 = session->updateCheck().RunAndWait();
  ASSERT_FALSE(at299.failure);
  r = Rows(at299);
  EXPECT_EQ(r.programLatest, "2.A");
  EXPECT_EQ(r.firmwareLatest, "1.4");
  EXPECT_EQ(r.firmwareVerdict, I(itext::kFirmwareCurrent));
}

TEST_F(UpdateCheckTest, ACutReplyOrADocumentShorterThanTheRecordIsAFailedCheck) {
  BootWith(0x15);
  // Cut inside the headers, and cut before the announced length.
  for (const std::string& reply :
       {std::string("HTTP/1.1 200 OK\r\nContent-Le"),
        std::string("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n\x24\x26")}) {
    server->ServeRaw(reply);
    const UpdateCheckResult result = session->updateCheck().RunAndWait();
    ASSERT_TRUE(result.failure) << reply;
    EXPECT_EQ(result.failure->kind, update::UpdateFailure::Kind::Transfer);
    const std::vector<update::UpdateMessage> m = Messages(result);
    ASSERT_EQ(m.size(), 2U) << reply;
    EXPECT_FALSE(m[0].text.empty());
    EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));
  }
  for (const std::vector<unsigned char>& body :
       {std::vector<unsigned char>{}, std::vector<unsigned char>{0x24}}) {
    server->Serve(body);
    const std::vector<update::UpdateMessage> m = Messages(session->updateCheck().RunAndWait());
    ASSERT_EQ(m.size(), 2U) << body.size();
    EXPECT_EQ(m[0].text, update::kShortDocumentText);
    EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));
    EXPECT_EQ(m[1].icon, BoxIcon::Warning);
  }
}

TEST_F(UpdateCheckTest, UpToThreeRedirectsAreFollowedAndOnlyToHttp) {
  BootWith(0x15);
  server->Serve({0x24, 0x26});
  server->Redirect(3);
  UpdateCheckResult result = session->updateCheck().RunAndWait();
  ASSERT_FALSE(result.failure) << result.failure->text;
  EXPECT_EQ(Rows(result).programLatest, "2.4");
  EXPECT_EQ(Rows(result).firmwareLatest, "2.6");

  server->Redirect(4);
  std::vector<update::UpdateMessage> m = Messages(session->updateCheck().RunAndWait());
  ASSERT_EQ(m.size(), 2U);
  EXPECT_NE(m[0].text.find("redirects"), std::string::npos) << m[0].text;
  EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));

  // The document's own bytes, offered as a local file, are not read.
  server->Serve({0x24, 0x26});
  server->RedirectTo("file://" + dir.file("http/body"));
  m = Messages(session->updateCheck().RunAndWait());
  ASSERT_EQ(m.size(), 2U);
  EXPECT_NE(m[0].text.find("file"), std::string::npos) << m[0].text;
  EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));
}

TEST_F(UpdateCheckTest, TheHostMayStartWithHttpOrHttpsButNameNothingElse) {
  BootWith(0x15);
  server->Serve({0x24, 0x26});
  UseHost("http://" + server->host() + "/");
  UpdateCheckResult result = session->updateCheck().RunAndWait();
  ASSERT_FALSE(result.failure) << result.failure->text;
  EXPECT_EQ(Rows(result).programLatest, "2.4");

  // https is spoken: the plain server does not understand it.
  UseHost("HTTPS://" + server->host());
  result = session->updateCheck().RunAndWait();
  ASSERT_TRUE(result.failure);
  EXPECT_EQ(result.failure->kind, update::UpdateFailure::Kind::Transfer);
  EXPECT_EQ(Messages(result).size(), 2U);

  for (const std::string& host :
       {"ftp://" + server->host(), std::string("http://"), "http://a@" + server->host(),
        "http://" + server->host() + "/x", server->host() + "/"}) {
    UseHost(host);
    const std::vector<update::UpdateMessage> m = Messages(session->updateCheck().RunAndWait());
    ASSERT_EQ(m.size(), 1U) << host;
    EXPECT_EQ(m[0].text, I(itext::kUpdateCheckFailed));
  }
}

TEST_F(UpdateCheckTest, NoUsableFirmwareAnswerShowsNullWhileTheProgramRowIsFilled) {
  struct Case {
    std::uint8_t firmware;
    bool present;
    bool silent;
  };
  for (const Case c : {Case{0xFF, true, false}, Case{0x15, false, false}, Case{0x15, true, true}}) {
    if (session) session->Exit();
    session.reset();  // before its box goes
    BootWith(c.firmware, c.present, c.silent);
    server->Serve({0x24, 0x26});
    const UpdateCheckResult result = session->updateCheck().RunAndWait();
    ASSERT_FALSE(result.failure);
    const VersionRows r = Rows(result);
    EXPECT_EQ(r.programLatest, "2.4") << int(c.firmware) << c.present << c.silent;
    EXPECT_EQ(r.programVerdict, I(itext::kNewerProgram));
    EXPECT_EQ(r.firmwareCurrent, "NULL") << int(c.firmware) << c.present << c.silent;
    EXPECT_EQ(r.firmwareVerdict, "NULL");
    EXPECT_EQ(r.firmwareLatest, "2.6");
    // No box is shown on the way.
    EXPECT_TRUE(surface.Boxes().empty());
  }
}

TEST_F(UpdateCheckTest, ARefusedStatusOrNoServerGivesItsTextThenTheFailureAndNoRows) {
  BootWith(0x15);
  server->Serve({0x24, 0x26}, 404);
  std::vector<update::UpdateMessage> m = Messages(session->updateCheck().RunAndWait());
  ASSERT_EQ(m.size(), 2U);
  EXPECT_EQ(m[0].text, "请求地址不存在:#404");
  EXPECT_EQ(m[0].caption, "");  // the program's title
  EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));
  EXPECT_EQ(m[1].caption, I(itext::kError));
  EXPECT_EQ(m[1].icon, BoxIcon::Warning);

  // Nothing listens: the library's own text, at most 100 characters, then the failure.
  UseHost("127.0.0.1:" + std::to_string(FreePort()));
  m = Messages(session->updateCheck().RunAndWait());
  ASSERT_EQ(m.size(), 2U);
  EXPECT_FALSE(m[0].text.empty());
  EXPECT_LE(m[0].text.size(), 100U);
  EXPECT_NE(m[0].text.find("onnect"), std::string::npos) << m[0].text;
  EXPECT_EQ(m[1].text, I(itext::kUpdateCheckFailed));

  // No host configured: only the failure.
  UseHost("");
  m = Messages(session->updateCheck().RunAndWait());
  ASSERT_EQ(m.size(), 1U);
  EXPECT_EQ(m[0].text, I(itext::kUpdateCheckFailed));
}

TEST_F(UpdateCheckTest, TheCheckRunsBesideTheCallerAndGreysItsItemMeanwhile) {
  BootWith(0x15);
  server->Serve({0x23, 0x25});
  std::atomic<bool> done{false};
  std::thread::id where;
  UpdateCheckResult got;
  ASSERT_TRUE(session->updateCheck().Start([&](const UpdateCheckResult& r) {
    got = r;
    where = std::this_thread::get_id();
    done = true;
  }));
  EXPECT_FALSE(surface.Enabled(ids::kCheckUpdate));
  // A second check while the first runs is refused.
  EXPECT_FALSE(session->updateCheck().Start({}));
  for (int i = 0; i < 10000 && !done; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(done.load());
  EXPECT_NE(where, std::this_thread::get_id());
  EXPECT_EQ(Rows(got).firmwareCurrent, "2.5");
  EXPECT_TRUE(surface.Enabled(ids::kCheckUpdate));
  // The worker still takes jobs afterwards: the link was given back.
  EXPECT_TRUE(Run(Job::FirmwareVersion));
}

TEST_F(UpdateCheckTest, ASessionEndsAtOnceWhileTheServerNeverAnswers) {
  // A listening socket that never accepts: the request waits for ever.
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(s, 4), 0);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  BootWith(0x15);
  UseHost("127.0.0.1:" + std::to_string(ntohs(a.sin_port)));
  auto reported = std::make_shared<std::atomic<bool>>(false);
  ASSERT_TRUE(
      session->updateCheck().Start([reported](const UpdateCheckResult&) { *reported = true; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto start = std::chrono::steady_clock::now();
  session->Exit();
  session.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  // The detached check notices the cancel and reports to nobody.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(reported->load());
  ::close(s);
}

}  // namespace
}  // namespace tarnwick::test
