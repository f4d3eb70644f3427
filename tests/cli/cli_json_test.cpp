// --json: every command answers with one JSON object on standard output that
// a JSON parser takes, with the exit status the process ends with.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "support/http_test_server.h"
#include "support/smtp_test_server.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

// The one object standard output holds; fails the test when it is not one.
nlohmann::json OneObject(const CliRun& r, const std::string& what) {
  nlohmann::json parsed;
  try {
    // Lines before the last (batch: one per chip) are objects of their own.
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      parsed = nlohmann::json::parse(line);
      EXPECT_TRUE(parsed.is_object()) << what << ": " << line;
    }
  } catch (const nlohmann::json::exception& e) {
    ADD_FAILURE() << what << ": not JSON (" << e.what() << "): " << r.out;
    return nlohmann::json::object();
  }
  EXPECT_TRUE(parsed.is_object()) << what << ": " << r.out;
  EXPECT_EQ(parsed.value("exit", -1), r.status) << what << ": " << r.out;
  if (r.status != 0) {
    EXPECT_TRUE(parsed.contains("error")) << what << ": " << r.out;
  }
  return parsed;
}

// The table's rows as --json help gives them: name and argument counts.
struct TableRow {
  std::string name;
  std::size_t minArgs = 0;
  std::size_t maxArgs = 0;
};

// Every command of the table through the real program, with a mail server
// and an update server for the commands that reach them.
class CliJsonWalk : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    std::filesystem::create_directory(dir.path() / "http");
    http = std::make_unique<test::HttpTestServer>(dir.path() / "http");
    ASSERT_NE(http->port(), 0) << "the HTTP test server did not start";
    ASSERT_NE(smtp.port(), 0) << "the SMTP test server did not start";
    http->Serve({0x24, 0x25});
    dir.Write("services.ini",
              "[mail]\nserver = 127.0.0.1\nport = " + std::to_string(smtp.port()) + "\nlogin = " +
                  test::SmtpTestServer::kLogin + "\npassword = " + test::SmtpTestServer::kPassword +
                  "\nsupport = support@example.org\n[update]\nhost=" + http->host() + "\n");
    ::chmod(dir.file("services.ini").c_str(), 0600);
  }

  std::vector<TableRow> Table() {
    const CliRun r = Cli({"--json", "help"}, "");
    std::vector<TableRow> rows;
    const nlohmann::json report = OneObject(r, "help");
    for (const nlohmann::json& c : report.value("commands", nlohmann::json::array())) {
      rows.push_back({c.value("name", ""), c.value("min_args", std::size_t{0}),
                      c.value("max_args", std::size_t{0})});
    }
    return rows;
  }

  std::unique_ptr<test::HttpTestServer> http;
  test::SmtpTestServer smtp;
};

using Check = std::function<void(const nlohmann::json&)>;

struct JsonCase {
  std::vector<std::string> words;
  Check check;
};

