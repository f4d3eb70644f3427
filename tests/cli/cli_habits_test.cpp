// The command line's habits: options anywhere, short forms, --help and
// --version, one exit-status table, a missing box said once, plain ASCII
// outside UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(CliFlow, OptionsStandAnywhereAndDoubleDashEndsThem) {
  const std::string file = RandomFile("img.bin", 4096);
  CliRun r = Cli({"auto", file, "--yes"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Chip().substr(0, 4096), dir.Read("img.bin"));
  r = Cli({"detect", "-c", "en25q64"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = Cli({"-cEN25Q64", "detect"});
  EXPECT_EQ(r.status, 0) << r.err;
  // After "--" an option's word is an argument: detect takes none.
  r = Cli({"--", "detect", "--yes"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("wrong number of arguments for detect"), std::string::npos) << r.err;
  r = Cli({"detect", "--no-such-option"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"--yes=1", "detect"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--yes takes no value"), std::string::npos) << r.err;
}

TEST_F(CliFlow, HelpVersionAndManualListTheOptionsAndTheExitTable) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"detect", "--help"}, {"-h"}, {"help"}}) {
    const std::string word = words.back();
    const CliRun r = Cli(words, "");
    ASSERT_EQ(r.status, 0) << word;
    for (const char* part : {"--chip NAME, -c NAME", "--yes, -y", "--json", "--max-diffs N",
                             "--device BUS:DEVICE|SERIAL", "--version", "  3  the chip refused",
                             "  4  no programmer box", "  6  the chip must be named"}) {
      EXPECT_NE(r.out.find(part), std::string::npos) << word << ": " << part;
    }
  }
  CliRun r = Cli({"--version"}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("tarnwick-cli ", 0), 0u) << r.out;
  r = Cli({"--man"}, "");
  ASSERT_EQ(r.status, 0);
  for (const char* part : {".B \\-\\-chip NAME, \\-c NAME", ".B 3\nthe chip refused",
                           ".B 4\nno programmer box", ".B 5\n", ".B 6\n"}) {
    EXPECT_NE(r.out.find(part), std::string::npos) << part;
  }
  std::ifstream readme(std::string(TARNWICK_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << readme.rdbuf();
  for (const char* row : {"| 3 | the chip refused or did not answer |", "| 4 | no programmer box |",
                          "| 6 | the chip must be named with `--chip` |"}) {
    EXPECT_NE(text.str().find(row), std::string::npos) << row;
  }
}

TEST_F(CliFlow, WithoutABoxEveryBoxCommandGivesFourAndSaysItOnce) {
  dir.Write("gone.box", std::string("[box]\npresent = no\n"));
  const std::string gone = "--simulate=" + dir.file("gone.box");
  const std::string notFound = texts.itext(itext::kBoxNotFound);
  for (const std::vector<std::string>& words : {std::vector<std::string>{"read", dir.file("x.bin")},
                                                {"erase"},
                                                {"detect"},
                                                {"--no-detect", "-c", "en25q64", "blank"}}) {
    const CliRun r = Cli(words, gone);
    EXPECT_EQ(r.status, 4) << words[0] << ": " << r.err;
    EXPECT_EQ(Count(r.err, notFound), 1u) << words[0] << ": " << r.err;
  }
}

TEST_F(CliFlow, TheCheckMarkIsPlainAsciiOutsideAUtf8Locale) {
  const std::string file = RandomFile("img.bin", 256);
  const char* before = std::getenv("LC_ALL");
  const std::string saved = before != nullptr ? before : "";
  setenv("LC_ALL", "C", 1);
  const CliRun plain = Cli({"auto", file, "-y"});
  setenv("LC_ALL", "C.UTF-8", 1);
  const CliRun utf8 = Cli({"auto", file, "-y"});
  if (before != nullptr) {
    setenv("LC_ALL", saved.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.err.find("\xE2\x88\x9A"), std::string::npos) << plain.err;
  EXPECT_NE(plain.err.find("Program OK"), std::string::npos) << plain.err;
  EXPECT_TRUE(std::all_of(plain.err.begin(), plain.err.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  })) << plain.err;
  EXPECT_NE(utf8.err.find("Verify\xE2\x88\x9A"), std::string::npos) << utf8.err;
}

}  // namespace
}  // namespace tarnwick
