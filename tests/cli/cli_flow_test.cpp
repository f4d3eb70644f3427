// tarnwick-cli against the virtual box, as a production line would run it:
// a real process, real files, the exit status and what it prints.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/app/text_table.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CliFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path portable = TARNWICK_PORTABLE_DIR;
    for (const char* f : {"ftext.ini", "itext.ini", "database.dat"}) {
      fs::copy_file(portable / f, dir.path() / f);
    }
    texts.LoadFtext(dir.file("ftext.ini"));
    texts.LoadItext(dir.file("itext.ini"));
  }

  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }

  CliRun Cli(const std::vector<std::string>& args, const std::string& simulate = "--simulate") {
    std::string cmd = Quote(std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli");
    if (!simulate.empty()) cmd += " " + Quote(simulate);
    cmd += " --base-dir " + Quote(dir.base());
    for (const std::string& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(dir.file("out.txt")) + " 2>" + Quote(dir.file("err.txt")) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = dir.Read("out.txt");
    r.err = dir.Read("err.txt");
    return r;
  }

  std::string Chip() const { return dir.Read("en25q64.bin"); }

  std::string RandomFile(const std::string& name, std::size_t size, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    dir.Write(name, bytes);
    return dir.file(name);
  }

  test::TempDir dir;
  TextTable texts;
};

TEST_F(CliFlow, DetectPrintsTheChipTheWayTheLogLineDoes) {
  const CliRun r = Cli({"detect"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "25 SPI FLASH : EON : EN25Q64 : 64Mbits/8Mbytes\n");
  EXPECT_NE(r.err.find(texts.itext(73)), std::string::npos);
}

TEST_F(CliFlow, ChipsListsTheCatalogueLevels) {
  CliRun r = Cli({"chips"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("25 SPI FLASH\n", 0), 0u) << r.out;
  r = Cli({"chips", "25 SPI FLASH", "EON"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("EN25Q64\n"), std::string::npos);
  r = Cli({"chips", "NO SUCH TYPE"});
  EXPECT_NE(r.status, 0);
}

TEST_F(CliFlow, AutoProgramLeavesExactlyTheImageOnAnErasedChip) {
  const std::string file = RandomFile("image.bin", 4096);
  const CliRun r = Cli({"auto", file});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chip = Chip();
  ASSERT_EQ(chip.size(), 8u << 20);
  EXPECT_EQ(chip.substr(0, 4096), dir.Read("image.bin"));
  EXPECT_EQ(chip.find_first_not_of('\xFF', 4096), std::string::npos);
  EXPECT_NE(r.err.find(texts.itext(87)), std::string::npos);  // verify passed

  EXPECT_EQ(Cli({"verify", file}).status, 0);
}

TEST_F(CliFlow, ProgrammingWithoutEraseFailsVerification) {
  const std::string file = RandomFile("image.bin", 8192);
  ASSERT_EQ(Cli({"program", file}).status, 0);
  const CliRun r = Cli({"--yes", "verify", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(84)), std::string::npos) << r.err;
}

TEST_F(CliFlow, ReadSavesTheWholeChip) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // creates the chip with its pattern
  const CliRun r = Cli({"read", dir.file("copy.bin")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.Read("copy.bin"), Chip());
}

TEST_F(CliFlow, BlankCheckFailsOnDataAndPassesAfterErase) {
  CliRun r = Cli({"blank"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(64)), std::string::npos);
  EXPECT_EQ(Cli({"erase"}).status, 0);
  r = Cli({"blank"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliFlow, AMissingBoxIsReportedAndFails) {
  dir.Write("gone.box", std::string("[box]\npresent = no\n"));
  CliRun r = Cli({"detect"}, "--simulate=" + dir.file("gone.box"));
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find(texts.itext(34)), std::string::npos);
  r = Cli({"erase"}, "--simulate=" + dir.file("gone.box"));
  EXPECT_EQ(r.status, 1);
}

TEST_F(CliFlow, AQuestionFailsTheCommandUnlessAnsweredYes) {
  // One byte more than the 8 MiB chip holds: programming asks first.
  const std::string file = RandomFile("big.bin", (8u << 20) + 1);
  CliRun r = Cli({"program", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--yes"), std::string::npos);
  r = Cli({"--yes", "program", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(texts.itext(190)), std::string::npos);
}

TEST_F(CliFlow, ChipChosenByNameAndUsageMistakes) {
  CliRun r = Cli({"--chip", "25 SPI FLASH/EON/NOPE", "erase"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"frobnicate"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"read"});
  EXPECT_EQ(r.status, 2);
  r = Cli({"--no-detect", "--chip", "25 SPI FLASH/EON/EN25Q64", "blank"});
  EXPECT_EQ(r.status, 1);  // the pattern is data, and no detection ran first
  EXPECT_EQ(r.err.find(texts.itext(73)), std::string::npos);
}

TEST_F(CliFlow, HelpListsEveryCommandFromTheTable) {
  const CliRun r = Cli({"help"}, "");
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"detect", "chips", "read FILE", "erase", "blank", "program FILE",
                           "verify FILE", "auto FILE", "help"}) {
    EXPECT_NE(r.out.find(std::string("  ") + word), std::string::npos) << word;
  }
}

TEST_F(CliFlow, NoCatalogueRecordMeansNoWork) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // the chip with its pattern
  const std::string before = Chip();
  fs::remove(dir.path() / "database.dat");
  CliRun r = Cli({"erase"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(texts.itext(82)), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "nothing was erased";
  r = Cli({"read", dir.file("copy.bin")});
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(fs::exists(dir.file("copy.bin")));
  EXPECT_NE(Cli({"blank"}).status, 0);
}

TEST_F(CliFlow, NoDetectNeedsAChipAndAChipMustMatchTheSocket) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string before = Chip();
  CliRun r = Cli({"--no-detect", "erase"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--chip"), std::string::npos);
  r = Cli({"--chip", "25 SPI FLASH/WINBOND/W25Q64FV", "erase"});
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_NE(r.err.find("--chip '25 SPI FLASH/EON/EN25Q64'"), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "stopped before touching the chip";
  r = Cli({"--chip", "25 SPI FLASH/EON/EN25Q64", "erase"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliFlow, ReadRefusesTargetsThatCannotHoldTheChip) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  fs::create_directory(dir.path() / "adir");
  dir.Write("locked.bin", std::string("keep"));
  fs::permissions(dir.path() / "locked.bin", fs::perms::owner_read);
  const std::string catalogueBefore = dir.Read("database.dat");
  for (const std::string& target :
       {dir.file("adir"), std::string("/dev/full"), dir.file("database.dat"),
        dir.file("h_ven1.dll"), dir.file("en25q64.bin"), dir.file("locked.bin")}) {
    const CliRun r = Cli({"read", target});
    EXPECT_NE(r.status, 0) << target;
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << target << ": " << r.err;
  }
  EXPECT_TRUE(dir.Read("database.dat") == catalogueBefore);
  EXPECT_EQ(dir.Read("locked.bin"), "keep");
  // A good target gets the whole chip and no .part is left behind.
  dir.Write("old.bin", std::string("previous contents"));
  const CliRun r = Cli({"read", dir.file("old.bin")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(dir.Read("old.bin") == Chip());
  EXPECT_FALSE(fs::exists(dir.file("old.bin.part")));
}

TEST_F(CliFlow, AutoAsksAboutATooLargeFileBeforeErasing) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string before = Chip();
  const std::string file = RandomFile("big.bin", (8u << 20) + 1);
  const CliRun r = Cli({"auto", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(texts.itext(58)), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "not erased";
}

TEST_F(CliFlow, SymlinkLoopsAreReportedNotFatal) {
  fs::create_symlink(dir.path() / "loop", dir.path() / "loop");
  std::string cmd = std::string(TARNWICK_PORTABLE_DIR) + "/tarnwick-cli --simulate --base-dir " +
                    dir.file("loop") + " chips >/dev/null 2>&1";
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << "killed by a signal";
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  const CliRun r = Cli({"read", dir.file("loop")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

TEST_F(CliFlow, FifosInPlaceOfFilesAreRefusedNotWaitedOn) {
  ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(dir.file("pipe.box").c_str(), 0644), 0);
  // `timeout` turns a hang into a failure instead of a stuck test run.
  auto run = [&](const std::string& args) {
    const std::string cmd = "timeout 30 " + std::string(TARNWICK_PORTABLE_DIR) +
                            "/tarnwick-cli --base-dir " + dir.base() + " " + args +
                            " >/dev/null 2>" + dir.file("err.txt") + " </dev/null";
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run("--simulate=" + dir.file("pipe.box") + " detect"), 2);
  EXPECT_NE(dir.Read("err.txt").find("not a regular file"), std::string::npos)
      << dir.Read("err.txt");
  EXPECT_EQ(run("--simulate=/dev/zero detect"), 2);
  EXPECT_EQ(run("--simulate --yes program " + dir.file("pipe.bin")), 1);
  fs::remove(dir.path() / "ftext.ini");
  ASSERT_EQ(mkfifo(dir.file("ftext.ini").c_str(), 0644), 0);
  EXPECT_NE(run("--simulate detect"), 124) << "a FIFO text table does not hang the start";
}

}  // namespace
}  // namespace tarnwick
