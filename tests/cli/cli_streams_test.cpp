// "-" for standard input and output, and verify's difference lines.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

TEST_F(CliFlow, ReadDashWritesTheWholeChipToStandardOutputAndNothingElse) {
  const CliRun r = Cli({"read", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.size(), 8u << 20);
  EXPECT_TRUE(r.out == Chip()) << "standard output holds exactly the chip";
  EXPECT_NE(r.err.find(texts.itext(itext::kReadComplete)), std::string::npos)
      << "status lines stay on standard error";
}

TEST_F(CliFlow, AReaderThatStopsEarlyFailsTheReadWithAWord) {
  const std::string cmd =
      "bash -c " +
      Quote(Quote(std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli") +
            " --simulate --base-dir " + Quote(dir.base()) + " read - 2>" +
            Quote(dir.file("err.txt")) + " | head -c 16 >/dev/null; exit ${PIPESTATUS[0]}");
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_NE(dir.Read("err.txt").find("standard output took"), std::string::npos)
      << dir.Read("err.txt");
}

TEST_F(CliFlow, ProgramVerifyAndAutoTakeTheImageFromStandardInput) {
  const std::string image = RandomFile("img.bin", 3000);
  CliRun r = Cli({"auto", "-", "-y"}, "--simulate", image);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Chip().substr(0, 3000), dir.Read("img.bin"));
  r = Cli({"verify", "-"}, "--simulate", image);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  ASSERT_EQ(Cli({"erase"}).status, 0);
  r = Cli({"program", "-"}, "--simulate", image);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Chip().substr(0, 3000), dir.Read("img.bin"));
  r = Cli({"program", "-"}, "--simulate", "/dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("standard input held no data"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "cli-work")) << "the kept input is removed";
}

TEST_F(CliFlow, VerifyPrintsTheFirstDifferencesAndTheirCountWithoutAsking) {
  RandomFile("img.bin", 4096);
  std::string image = dir.Read("img.bin");
  ASSERT_EQ(Cli({"auto", dir.file("img.bin"), "-y"}).status, 0);
  const std::string chip = Chip();
  for (std::size_t at : {0x10u, 0x200u, 0xFFFu}) image[at] = static_cast<char>(~image[at]);
  dir.Write("changed.bin", image);
  auto hex = [](unsigned char c) {
    char b[3];
    std::snprintf(b, sizeof b, "%02X", c);
    return std::string(b);
  };
  CliRun r = Cli({"verify", dir.file("changed.bin"), "--max-diffs", "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "000010: file " + hex(image[0x10]) + " chip " + hex(chip[0x10]) +
                       "\n000200: file " + hex(image[0x200]) + " chip " + hex(chip[0x200]) +
                       "\n3 differences\n");
  EXPECT_EQ(r.err.find(texts.itext(itext::kVerifyDifferenceChoices)), std::string::npos)
      << "the window's question is not printed";
  r = Cli({"verify", dir.file("changed.bin")});
  EXPECT_NE(r.out.find("000FFF: file "), std::string::npos) << r.out;
  EXPECT_EQ(Cli({"verify", dir.file("img.bin"), "--max-diffs", "x"}).status, 2);
}

}  // namespace
}  // namespace tarnwick
