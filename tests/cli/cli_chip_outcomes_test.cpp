// tarnwick-cli's chip operations say "done" only for work done: an empty
// image, a file larger than the chip, an empty socket, a fill value wider
// than the chip's unit and a fill file that ends inside a word each get an
// honest exit status and text; EEPROMs take and give back their image.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"
#include "core/operations/chip/chip_texts.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

class CliChipOutcomes : public CliFlow {
 protected:
  std::string Shipped(const std::string& relative) {
    std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(CliChipOutcomes, AnEmptyImageIsNeitherProgrammedNorVerified) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // the chip with its pattern
  const std::string before = Chip();
  dir.Write("empty.bin", std::string());
  const std::string refusal = "empty.bin: " + texts.itext(itext::kFileEmpty);
  for (const char* command : {"auto", "program", "verify"}) {
    const CliRun r = Cli({command, dir.file("empty.bin")});
    EXPECT_EQ(r.status, 1) << command << ": " << r.err;
    EXPECT_NE(r.err.find(refusal), std::string::npos) << command << ": " << r.err;
    EXPECT_EQ(r.err.find(texts.itext(itext::kAutoDone)), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(texts.itext(itext::kProgramComplete)), std::string::npos) << r.err;
  }
  EXPECT_TRUE(Chip() == before) << "auto did not erase the chip for nothing";
}

TEST_F(CliChipOutcomes, VerifyOfAFileLargerThanTheChipAsksAndNamesThePartLeftOut) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  // The chip's whole content and 16 bytes more: the part that fits agrees.
  dir.Write("big.bin", Chip() + std::string(16, '\x5A'));
  CliRun r = Cli({"verify", dir.file("big.bin")});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(chip_text::kVerifyFileLargerAsk), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(texts.itext(itext::kVerifyOk)), std::string::npos) << "nothing compared";

  r = Cli({"--yes", "verify", dir.file("big.bin")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(texts.itext(itext::kChipSmallerThanFile) +
                       " file bytes 0x00800000-0x0080000F (16 byte(s)) not compared"),
            std::string::npos)
      << r.err;
}

TEST_F(CliChipOutcomes, PeekOnAnEmptySocketFailsAsReadDoes) {
  dir.Write("empty.box", std::string("[box]\nfirmware = 0x23\n"));
  const std::string empty = "--simulate=" + dir.file("empty.box");
  EXPECT_EQ(Cli({"detect"}, empty).status, 3);
  // Unnamed, the start-up detection stops both; named with --chip, the
  // command itself must find that no chip answers, as read does.
  for (const std::vector<std::string>& named :
       {std::vector<std::string>{}, {"--chip", "25 SPI FLASH/EON/EN25Q64"}}) {
    std::vector<std::string> read = named;
    read.insert(read.end(), {"read", dir.file("copy.bin")});
    std::vector<std::string> peek = named;
    peek.insert(peek.end(), {"peek", "10"});
    const CliRun r = Cli(read, empty);
    EXPECT_NE(r.status, 0) << r.err;
    const CliRun p = Cli(peek, empty);
    EXPECT_EQ(p.status, r.status) << p.out << p.err;
    EXPECT_EQ(p.out, "") << "no value for a chip that is not there";
    EXPECT_NE(p.err.find(texts.itext(itext::kNoIdAnswer)), std::string::npos) << p.err;
  }
  // With the chip in the socket the same peek answers.
  EXPECT_EQ(Cli({"peek", "10"}).status, 0);
}

TEST_F(CliChipOutcomes, AFillValueWiderThanTheChipsUnitIsAUsageError) {
  ASSERT_EQ(Cli({"detect"}).status, 0);
  const std::string before = Chip();
  for (const char* value : {"ABCD", "1FF", "100"}) {
    const CliRun r = Cli({"fill", "0", "4", value});
    EXPECT_EQ(r.status, 2) << value << ": " << r.err;
    EXPECT_NE(r.err.find("wider than the chip's byte"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(Chip() == before) << "nothing was written";
  // Leading zeros keep a value a byte.
  const CliRun r = Cli({"fill", "0", "4", "00AB"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Chip().substr(0, 5), std::string("\xAB\xAB\xAB\xAB") + before[4]);
}

TEST_F(CliChipOutcomes, AnOddFillFileOnAWordChipPadsItsLastWordAndSaysSo) {
  dir.Write("93c46.box",
            std::string("[chip]\nmodel = 93C46\ncontent = 93c46.bin\nfill = pattern\n"));
  const std::string box = "--simulate=" + dir.file("93c46.box");
  const std::vector<std::string> named = {"--chip", "93 EEPROM/ATMEL/AT93C46(x16)"};
  auto run = [&](std::vector<std::string> words) {
    words.insert(words.begin(), named.begin(), named.end());
    return Cli(words, box);
  };
  ASSERT_EQ(run({"peek", "0"}).status, 0);  // the chip's content file now exists
  const std::string before = dir.Read("93c46.bin");
  ASSERT_EQ(before.size(), 128u);

  dir.Write("abc.bin", std::string("ABC"));
  CliRun r = run({"fill", "10", "--file", dir.file("abc.bin")});  // word 0x10: byte 0x20
  EXPECT_EQ(r.status, 0) << r.err;
  std::string expected = before;
  expected.replace(0x20, 4, std::string("ABC\xFF", 4));
  EXPECT_EQ(dir.Read("93c46.bin"), expected);
  EXPECT_NE(r.err.find("its last word was written as 43 FF (padded with FF)"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(texts.itext(itext::kFillDone)), std::string::npos) << r.err;

  // A word value is a word; one wider than a word is a usage error.
  r = run({"fill", "0", "2", "12AB"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.Read("93c46.bin").substr(0, 4), std::string("\x12\xAB\x12\xAB"));
}

// The built-in 24C256 and the shipped description of one answer in the mode
// of the AT24C256 record: what is programmed reads back.
TEST_F(CliChipOutcomes, AnEepromGivesBackTheImageProgrammedIntoIt) {
  const std::vector<std::string> named = {"--chip", "24 EEPROM/ATMEL/AT24C256"};
  dir.Write("builtin.box", std::string("[chip]\nmodel = 24C256\ncontent = builtin.bin\n"));
  dir.Write("shipped.box", Shipped("resources/sim/eeprom_24c256.box"));
  const std::string image = RandomFile("image.bin", 32768, 11);
  for (const char* box : {"builtin.box", "shipped.box"}) {
    const std::string simulate = "--simulate=" + dir.file(box);
    auto run = [&](std::vector<std::string> words) {
      words.insert(words.begin(), named.begin(), named.end());
      return Cli(words, simulate);
    };
    CliRun r = run({"program", image});
    ASSERT_EQ(r.status, 0) << box << ": " << r.err;
    const std::string copy = dir.file(std::string(box) + ".read");
    r = run({"read", copy});
    ASSERT_EQ(r.status, 0) << box << ": " << r.err;
    EXPECT_TRUE(dir.Read(std::string(box) + ".read") == dir.Read("image.bin"))
        << box << ": the read gives back what was programmed";
    EXPECT_EQ(run({"verify", image}).status, 0) << box;
  }
}

}  // namespace
}  // namespace tarnwick::test
