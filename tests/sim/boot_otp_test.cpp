// The boot loader's upgrade sequence and the OTP frames.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "box_driver.h"
#include "sim/chip_models.h"

namespace tarnwick::sim::test {
namespace {

// A firmware file: image bytes, then their sum as 3 bytes, most significant first.
std::vector<std::uint8_t> FirmwareFile(std::size_t imageSize) {
  std::vector<std::uint8_t> file(imageSize);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < imageSize; ++i) {
    file[i] = static_cast<std::uint8_t>(i * 13 + 5);
    sum += file[i];
  }
  file.push_back(static_cast<std::uint8_t>(sum >> 16));
  file.push_back(static_cast<std::uint8_t>(sum >> 8));
  file.push_back(static_cast<std::uint8_t>(sum));
  return file;
}

// A boot loader table of this test's own; another seed, another table.
std::string Table(unsigned seed) {
  std::string table(256, '\0');
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<char>((i * 131 + seed * 17) ^ (i >> 3));
  }
  return table;
}

// The sum of `image` in 3 bytes, most significant first, cut to 24 bits.
void AppendSum(std::vector<std::uint8_t>& file, std::size_t imageSize) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < imageSize; ++i) sum += file[i];
  file.resize(imageSize);
  file.push_back(static_cast<std::uint8_t>(sum >> 16));
  file.push_back(static_cast<std::uint8_t>(sum >> 8));
  file.push_back(static_cast<std::uint8_t>(sum));
}

class BootLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_ = MakeBox(WithTable(BoxDescription{}));
    box_->SetDeviceChangeHandler([this] { ++events_; });
    driver_ = std::make_unique<BoxDriver>(*box_);
  }
  // The box's own table file (seed 1), and a chip in its socket.
  BoxDescription WithTable(BoxDescription d) {
    dir_.Write("table.bin", Table(1));
    d.bootTablePath = dir_.file("table.bin");
    d.chip = SmallFlash(dir_, "flash");
    return d;
  }
  void Rebuild(const BoxDescription& d) {
    driver_.reset();
    box_ = MakeBox(d);
    box_->SetDeviceChangeHandler([this] { ++events_; });
    driver_ = std::make_unique<BoxDriver>(*box_);
  }
  void EnterBoot() {
    driver_->Send(CMD_ENTER_BOOT);
    ASSERT_TRUE(driver_->Connect());
  }
  std::vector<std::uint8_t> Scrambled(const std::vector<std::uint8_t>& file) const {
    const std::string table = Table(tableSeed_);
    std::vector<std::uint8_t> out(file);
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] ^= static_cast<std::uint8_t>(table[i % 256]);
    }
    return out;
  }
  // The upgrade sequence; returns the FINISH answer byte (or -1).
  int Upgrade(const std::vector<std::uint8_t>& file, bool eraseFirst = true) {
    driver_->SendBoot(BOOT_START);
    if (driver_->Read(1) != std::vector<std::uint8_t>{kBootStartReady}) return -1;
    const std::size_t blocks = (file.size() + 1023) / 1024;
    for (std::size_t n = 0; eraseFirst && n < blocks; ++n) {
      driver_->SendBoot(BOOT_ERASE_BLOCK, static_cast<std::uint8_t>(n));
      if (driver_->Read(1).size() != 1) return -1;
    }
    driver_->SendBoot(BOOT_IDLE);
    driver_->SendBoot(BOOT_WRITE_BEGIN);
    const auto data = Scrambled(file);
    for (std::size_t at = 0;; at += kFirmwarePiece) {
      const std::size_t n = std::min(kFirmwarePiece, data.size() - std::min(at, data.size()));
      std::vector<std::uint8_t> piece(data.begin() + at, data.begin() + at + n);
      if (driver_->Write(piece) != static_cast<int>(n)) return -1;
      if (n < kFirmwarePiece) break;
    }
    driver_->SendBoot(BOOT_WRITE_END);
    driver_->SendBoot(BOOT_IDLE);
    driver_->SendBoot(BOOT_READBACK_BEGIN);
    for (std::size_t b = 0; b < blocks; ++b) {
      driver_->SendBoot(BOOT_READ_BLOCK);
      const auto back = driver_->Read(1024);
      if (back.size() != 1024) return -1;
      const std::size_t n = std::min<std::size_t>(1024, data.size() - b * 1024);
      if (!std::equal(back.begin(), back.begin() + n, data.begin() + b * 1024)) {
        readbackDiffers_ = true;
      }
    }
    driver_->SendBoot(BOOT_IDLE);
    driver_->SendBoot(BOOT_FINISH, file[file.size() - 4]);
    const auto answer = driver_->Read(1);
    return answer.size() == 1 ? answer[0] : -1;
  }

  tarnwick::test::TempDir dir_;
  std::unique_ptr<VirtualBox> box_;
  std::unique_ptr<BoxDriver> driver_;
  std::atomic<int> events_{0};
  bool readbackDiffers_ = false;
  unsigned tableSeed_ = 1;  // the table the sender scrambles with
};

