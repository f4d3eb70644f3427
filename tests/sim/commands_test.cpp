// The answers of the command frames and the identification per access mode.
#include <gtest/gtest.h>

#include "box_driver.h"
#include "sim/chip_models.h"

namespace tarnwick::sim::test {
namespace {

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BoxDescription d = DefaultBoxDescription(dir_.path().string());
    box_ = MakeBox(d);
    ASSERT_TRUE(box_);
    driver_ = std::make_unique<BoxDriver>(*box_);
    driver_->SetCapacity(8 * 1024 * 1024);
  }
  tarnwick::test::TempDir dir_;
  std::unique_ptr<VirtualBox> box_;
  std::unique_ptr<BoxDriver> driver_;
};

TEST_F(CommandsTest, IdentificationFollowsTheProbeModes) {
  struct Probe {
    Mode mode;
    std::uint32_t expected;
  };
  // The program's probe list against an EN25Q64: SPI subcodes 00-70 answer,
  // 80 and every EEPROM mode do not.
  const Probe probes[] = {
      {{0, 0x00, false}, 0x1C3017}, {{0, 0x20, false}, 0x1C3017}, {{0, 0x60, false}, 0x1C3017},
      {{0, 0x70, false}, 0x1C3017}, {{0, 0x80, false}, 0xFFFFFF}, {{1, 0x00, true}, 0x000000},
      {{4, 0x00, false}, 0x000000}, {{2, 0x00, true}, 0x000000},  {{3, 0x00, true}, 0x000000},
      {{3, 0x10, true}, 0x000000},  {{3, 0x01, true}, 0x000000},  {{3, 0x11, true}, 0x000000},
      {{0, 0x00, true}, 0xFFFFFF},  // right class, wrong voltage
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(driver_->ReadId(p.mode), p.expected)
        << "class " << int(p.mode.accessClass) << " sub " << int(p.mode.subcode);
  }
}

// An EEPROM answers its family in the family probe (subcode 00 of its class)
// and in its own data mode, the one its addressing takes; nowhere else.
TEST_F(CommandsTest, EepromsAnswerTheirFamilyInTheProbeAndInTheirOwnMode) {
  struct Case {
    const char* model;
    Mode own;
    std::uint32_t family;
  };
  const Case cases[] = {{"24C02", {1, 0x01, true}, kIdFamilyI2c},
                        {"24C256", {1, 0x02, true}, kIdFamilyI2c},
                        {"93C46", {3, 0x01, true}, kIdFamilyMicrowire},
                        {"25LC256", {2, 0x00, true}, kIdFamilySpiEeprom}};
  for (const Case& c : cases) {
    auto chip = BuiltInChip(c.model);
    ASSERT_TRUE(chip);
    EXPECT_EQ(chip->subcodes, std::vector<std::uint8_t>{c.own.subcode}) << c.model;
    chip->contentPath = dir_.file(std::string(c.model) + ".bin");
    std::string error;
    ASSERT_TRUE(box_->SwapChip(*chip, error)) << error;
    EXPECT_EQ(driver_->ReadId(c.own), c.family) << c.model;
    EXPECT_EQ(driver_->ReadId({c.own.accessClass, 0x00, true}), c.family) << c.model;
    EXPECT_EQ(driver_->ReadId({0, 0x00, false}), 0xFFFFFFu) << c.model;
    EXPECT_EQ(driver_->ReadId({4, 0x00, false}), 0x000000u) << c.model;
    EXPECT_EQ(driver_->ReadId({c.own.accessClass, 0x11, true}), 0x000000u) << c.model;
    EXPECT_EQ(driver_->ReadId({c.own.accessClass, 0x00, false}), 0x000000u) << "wrong voltage";
  }
  // A class-4 chip given by raw fields.
  ChipDescription raw;
  raw.kind = ChipKind::Eeprom;
  raw.accessClass = 4;
  raw.subcodes = {0x00};
  raw.size = 4096;
  raw.contentPath = dir_.file("class4.bin");
  std::string error;
  ASSERT_TRUE(box_->SwapChip(raw, error)) << error;
  EXPECT_EQ(driver_->ReadId({4, 0x00, false}), kIdFamilyClass4);
}

