// --json: every command answers with one JSON object on standard output that
// a JSON parser takes, with the exit status the process ends with.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

std::vector<std::string> CommandNames(const std::string& help) {
  std::vector<std::string> names;
  std::istringstream lines(help);
  bool inCommands = false;
  for (std::string line; std::getline(lines, line);) {
    if (line == "commands:") {
      inCommands = true;
    } else if (inCommands && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return names;
}

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

TEST_F(CliFlow, EveryCommandAnswersJsonWithItsExitStatus) {
  RandomFile("in.bin", 64);
  const std::string in = dir.file("in.bin");
  const std::map<std::string, std::vector<std::string>> words = {
      {"detect", {}},
      {"chips", {"--search", "en25q64"}},
      {"read", {dir.file("copy.bin")}},
      {"erase", {}},
      {"blank", {}},
      {"program", {in}},
      {"verify", {in}},
      {"auto", {in}},
      {"batch", {"--mode", "repeat", "--master", in, "--chips", "1", "--wait-timeout", "1"}},
      {"otp", {"detect"}},
      {"fill", {"0", "16", "AA"}},
      {"peek", {"0"}},
      {"find", {"AA", in}},
      {"merge", {dir.file("merged.bin"), in, in}},
      {"split", {in, "16"}},
      {"firmware", {"version"}},
      {"settings", {}},
      {"feedback", {"--subject", "s", "--contact", "c", "--content-file", in}},
      {"check-update", {}},
      {"completion", {"bash"}},
      {"devices", {}},
      {"help", {}},
  };
  const std::vector<std::string> names = CommandNames(Cli({"help"}, "").out);
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    const auto found = words.find(name);
    if (found == words.end()) {
      ADD_FAILURE() << name << " has no words in this test";
      continue;
    }
    std::vector<std::string> args = {"--json", "-y", name};
    args.insert(args.end(), found->second.begin(), found->second.end());
    const CliRun r = Cli(args);
    const nlohmann::json report = OneObject(r, name);
    EXPECT_EQ(report.value("command", ""), name) << r.out;
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

}  // namespace
}  // namespace tarnwick
