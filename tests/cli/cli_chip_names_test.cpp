// The chip names people type: a model alone, maker and model, any case; what
// detect prints to name the chip; the catalogue's search and full list.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace tarnwick {
namespace {

using test::CliFlow;
using test::CliRun;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST_F(CliFlow, AChipIsNamedByItsModelOrMakerAndModelInAnyCase) {
  const std::string image = RandomFile("img.bin", 512);
  for (const char* name : {"en25q64", "EN25Q64", "eon/en25q64", "25 spi flash/EON/en25q64",
                           "25 SPI FLASH/EON/EN25Q64"}) {
    const CliRun r = Cli({"auto", image, "--yes", "--chip", name});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
  }
  EXPECT_EQ(Chip().substr(0, 512), dir.Read("img.bin"));
}

TEST_F(CliFlow, ANameOfSeveralChipsListsThemAndAnUnknownOneTheNearest) {
  ASSERT_EQ(Cli({"detect"}).status, 0);  // the chip with its pattern
  const std::string before = Chip();
  CliRun r = Cli({"erase", "--chip", "fm25q08"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--chip '25 SPI FLASH/FIDELIX/FM25Q08'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--chip '25 SPI FLASH/FUDAN/FM25Q08'"), std::string::npos) << r.err;
  r = Cli({"erase", "--chip", "W25Q128FX"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("did you mean W25Q128F"), std::string::npos) << r.err;
  r = Cli({"erase", "--chip", "w25q12"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("W25Q128FV"), std::string::npos) << r.err;
  r = Cli({"erase", "--chip", "winbond/w25q128fx"});
  EXPECT_NE(r.err.find("did you mean WINBOND/W25Q128F"), std::string::npos) << r.err;
  EXPECT_TRUE(Chip() == before) << "nothing was erased";
}

TEST_F(CliFlow, AShortNameSharedWithTheSocketsCandidatesPicksTheOneInTheSocket) {
  const std::string adapter =
      "--simulate=" + std::string(TARNWICK_SOURCE_DIR) + "/resources/sim/adapter_box.box";
  CliRun r = Cli({"detect"}, adapter);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("--chip '25 SPI FLASH/WINBOND/W25Q128BV'"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("or --chip '25 SPI FLASH/WINBOND/W25Q128FV'"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Several catalogue chips have this ID"), std::string::npos) << r.err;
  // Named, the record is settled: the warning about several is not said.
  r = Cli({"--chip", "w25q128fv", "detect"}, adapter);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Cli({"--chip", "w25q128fv", "read", dir.file("r.bin")}, adapter);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Several catalogue chips"), std::string::npos) << r.err;
  r = Cli({"--chip", "w25q64fv", "erase"}, adapter);
  EXPECT_EQ(r.status, 5) << r.err;
}

TEST_F(CliFlow, DetectNamesTheChipAsChipTakesItAndAFamilyAnswerListsTheFamily) {
  CliRun r = Cli({"detect"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n--chip '25 SPI FLASH/EON/EN25Q64'\n"), std::string::npos) << r.out;
  dir.Write("eeprom.box", "[chip]\nmodel = 24C256\ncontent = eeprom.bin\n");
  r = Cli({"detect"}, "--simulate=" + dir.file("eeprom.box"));
  EXPECT_EQ(r.status, 6) << r.err;
  EXPECT_NE(r.err.find("name it with --chip"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("  --chip '24 EEPROM/ATMEL/AT24C256'\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("25 SPI FLASH/"), std::string::npos) << "only the family's records";
}

TEST_F(CliFlow, ChipsSearchesListsEveryRecordAndTakesIdsInEitherForm) {
  CliRun r = Cli({"chips", "--search", "En25q6"}, "");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("25 SPI FLASH/EON/EN25Q64  8MB  3.3V  1C3017\n"), std::string::npos)
      << r.out;
  for (const std::string& line : Lines(r.out)) {
    EXPECT_NE(line.find("EN25Q6"), std::string::npos) << line;
  }
  r = Cli({"chips", "--search", "fudan"}, "");
  EXPECT_NE(r.out.find("25 SPI FLASH/FUDAN/FM25Q08  "), std::string::npos) << r.out;
  EXPECT_EQ(Cli({"chips", "--search", "no-such-chip"}, "").status, 1);

  r = Cli({"chips", "--all"}, "");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> all = Lines(r.out);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size()) << "one line each";
  EXPECT_GT(all.size(), 900u);
  EXPECT_NE(r.out.find("25 SPI FLASH/FUDAN/FM25Q08  1MB  3.3V  A14014\n"), std::string::npos);

  const CliRun prefixed = Cli({"chips", "--id", "0x1C3017"}, "");
  const CliRun lower = Cli({"chips", "--id", "1c3017"}, "");
  EXPECT_EQ(prefixed.status, 0) << prefixed.err;
  EXPECT_EQ(prefixed.out, lower.out);
  EXPECT_NE(prefixed.out.find("25 SPI FLASH/EON/EN25Q64"), std::string::npos);
  EXPECT_EQ(Cli({"chips", "--id", "0x"}, "").status, 2);
}

}  // namespace
}  // namespace tarnwick