// The family probe finds a 24C256, but its data is there only in its own
// mode: two word-address bytes, subcode 02.
TEST_F(CommandsTest, AnEepromsDataTalksOnlyInItsOwnMode) {
  auto chip = BuiltInChip("24C256");
  ASSERT_TRUE(chip);
  chip->contentPath = dir_.file("24c256.bin");
  chip->fill = ContentFill::Pattern;
  std::string error;
  ASSERT_TRUE(box_->SwapChip(*chip, error)) << error;
  driver_->SetCapacity(64);
  driver_->SetMode({1, 0x00, true});
  driver_->Send(CMD_READ);
  EXPECT_EQ(driver_->ReadStream(64), std::vector<std::uint8_t>(64, 0xFF));
  driver_->SetMode({1, 0x02, true});
  driver_->Send(CMD_READ);
  EXPECT_EQ(driver_->ReadStream(64), box_->ReadContent(0, 64));
  EXPECT_NE(box_->ReadContent(0, 64), std::vector<std::uint8_t>(64, 0xFF));
}

TEST_F(CommandsTest, EepromModesFollowTheChipsAddressing) {
  EXPECT_EQ(EepromSubcode(1, 8, false), 0x01);   // 24C02: one word-address byte
  EXPECT_EQ(EepromSubcode(1, 16, false), 0x02);  // 24C512: two
  EXPECT_EQ(EepromSubcode(2, 16, false), 0x00);  // 25LC256: two address bytes
  EXPECT_EQ(EepromSubcode(2, 17, false), 0x01);  // 25LC1024: three
  EXPECT_EQ(EepromSubcode(3, 7, false), 0x00);   // 93C46 x8
  EXPECT_EQ(EepromSubcode(3, 6, true), 0x01);    // 93C46 x16
  EXPECT_EQ(EepromSubcode(3, 9, false), 0x10);   // 93C56 x8
  EXPECT_EQ(EepromSubcode(3, 8, true), 0x11);    // 93C56 x16
  EXPECT_EQ(EepromSubcode(4, 16, false), 0x00);
}

TEST_F(CommandsTest, EmptySocketAnswersLikeNoChip) {
  box_->RemoveChip();
  EXPECT_EQ(driver_->ReadId({0, 0x00, false}), 0xFFFFFFu);
  EXPECT_EQ(driver_->ReadId({1, 0x00, true}), 0x000000u);
  driver_->SetMode(kSpiMode);
  driver_->SetCapacity(64);
  driver_->Send(CMD_READ);
  EXPECT_EQ(driver_->ReadStream(64), std::vector<std::uint8_t>(64, 0xFF));
}

TEST_F(CommandsTest, BoxInformationAnswers) {
  driver_->Send(CMD_FW_VERSION);
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{0x23});
  driver_->Send(CMD_SERIAL);
  const auto serial = driver_->Read(64);
  ASSERT_EQ(serial.size(), kSerialAnswerSize);
  EXPECT_EQ(serial[4], 0x01);
  EXPECT_EQ(serial[5], 0x23);
  EXPECT_EQ(serial[6], 0x45);
  driver_->Send(CMD_ADAPTER_QUERY);
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{0});
  // Commands without an answer leave nothing to read.
  for (std::uint8_t code : {CMD_SETUP, CMD_IDLE, CMD_RESET}) driver_->Send(code);
  int rc = 0;
  EXPECT_TRUE(driver_->Read(64, &rc).empty());
  EXPECT_EQ(rc, kErrTimeout);
}

TEST_F(CommandsTest, AdapterBoxAnswersOne) {
  BoxDescription d = DefaultBoxDescription(dir_.path().string());
  d.adapterFitted = true;
  d.chip.reset();
  auto box = MakeBox(d);
  BoxDriver driver(*box);
  driver.Send(CMD_ADAPTER_QUERY);
  EXPECT_EQ(driver.Read(64), std::vector<std::uint8_t>{kAdapterFitted});
}

TEST_F(CommandsTest, LampKeepsItsHistory) {
  for (std::uint8_t v : {kLampBusy, kLampSucceeded, kLampBusy, kLampFailed, kLampNeutral}) {
    driver_->Send(CMD_STATUS_LAMP, {v});
  }
  EXPECT_EQ(box_->Lamp(), kLampNeutral);
  EXPECT_EQ(box_->LampHistory(), (std::vector<std::uint8_t>{1, 3, 1, 2, 0}));
  const auto commands = box_->ReceivedCommands();
  EXPECT_EQ(commands, std::vector<std::uint8_t>(5, CMD_STATUS_LAMP));
}

TEST_F(CommandsTest, BlankCheckAndPeek) {
  driver_->Send(CMD_BLANK_CHECK);
  auto answer = driver_->Read(64);
  ASSERT_EQ(answer.size(), kBlankAnswerSize);
  // The pattern's first row starts with address 0, so byte 0 is 00.
  EXPECT_EQ(answer, (std::vector<std::uint8_t>{kBlankNo, 0, 0, 0, 0, 0x00}));

  driver_->Send(CMD_ERASE);
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{kEraseDone});
  driver_->Send(CMD_BLANK_CHECK);
  EXPECT_EQ(driver_->Read(64), (std::vector<std::uint8_t>{kBlankYes, 0, 0, 0, 0, 0}));

  driver_->Send(CMD_PROGRAM);
  std::vector<std::uint8_t> block(0x12346, 0xFF);
  block[0x12345] = 0x0F;
  std::size_t sent = 0;
  while (sent < block.size()) {
    std::vector<std::uint8_t> part(block.begin() + sent,
                                   block.begin() + std::min(sent + kProgramBlock, block.size()));
    const int n = driver_->Write(part);
    ASSERT_GT(n, 0);
    sent += static_cast<std::size_t>(n);
  }
  driver_->Send(CMD_PROGRAM_END, Be32(static_cast<std::uint32_t>(sent)));
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{kProgramEndDone});
  driver_->Send(CMD_BLANK_CHECK);
  EXPECT_EQ(driver_->Read(64), (std::vector<std::uint8_t>{kBlankNo, 0x00, 0x01, 0x23, 0x45, 0x0F}));

  driver_->Send(CMD_PEEK, Be32(0x12344));
  EXPECT_EQ(driver_->Read(64), (std::vector<std::uint8_t>{0xFF, 0x0F}));
}

TEST_F(CommandsTest, QuadEnableNeedsAChipWithTheBit) {
  driver_->Send(CMD_QE_CONFIG, {0x06, 0x01, 1});
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{0});  // EN25Q64: no QE bit
  auto chip = BuiltInChip("W25Q64FV");
  chip->contentPath = dir_.file("w25q64.bin");
  chip->qeMethod = {0x09, 0x02};
  std::string error;
  ASSERT_TRUE(box_->SwapChip(*chip, error)) << error;
  driver_->Send(CMD_QE_CONFIG, {0x09, 0x02, 1});
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{kQeDone});
  EXPECT_TRUE(box_->QuadEnable());
  driver_->Send(CMD_QE_CONFIG, {0x06, 0x01, 0});  // the other family's method
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{0});
  EXPECT_TRUE(box_->QuadEnable());
  driver_->Send(CMD_QE_CONFIG, {0x09, 0x02, 0});
  EXPECT_EQ(driver_->Read(64), std::vector<std::uint8_t>{kQeDone});
  EXPECT_FALSE(box_->QuadEnable());
}

TEST_F(CommandsTest, MalformedFramesAreIgnored) {
  auto f = driver_->Frame(CMD_FW_VERSION);
  f[kFrameEnd] = 0x00;
  EXPECT_EQ(driver_->SendRaw(std::vector<std::uint8_t>(f.begin(), f.end())), 20);
  EXPECT_EQ(driver_->SendRaw({0xA5, 0x12, 0x5A}), 3);
  int rc = 0;
  EXPECT_TRUE(driver_->Read(64, &rc).empty());
  EXPECT_EQ(rc, kErrTimeout);
  EXPECT_TRUE(box_->ReceivedFrames().empty());
}

TEST_F(CommandsTest, WrongEndpointsAndUnclaimedHandlesFail) {
  std::uint8_t buf[8] = {};
  EXPECT_EQ(box_->BulkRead(driver_->Handle(), kEndpointBulkOut, buf, 8, 10), kErrInvalid);
  EXPECT_EQ(box_->BulkWrite(driver_->Handle(), kEndpointBulkIn, buf, 8, 10), kErrInvalid);
  EXPECT_EQ(box_->InterruptWrite(driver_->Handle(), kEndpointBulkOut, buf, 8, 10), kErrInvalid);
  UsbHandle other = box_->Open(0);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(box_->BulkRead(other, kEndpointBulkIn, buf, 8, 10), kErrInvalid);
  EXPECT_EQ(box_->SetConfiguration(other, 2), kErrInvalid);
  EXPECT_EQ(box_->ClaimInterface(other, 1), kErrInvalid);
  EXPECT_EQ(box_->Close(other), 0);
  EXPECT_EQ(box_->Close(other), kErrInvalid);
}

}  // namespace
}  // namespace tarnwick::sim::test