TEST_F(BootLoaderTest, EnterBootReenumeratesAndRefusesIdentification) {
  EXPECT_EQ(driver_->ReadId(kSpiMode), 0xEF4017u);
  UsbHandle old = driver_->Handle();
  driver_->Send(CMD_ENTER_BOOT);
  EXPECT_EQ(events_, 1);
  EXPECT_TRUE(box_->InBootLoader());
  std::uint8_t buf[4];
  EXPECT_EQ(box_->BulkRead(old, kEndpointBulkIn, buf, 4, 10), kErrNoDevice);
  ASSERT_TRUE(driver_->Connect());
  EXPECT_EQ(driver_->ReadId(kSpiMode), kIdRefusal);
  driver_->SendBoot(BOOT_HELLO);
  EXPECT_EQ(driver_->Read(2), (std::vector<std::uint8_t>{0x5A, 0xA5}));
  // Boot frames mean nothing to the running firmware.
  driver_->SendBoot(BOOT_RESTART);
  ASSERT_TRUE(driver_->Connect());
  EXPECT_FALSE(box_->InBootLoader());
  driver_->SendBoot(BOOT_HELLO);
  int rc = 0;
  EXPECT_TRUE(driver_->Read(2, &rc).empty());
}

TEST_F(BootLoaderTest, AcceptsAGoodImageAndRestarts) {
  EnterBoot();
  const auto file = FirmwareFile(2049 - 3);  // 3 blocks, the last holding one byte
  EXPECT_EQ(Upgrade(file), kBootFinishAccepted);
  EXPECT_FALSE(readbackDiffers_);
  const int before = events_;
  driver_->SendBoot(BOOT_RESTART);
  EXPECT_EQ(events_, before + 1);
  ASSERT_TRUE(driver_->Connect());
  EXPECT_FALSE(box_->InBootLoader());
  EXPECT_EQ(driver_->ReadId(kSpiMode), 0xEF4017u);
}

TEST_F(BootLoaderTest, ImageLengthOfWholePiecesEndsWithAnEmptyPiece) {
  EnterBoot();
  EXPECT_EQ(Upgrade(FirmwareFile(128 - 3)), kBootFinishAccepted);
}

TEST_F(BootLoaderTest, RejectsABadSumAndStaysInTheBootLoader) {
  EnterBoot();
  auto file = FirmwareFile(1000);
  file[10] ^= 1;
  EXPECT_EQ(Upgrade(file), kBootFinishRejected);
  driver_->SendBoot(BOOT_RESTART);
  ASSERT_TRUE(driver_->Connect());
  // The old firmware was erased: the box comes back refusing.
  EXPECT_TRUE(box_->InBootLoader());
  EXPECT_EQ(driver_->ReadId(kSpiMode), kIdRefusal);
  box_->Unplug();
  box_->Plug();
  ASSERT_TRUE(driver_->Connect());
  EXPECT_TRUE(box_->InBootLoader());
}

TEST_F(BootLoaderTest, WritingWithoutEraseCorruptsTheImage) {
  EnterBoot();
  EXPECT_EQ(Upgrade(FirmwareFile(1000)), kBootFinishAccepted);
  EXPECT_FALSE(readbackDiffers_);
  EXPECT_EQ(Upgrade(FirmwareFile(500), /*eraseFirst=*/false), kBootFinishRejected);
  EXPECT_TRUE(readbackDiffers_);
}

TEST_F(BootLoaderTest, RefusingBoxFromItsDescription) {
  BoxDescription d = WithTable({});
  d.bootLoader = true;
  d.firmwareVersion = 0xFF;
  auto box = MakeBox(d);
  BoxDriver driver(*box);
  EXPECT_EQ(driver.ReadId(kSpiMode), kIdRefusal);
  driver.Send(CMD_FW_VERSION);
  int rc = 0;
  EXPECT_TRUE(driver.Read(1, &rc).empty());
}