TEST_F(CliJsonWalk, EveryCommandOfTheTableGivesItsFiguresAsFields) {
  RandomFile("in.bin", 64);
  const std::string in = dir.file("in.bin");
  dir.Write("hits.bin", std::string("\x00\xAA\x00\x00\xAA\xAA", 6));
  const std::map<std::string, JsonCase> cases = {
      {"detect",
       {{},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("chip", ""), "25 SPI FLASH/EON/EN25Q64");
        }}},
      {"chips",
       {{"--search", "en25q64"},
        [](const nlohmann::json& j) {
          ASSERT_TRUE(j["chips"].is_array() && !j["chips"].empty()) << j;
          const nlohmann::json& first = j["chips"][0];
          EXPECT_EQ(first.value("chip", ""), "25 SPI FLASH/EON/EN25Q64");
          EXPECT_EQ(first.value("id", ""), "1C3017");
          EXPECT_FALSE(first.value("size", "").empty());
          EXPECT_FALSE(first.value("voltage", "").empty());
          EXPECT_EQ(j.value("count", 0u), j["chips"].size());
        }}},
      {"read",
       {{dir.file("copy.bin")},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("bytes", 0u), 8u << 20);
          EXPECT_FALSE(j.value("chip_checksum", "").empty());
        }}},
      {"erase",
       {{},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("chip", ""), "25 SPI FLASH/EON/EN25Q64");
          EXPECT_FALSE(j.value("status", "").empty());
        }}},
      {"blank", {{}, [](const nlohmann::json& j) { EXPECT_FALSE(j.value("status", "").empty()); }}},
      {"program",
       {{in}, [](const nlohmann::json& j) { EXPECT_EQ(j.value("file_bytes", 0u), 64u); }}},
      {"verify",
       {{in}, [](const nlohmann::json& j) { EXPECT_EQ(j.value("file_bytes", 0u), 64u); }}},
      {"auto", {{in}, [](const nlohmann::json& j) { EXPECT_EQ(j.value("file_bytes", 0u), 64u); }}},
      {"batch",
       {{"--mode", "repeat", "--master", in, "--chips", "1", "--wait-timeout", "1"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("chips_started", 0), 1);
          EXPECT_EQ(j.value("chips_done", 0), 1);
          EXPECT_TRUE(j["count"].is_number());
        }}},
      {"otp",
       {{"detect"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("operation", ""), "detect");
          ASSERT_TRUE(j["area"].is_object()) << j;
          EXPECT_GT(j["area"].value("size", 0), 0);
          EXPECT_EQ(j["area"].value("state", ""), "writable");
          EXPECT_TRUE(j["bytes"].is_number());
          EXPECT_TRUE(j["outcome"].is_string());
        }}},
      {"fill",
       {{"0", "16", "AA"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("start", 1u), 0u);
          EXPECT_EQ(j.value("length", 0u), 16u);
          EXPECT_EQ(j.value("value", ""), "AA");
          EXPECT_FALSE(j.value("outcome", "").empty());
        }}},
      {"peek",
       {{"0"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("address", ""), "0");
          EXPECT_FALSE(j.value("value", "").empty());
        }}},
      {"find",
       {{"AA", dir.file("hits.bin")},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("pattern", ""), "AA");
          EXPECT_EQ(j["offsets"], nlohmann::json::array({1, 4, 5}));
          EXPECT_EQ(j.value("count", 0), 3);
        }}},
      {"merge",
       {{dir.file("merged.bin"), in, in},
        [&](const nlohmann::json& j) {
          EXPECT_EQ(j["files"], nlohmann::json::array({dir.file("merged.bin")}));
        }}},
      {"split",
       {{in, "16"}, [](const nlohmann::json& j) { EXPECT_EQ(j["files"].size(), 2u) << j; }}},
      {"firmware",
       {{"version"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("action", ""), "version");
          EXPECT_EQ(j.value("serial", ""), "074565");
          EXPECT_EQ(j.value("box_version", ""), "V3.3");
        }}},
      {"settings",
       {{},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j["settings"].size(), 5u) << j;
          EXPECT_TRUE(j["settings"]["auto-identify"].is_boolean()) << j;
        }}},
      {"feedback",
       {{"--subject", "s", "--contact", "c", "--content-file", in},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("sent", false), true);
          EXPECT_EQ(j.value("server", ""), "127.0.0.1");
        }}},
      {"check-update",
       {{},
        [&](const nlohmann::json& j) {
          EXPECT_EQ(j["program"].value("current", ""), "2.3") << j;
          EXPECT_EQ(j["program"].value("latest", ""), "2.4") << j;
          EXPECT_EQ(j["firmware"].value("latest", ""), "2.5") << j;
          EXPECT_NE(j.value("url", "").find(http->host()), std::string::npos);
        }}},
      {"completion",
       {{"bash"},
        [](const nlohmann::json& j) {
          EXPECT_EQ(j.value("shell", ""), "bash");
          EXPECT_NE(j.value("script", "").find("complete"), std::string::npos);
        }}},
      {"devices",
       {{},
        [](const nlohmann::json& j) {
          ASSERT_EQ(j["devices"].size(), 1u) << j;
          EXPECT_EQ(j["devices"][0].value("serial", ""), "074565");
        }}},
      {"help", {{}, [](const nlohmann::json& j) { EXPECT_FALSE(j["commands"].empty()); }}},
  };
  const std::vector<TableRow> table = Table();
  ASSERT_GT(table.size(), 10u);
  for (const TableRow& row : table) {
    SCOPED_TRACE(row.name);
    const auto found = cases.find(row.name);
    if (found == cases.end()) {
      ADD_FAILURE() << row.name << " is in the command table but has no JSON case here";
      continue;
    }
    std::vector<std::string> args = {"--json", "-y", row.name};
    args.insert(args.end(), found->second.words.begin(), found->second.words.end());
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const nlohmann::json report = OneObject(r, row.name);
    EXPECT_EQ(report.value("command", ""), row.name) << r.out;
    EXPECT_EQ(report.value("result", ""), "ok") << r.out;
    found->second.check(report);
  }
}

TEST_F(CliJsonWalk, EveryCommandOfTheTableGivenWrongWordsAnswersErrorAndExitTwo) {
  const std::vector<TableRow> table = Table();
  ASSERT_GT(table.size(), 10u);
  for (const TableRow& row : table) {
    SCOPED_TRACE(row.name);
    // Too few words where the command needs some, one too many otherwise.
    std::vector<std::string> args = {"--json", row.name};
    if (row.minArgs == 0) args.insert(args.end(), row.maxArgs + 1, "extra");
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, 2) << r.err;
    const nlohmann::json report = OneObject(r, row.name);
    EXPECT_EQ(report.value("exit", -1), 2) << r.out;
    EXPECT_FALSE(report.value("error", "").empty()) << r.out;
  }
}

