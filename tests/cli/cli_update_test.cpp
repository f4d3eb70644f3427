// check-update against a real HTTP server on 127.0.0.1: both rows on
// standard output and 0 when the document was read, the messages on
// standard error and a failure status when it was not.
#include <filesystem>
#include <fstream>

#include "cli_fixture.h"
#include "core/app/text_ids.h"
#include "support/http_test_server.h"

namespace tarnwick::test {
namespace {

class CliUpdate : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    std::filesystem::create_directory(dir.path() / "http");
    server = std::make_unique<HttpTestServer>(dir.path() / "http");
    ASSERT_NE(server->port(), 0) << "the HTTP test server did not start";
    std::ofstream(dir.file("services.ini")) << "[update]\nhost=" << server->host() << "\n";
    std::ofstream(dir.file("box.box")) << "[box]\nfirmware = 0x15\n";
  }
  std::unique_ptr<HttpTestServer> server;
};

TEST_F(CliUpdate, TheDocumentReadPrintsBothRowsAndSucceeds) {
  server->Serve({0x24, 0x25});
  const CliRun r = Cli({"check-update"}, "--simulate=" + dir.file("box.box"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(texts.itext(itext::kVersionSoftwareRow) + "\t2.3\t2.4\t" +
                       texts.itext(itext::kNewerProgram)),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(texts.itext(itext::kVersionFirmwareRow) + "\t2.5\t2.5\t" +
                       texts.itext(itext::kFirmwareCurrent)),
            std::string::npos)
      << r.out;
}

TEST_F(CliUpdate, ARefusedDocumentFailsWithItsMessagesAndNoRows) {
  server->Serve({0x24, 0x25}, 404);
  const CliRun r = Cli({"check-update"}, "--simulate=" + dir.file("box.box"));
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("请求地址不存在:#404"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(texts.itext(itext::kUpdateCheckFailed)), std::string::npos) << r.err;
}

TEST_F(CliUpdate, ARedirectedDocumentIsReadButACutOrShortOneFails) {
  server->Serve({0x24, 0x25});
  server->Redirect(2);
  CliRun r = Cli({"check-update"}, "--simulate=" + dir.file("box.box"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\t2.3\t2.4\t"), std::string::npos) << r.out;

  server->ServeRaw("HTTP/1.1 200 OK\r\nContent-Le");
  r = Cli({"check-update"}, "--simulate=" + dir.file("box.box"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(texts.itext(itext::kUpdateCheckFailed)), std::string::npos) << r.err;

  server->Serve({0x24});
  r = Cli({"check-update"}, "--simulate=" + dir.file("box.box"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(texts.itext(itext::kUpdateCheckFailed)), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarnwick::test