TEST_F(BootLoaderTest, AnAcceptedImageIsKeptAndItsFinishByteBecomesTheVersion) {
  BoxDescription d = WithTable({});
  d.firmwarePath = dir_.file("box.fw");
  Rebuild(d);
  EnterBoot();
  std::vector<std::uint8_t> file = FirmwareFile(2000);
  file[file.size() - 4] = 0x34;  // the image's last byte, sent with BOOT_FINISH
  AppendSum(file, 2000);
  ASSERT_EQ(Upgrade(file), kBootFinishAccepted);
  driver_->SendBoot(BOOT_RESTART);
  ASSERT_TRUE(driver_->Connect());
  driver_->Send(CMD_FW_VERSION);
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{0x34});
  const std::string kept = dir_.Read("box.fw");
  EXPECT_EQ(kept, std::string(file.begin(), file.end()));

  // A box made again from the same description still runs that image.
  auto again = MakeBox(d);
  BoxDriver second(*again);
  second.Send(CMD_FW_VERSION);
  EXPECT_EQ(second.Read(1), std::vector<std::uint8_t>{0x34});
}

TEST_F(BootLoaderTest, ARejectedImageLeavesTheKeptImageAndVersionAlone) {
  BoxDescription d = WithTable({});
  d.firmwarePath = dir_.file("box.fw");
  Rebuild(d);
  EnterBoot();
  std::vector<std::uint8_t> file = FirmwareFile(100);
  file[10] ^= 1;
  EXPECT_EQ(Upgrade(file), kBootFinishRejected);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("box.fw")));
  EXPECT_EQ(box_->FirmwareVersion(), d.firmwareVersion);
}

TEST_F(BootLoaderTest, ARefusingBoxThatAcceptedAnImageRunsItInTheNextRun) {
  BoxDescription d = WithTable({});
  d.bootLoader = true;
  d.firmwareVersion = 0xFF;
  d.firmwarePath = dir_.file("refusing.box.fw");
  Rebuild(d);
  ASSERT_EQ(driver_->ReadId(kSpiMode), kIdRefusal);
  std::vector<std::uint8_t> file = FirmwareFile(1500);
  file[file.size() - 4] = 0x31;
  AppendSum(file, 1500);
  ASSERT_EQ(Upgrade(file), kBootFinishAccepted);

  // The next run, from the same description: the box left its boot loader
  // with the accepted image and starts with it.
  Rebuild(d);
  EXPECT_FALSE(box_->InBootLoader());
  EXPECT_EQ(driver_->ReadId(kSpiMode), 0xEF4017u);
  driver_->Send(CMD_FW_VERSION);
  EXPECT_EQ(driver_->Read(1), std::vector<std::uint8_t>{0x31});

  // Without a kept image it is refusing again, as described.
  std::filesystem::remove(dir_.file("refusing.box.fw"));
  Rebuild(d);
  EXPECT_TRUE(box_->InBootLoader());
  EXPECT_EQ(driver_->ReadId(kSpiMode), kIdRefusal);
}

TEST_F(BootLoaderTest, TheBootLoaderUnscramblesWithItsOwnTableAndWithoutOneAcceptsNothing) {
  EnterBoot();
  const auto file = FirmwareFile(1000);
  tableSeed_ = 2;
  EXPECT_EQ(Upgrade(file), kBootFinishRejected);
  EXPECT_FALSE(readbackDiffers_) << "the flash holds what was sent";
  tableSeed_ = 1;
  EXPECT_EQ(Upgrade(file), kBootFinishAccepted);

  BoxDescription none = WithTable({});
  none.bootTablePath.clear();
  Rebuild(none);
  EnterBoot();
  EXPECT_EQ(Upgrade(file), kBootFinishRejected);

  // A named table that is not 256 bytes makes no box.
  BoxDescription wrong = WithTable({});
  dir_.Write("short.bin", Table(1).substr(0, 255));
  wrong.bootTablePath = dir_.file("short.bin");
  std::string error;
  EXPECT_FALSE(VirtualBox::Create(wrong, error));
  EXPECT_NE(error.find("short.bin"), std::string::npos) << error;
}

TEST_F(BootLoaderTest, ASumAboveThreeBytesIsRejectedEvenWhenItsLowBytesMatch) {
  EnterBoot();
  std::vector<std::uint8_t> file(70000, 0xFF);  // sum 0x01105E90
  AppendSum(file, 70000);                       // check bytes 10 5E 90
  EXPECT_EQ(Upgrade(file), kBootFinishRejected);
}

class OtpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto chip = BuiltInChip("EN25Q64");
    chip->contentPath = dir_.file("en25q64.bin");
    chip->fill = ContentFill::Blank;
    chip_ = *chip;
    Start();
  }
  void Start() {
    BoxDescription d;
    d.chip = chip_;
    box_ = MakeBox(d);
    driver_ = std::make_unique<BoxDriver>(*box_);
    driver_->Send(CMD_SETUP);  // the access mode the OTP frames use
  }
  std::vector<std::uint8_t> Answer() { return driver_->Read(64); }
  std::uint8_t Status() {
    const auto a = Answer();
    if (a.size() != kOtpAnswerSize || a[0] != kStartMarker || a[1] != kOtpAnswerTag ||
        a[44] != kEndMarker) {
      return 0;
    }
    return a[2];
  }
  void Enter() {
    driver_->SendOtpShort(OTP_METHOD, {0x00, 0x00, 0x3A, 0x04, 0x02, 0x03, 0x05, 0x01, 0x01});
    driver_->SendOtpShort(OTP_ENTER);
    ASSERT_EQ(Status(), kOtpStatusDone);
  }

  tarnwick::test::TempDir dir_;
  ChipDescription chip_;
  std::unique_ptr<VirtualBox> box_;
  std::unique_ptr<BoxDriver> driver_;
};

TEST_F(OtpTest, StatusReadWriteAndLock) {
  Enter();
  driver_->SendOtpShort(OTP_STATUS);
  auto a = Answer();
  ASSERT_EQ(a.size(), kOtpAnswerSize);
  EXPECT_EQ(a[2], kOtpStatusLock);
  EXPECT_EQ(a[3], 0);

  driver_->SendOtpWrite(0x20, {0x12, 0x34, 0xF0});
  driver_->SendOtpShort(OTP_READ, {0x1F, 0x00, 0x05, 0x00});
  a = Answer();
  ASSERT_EQ(a.size(), kOtpAnswerSize);
  EXPECT_EQ(a[2], kOtpStatusData);
  EXPECT_EQ(std::vector<std::uint8_t>(a.begin() + 3, a.begin() + 8),
            (std::vector<std::uint8_t>{0xFF, 0x12, 0x34, 0xF0, 0xFF}));
  driver_->SendOtpWrite(0x22, {0x0F});  // programming only clears bits
  EXPECT_EQ(box_->OtpContent()[0x22], 0x00);

  driver_->SendOtpShort(OTP_LOCK);
  EXPECT_EQ(Status(), kOtpStatusDone);
  driver_->SendOtpWrite(0x40, {0x00});  // refused when locked
  EXPECT_EQ(box_->OtpContent()[0x40], 0xFF);
  driver_->SendOtpShort(OTP_STATUS);
  a = Answer();
  EXPECT_EQ(a[3], 1);
  driver_->SendOtpShort(OTP_EXIT);
  EXPECT_EQ(Status(), kOtpStatusDone);

  // The area and its lock persist with the chip.
  box_.reset();
  Start();
  EXPECT_TRUE(box_->OtpLocked());
  EXPECT_EQ(box_->OtpContent()[0x20], 0x12);
}

TEST_F(OtpTest, RefusedWithoutMethodOrEnterOrOutOfRange) {
  driver_->SendOtpShort(OTP_ENTER);  // no method yet
  EXPECT_EQ(Status(), kOtpStatusRefused);
  driver_->SendOtpShort(OTP_METHOD, {0x03, 0x00, 0x00, 0x00, 0x42, 0x48, 0x35, 0x01, 0x01});
  driver_->SendOtpShort(OTP_ENTER);  // another family's method
  EXPECT_EQ(Status(), kOtpStatusRefused);
  driver_->SendOtpShort(OTP_READ, {0x00, 0x00, 0x10, 0x00});
  EXPECT_EQ(Status(), kOtpStatusRefused);
  Enter();
  driver_->SendOtpShort(OTP_READ, {0xF0, 0x01, 0x20, 0x00});  // 0x1F0 + 32 > 512
  EXPECT_EQ(Status(), kOtpStatusRefused);
  driver_->SendOtpShort(OTP_READ, {0xE0, 0x01, 0x20, 0x00});
  EXPECT_EQ(Status(), kOtpStatusData);
  driver_->SendOtpShort(OTP_EXIT);
  EXPECT_EQ(Status(), kOtpStatusDone);
  driver_->SendOtpShort(OTP_READ, {0x00, 0x00, 0x10, 0x00});
  EXPECT_EQ(Status(), kOtpStatusRefused);
}

TEST_F(OtpTest, ChipMustTalkInTheCurrentMode) {
  driver_->SetMode({0, 0x80, false});
  driver_->Send(CMD_SETUP);
  driver_->SendOtpShort(OTP_METHOD, {0x00, 0x00, 0x3A, 0x04, 0x02, 0x03, 0x05, 0x01, 0x01});
  driver_->SendOtpShort(OTP_ENTER);
  EXPECT_EQ(Status(), kOtpStatusRefused);
}

}  // namespace
}  // namespace tarnwick::sim::test