TEST_F(CliFlow, JsonCarriesTheFiguresOfDetectAndTheChipOperations) {
  CliRun r = Cli({"detect", "--json"});
  nlohmann::json report = OneObject(r, "detect");
  EXPECT_EQ(report.value("chip", ""), "25 SPI FLASH/EON/EN25Q64");
  EXPECT_EQ(report.value("id", ""), "1C3017");
  EXPECT_TRUE(report["candidates"].is_array());
  EXPECT_EQ(report.value("adapter", true), false);
  r = Cli({"detect", "--json"},
          "--simulate=" + std::string(TARNWICK_SOURCE_DIR) + "/resources/sim/adapter_box.box");
  report = OneObject(r, "detect with the adapter");
  EXPECT_EQ(report.value("adapter", false), true);
  EXPECT_EQ(report["candidates"].size(), 2u) << r.out;

  const std::string image = RandomFile("img.bin", 1024);
  r = Cli({"auto", image, "-y", "--json"});
  report = OneObject(r, "auto");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(report.value("bytes", 0u), 8u << 20);
  EXPECT_EQ(report.value("file_bytes", 0u), 1024u);
  EXPECT_TRUE(report["seconds"].is_number());
  EXPECT_EQ(report.value("result", ""), "ok");

  std::string changed = dir.Read("img.bin");
  changed[5] = static_cast<char>(~changed[5]);
  dir.Write("changed.bin", changed);
  r = Cli({"verify", dir.file("changed.bin"), "--json"});
  report = OneObject(r, "verify");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(report.value("difference_count", 0u), 1u);
  ASSERT_EQ(report["differences"].size(), 1u) << r.out;
  EXPECT_EQ(report["differences"][0].value("address", 0u), 5u);
}

TEST_F(CliFlow, JsonBatchGivesALinePerChipThenTheRunsObject) {
  const std::string master = RandomFile("master.bin", 100);
  const CliRun r =
      Cli({"--json", "-y", "batch", "--mode", "repeat", "--master", master, "--chips", "1"});
  std::istringstream lines(r.out);
  std::vector<nlohmann::json> objects;
  for (std::string line; std::getline(lines, line);) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 2u) << r.out;
  EXPECT_EQ(objects[0].value("chip", 0), 1);
  EXPECT_EQ(objects[0].value("steps", ""), "erase+program+verify");
  EXPECT_EQ(objects[1].value("command", ""), "batch");
  EXPECT_EQ(objects[1].value("exit", -1), r.status);
}

TEST_F(CliFlow, JsonErrorsCarryTheReasonAndTheExitStatus) {
  dir.Write("gone.box", std::string("[box]\npresent = no\n"));
  for (const auto& [args, status] : std::vector<std::pair<std::vector<std::string>, int>>{
           {{"--json", "frobnicate"}, 2},
           {{"--json", "read", "-"}, 2},
           {{"--json", "-c", "nope", "erase"}, 2}}) {
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, status) << args[1];
    OneObject(r, args[1]);
  }
  const CliRun r = Cli({"--json", "erase"}, "--simulate=" + dir.file("gone.box"));
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(OneObject(r, "no box").value("error", ""), texts.itext(34));
}

TEST_F(CliJsonWalk, FailuresSaidInALogOrMessagesGiveThatReasonAsTheError) {
  // A missing .tfw: the check's own line.
  CliRun r = Cli({"--json", "firmware", "check", dir.file("none.tfw")}, "");
  EXPECT_EQ(r.status, 1);
  nlohmann::json report = OneObject(r, "firmware check");
  EXPECT_NE(report.value("error", "").find(dir.file("none.tfw")), std::string::npos) << r.out;
  EXPECT_EQ(report.value("sum_correct", true), false) << r.out;

  // The update document refused: the messages the window would show.
  http->Serve({0x24, 0x25}, 404);
  r = Cli({"--json", "check-update"});
  EXPECT_EQ(r.status, 1);
  report = OneObject(r, "check-update");
  EXPECT_NE(report.value("error", "").find("404"), std::string::npos) << r.out;

  // An OTP area that differs from the file: the OTP log's last line.
  dir.Write("otp.bin", std::string(64, '\x5A'));
  r = Cli({"--json", "otp", "verify", dir.file("otp.bin")});
  EXPECT_EQ(r.status, 1);
  report = OneObject(r, "otp verify");
  const std::string reason = report.value("error", "");
  EXPECT_NE(reason, "the command failed") << r.out;
  EXPECT_EQ(reason, report.value("outcome", "")) << r.out;
  EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarnwick
