// tarnwick-cli firmware: a technician packs an image into a .tfw file, checks
// it, upgrades the box with it and reads the box's version back; a damaged
// file changes nothing in the box.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "core/app/text_ids.h"

namespace tarnwick::test {
namespace {

class CliFirmware : public CliFlow {
 protected:
  void SetUp() override {
    CliFlow::SetUp();
    dir.Write("box.box",
              "[box]\nserial = 0x012345\n[chip]\nmodel = W25Q32FV\ncontent = chip.bin\n"
              "fill = blank\n");
  }
  CliRun Firmware(std::vector<std::string> words, bool box = true) {
    words.insert(words.begin(), "firmware");
    return Cli(words, box ? "--simulate=" + dir.file("box.box") : "");
  }
  // What the virtual box keeps of the last image it accepted.
  std::string Kept() const {
    return std::filesystem::exists(dir.file("box.box.fw")) ? dir.Read("box.box.fw") : "";
  }
  // A packed image whose last byte, the version byte, is `version`.
  std::string Packed(const std::string& name, std::uint8_t version) {
    RandomFile("image.bin", 5000);
    std::string image = dir.Read("image.bin");
    image.back() = static_cast<char>(version);
    dir.Write("image.bin", image);
    const CliRun pack = Firmware({"pack", dir.file("image.bin"), dir.file(name)}, false);
    EXPECT_EQ(pack.status, 0) << pack.err;
    return dir.file(name);
  }
};

TEST_F(CliFirmware, APackedImageUpgradesTheBoxAndTheVersionShowsItsLastByte) {
  const std::string tfw = Packed("new.tfw", 0x24);
  const std::string packed = dir.Read("new.tfw");
  const std::string image = dir.Read("image.bin");
  ASSERT_EQ(packed.size(), image.size() + 3);
  EXPECT_EQ(packed.substr(0, image.size()), image);
  EXPECT_EQ(Firmware({"check", tfw}, false).status, 0);

  const CliRun before = Firmware({"version"});
  EXPECT_EQ(before.status, 0) << before.err;
  EXPECT_NE(before.out.find("V3.3"), std::string::npos) << before.out;

  const CliRun upgrade = Firmware({"upgrade", tfw});
  EXPECT_EQ(upgrade.status, 0) << upgrade.err;
  EXPECT_NE(upgrade.err.find(texts.itext(itext::kFwUpgradeDone)), std::string::npos);
  EXPECT_EQ(Kept(), packed);

  const CliRun after = Firmware({"version"});
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(after.out, texts.itext(itext::kFwSerialWord) + ": 074565\n" +
                           texts.itext(itext::kFwFirmwareWord) + ": V3.4\n");
}

TEST_F(CliFirmware, AFileWithOneByteChangedIsRefusedAndTheBoxKeepsItsFirmware) {
  const std::string good = Packed("good.tfw", 0x24);
  ASSERT_EQ(Firmware({"upgrade", good}).status, 0);
  const std::string kept = Kept();

  std::string bad = dir.Read("good.tfw");
  bad[100] = static_cast<char>(bad[100] ^ 0x10);
  dir.Write("bad.tfw", bad);
  const CliRun check = Firmware({"check", dir.file("bad.tfw")}, false);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find(texts.itext(itext::kFwFileDamaged)), std::string::npos);

  const CliRun upgrade = Firmware({"upgrade", dir.file("bad.tfw")});
  EXPECT_NE(upgrade.status, 0);
  EXPECT_NE(upgrade.err.find(texts.itext(itext::kFwFileDamaged)), std::string::npos);
  EXPECT_EQ(Kept(), kept);
  const CliRun version = Firmware({"version"});
  EXPECT_NE(version.out.find("V3.4"), std::string::npos) << version.out;
}

TEST_F(CliFirmware, WrongWordsAreRefusedAndFileWorkNeverWaitsForTheBox) {
  for (const auto& words : std::vector<std::vector<std::string>>{
           {"flash", "x.tfw"}, {"upgrade"}, {"pack", "a.bin"}, {"version", "x"}, {"check", "-v"}}) {
    const CliRun r = Firmware(words);
    EXPECT_EQ(r.status, 2) << words[0];
    EXPECT_NE(r.err.find("firmware"), std::string::npos) << r.err;
  }
  // Without any box on the bus, pack and check still work and say nothing of it.
  const std::string tfw = Packed("x.tfw", 0x11);
  const CliRun check = Firmware({"check", tfw}, false);
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.err.find(texts.itext(itext::kBoxNotFound)), std::string::npos) << check.err;
  EXPECT_EQ(Firmware({"pack", dir.file("missing.bin"), dir.file("y.tfw")}, false).status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("y.tfw")));
}

}  // namespace
}  // namespace tarnwick::test
