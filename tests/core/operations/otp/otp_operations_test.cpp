// The OTP jobs against a virtual box whose chip has an OTP area: what the
// log shows, which buttons the dialog may offer, what reaches the area, and
// that every path that entered OTP mode leaves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/text_ids.h"
#include "core/operations/otp/otp_rig.h"
#include "core/operations/otp/otp_table.h"

namespace tarnwick::test {
namespace {

using protocol::OTP_ENTER;
using protocol::OTP_EXIT;
using protocol::OTP_LOCK;
using protocol::OTP_METHOD;
using protocol::OTP_READ;
using protocol::OTP_WRITE;

constexpr std::uint32_t kGd25d40 = 0xC83013;    // 256-byte area, family 0
constexpr std::uint32_t kS25fl032p = 0x010215;  // 512 bytes from 0x100, family 5

Bytes Blank(std::size_t n) { return Bytes(n, 0xFF); }

Bytes ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class OtpOperations : public OtpRigTest {
 protected:
  void BootGd25d40(bool locked = false) { BootOtp(kGd25d40, 512u << 10, 256, 0, locked); }
};

TEST_F(OtpOperations, DetectingAnUnlockedAreaLogsChipSizeAndStatusAndOffersEveryOperation) {
  BootGd25d40();
  EXPECT_TRUE(Run(Job::OtpDetect));
  const std::string expected = I(itext::kOtpDetecting) + "\r\nType:GD25D40\r\n" +
                               I(itext::kOtpFound) + "\r\n" + I(itext::kOtpSize) + "256bytes" +
                               "\r\n" + I(itext::kOtpUnlocked) + "(00)";
  EXPECT_EQ(view.Log(), expected);
  for (int id : {ids::kOtpLockCheck, ids::kOtpProgramButton, ids::kOtpReadButton,
                 ids::kOtpVerifyButton, ids::kOtpBlankCheckButton}) {
    EXPECT_TRUE(view.Enabled(id)) << id;
  }
  EXPECT_EQ(view.Beeps(), std::vector<OtpBeep>{OtpBeep::Information});
  const OtpAreaInfo area = otp->LastArea();
  EXPECT_EQ(area.result, kOtpWritable);
  EXPECT_EQ(area.size, 256);
  // The method goes first, and the box is left out of OTP mode.
  const std::vector<OtpFrame> frames = OtpFrames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front().code, OTP_METHOD);
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);
  // The detection's result is not the box's business: the lamp goes to 0.
  EXPECT_EQ(box->Lamp(), 0);
  EXPECT_EQ(view.BusyCalls(), (std::vector<bool>{true, false}));
}

TEST_F(OtpOperations, ALockedAreaIsShownTickedAndProgrammingStopsAtOnce) {
  BootGd25d40(true);
  EXPECT_TRUE(Run(Job::OtpDetect));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpLocked) + "(80)"));
  EXPECT_EQ(otp->LastArea().result, kOtpLocked);
  EXPECT_TRUE(view.Ticked());
  EXPECT_FALSE(view.Enabled(ids::kOtpLockCheck));
  EXPECT_FALSE(view.Enabled(ids::kOtpProgramButton));
  EXPECT_TRUE(view.Enabled(ids::kOtpReadButton));
  EXPECT_TRUE(view.Enabled(ids::kOtpVerifyButton));
  EXPECT_TRUE(view.Enabled(ids::kOtpBlankCheckButton));

  view.Choose(File("f.bin", Pattern(100)));
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpProgram));
  EXPECT_EQ(CountOtp(OTP_WRITE), 0);
  EXPECT_EQ(CountOtp(OTP_READ), 0);  // not even the blank check ran
  EXPECT_TRUE(view.Boxes().empty());
  EXPECT_EQ(box->Lamp(), 2);
  EXPECT_EQ(box->OtpContent(), Blank(256));
}

TEST_F(OtpOperations, AShortFileFillsTheRestOfTheAreaWithBlanksIn32ByteWrites) {
  BootGd25d40();
  const Bytes file = Pattern(100);
  view.Choose(File("f100.bin", file));
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::OtpProgram));
  Bytes expected = file;
  expected.resize(256, 0xFF);
  EXPECT_EQ(box->OtpContent(), expected);
  const std::vector<OtpFrame> writes = Writes();
  ASSERT_EQ(writes.size(), 8u);
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].address, 32 * i);
    EXPECT_EQ(writes[i].length, 32);
  }
  // The writes, then the area read back.
  EXPECT_TRUE(EndsWith("\r\n........\r\n........" + I(itext::kOtpProgramDone)));
  EXPECT_EQ(CountOtp(OTP_READ), 8 + 8);  // the blank check before, the reading back after
  EXPECT_EQ(CountOtp(OTP_LOCK), 0);      // the lock box was not ticked
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);
  EXPECT_EQ(box->Lamp(), 3);
  EXPECT_FALSE(box->OtpLocked());
}

TEST_F(OtpOperations, ProtectedRangesAreBlankInTheFirstPassAndWrittenAloneInTheSecond) {
  BootOtp(kS25fl032p, 4u << 20, 512, 0x100);
  const Bytes file = Pattern(512, 7);
  view.Choose(File("spansion.bin", file));
  ASSERT_TRUE(Run(Job::OtpDetect));
  EXPECT_TRUE(view.Enabled(ids::kOtpLockCheck));  // the lock bytes are the technician's choice
  view.Tick(true);  // family 5 has no lock command: the ranges' own bytes lock
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::OtpProgram));

  const std::vector<OtpFrame> writes = Writes();
  ASSERT_EQ(writes.size(), 16u + 3u);
  Bytes firstPass;
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(writes[i].address, 0x100 + 32 * i);
    firstPass.insert(firstPass.end(), writes[i].data.begin(), writes[i].data.end());
  }
  Bytes expectedFirst = file;
  for (auto [from, to] : {std::pair{0x00, 0x01}, {0x12, 0x13}, {0x114, 0x115}}) {
    for (int o = from; o <= to; ++o) expectedFirst[static_cast<std::size_t>(o)] = 0xFF;
  }
  EXPECT_EQ(firstPass, expectedFirst);
  const std::pair<int, int> second[] = {{0x100, 0x00}, {0x112, 0x12}, {0x214, 0x114}};
  for (std::size_t k = 0; k < 3; ++k) {
    const OtpFrame& w = writes[16 + k];
    EXPECT_EQ(w.address, second[k].first);
    ASSERT_EQ(w.length, 2);
    EXPECT_EQ(w.data, Bytes(file.begin() + second[k].second, file.begin() + second[k].second + 2));
  }
  EXPECT_EQ(box->OtpContent(), file);
  EXPECT_EQ(CountOtp(OTP_LOCK), 0);
  EXPECT_NE(view.Log().find(I(itext::kOtpNoLockStatus)), std::string::npos);
}

TEST_F(OtpOperations, LockIsSentOnlyWhenTickedAndThenTheAreaRefusesAnotherProgramming) {
  BootGd25d40();
  const std::string file = File("f.bin", Pattern(256));
  view.Choose(file);
  ASSERT_TRUE(Run(Job::OtpDetect));
  view.Tick(true);
  EXPECT_TRUE(Run(Job::OtpProgram));
  EXPECT_TRUE(box->OtpLocked());
  EXPECT_NE(view.Log().find("\r\n" + I(itext::kOtpLockDone)), std::string::npos);
  // Shown as the next detection will show it.
  EXPECT_TRUE(view.Ticked());
  EXPECT_FALSE(view.Enabled(ids::kOtpLockCheck));
  EXPECT_FALSE(view.Enabled(ids::kOtpProgramButton));

  EXPECT_FALSE(Run(Job::OtpProgram));
  EXPECT_EQ(otp->LastArea().result, kOtpLocked);
  EXPECT_EQ(box->OtpContent(), Pattern(256));
}

TEST_F(OtpOperations, ANotBlankAreaAsksBeforeProgrammingAndNoLeavesItAsItWas) {
  BootGd25d40();
  view.Choose(File("a.bin", Bytes(64, 0xF0)));
  ASSERT_TRUE(Run(Job::OtpProgram));
  const Bytes before = box->OtpContent();

  view.Choose(File("b.bin", Bytes(64, 0x0F)));
  view.QueueAnswer(BoxAnswer::No);
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpProgram));
  ASSERT_EQ(view.Boxes().size(), 1u);
  EXPECT_EQ(view.Boxes()[0].text, I(itext::kOtpNotBlankAsk));
  EXPECT_EQ(view.Boxes()[0].buttons, BoxButtons::YesNo);
  EXPECT_EQ(CountOtp(OTP_WRITE), 0);
  EXPECT_EQ(box->OtpContent(), before);
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);

  // Programming only clears bits: F0 then 0F leaves 00, which the reading
  // back finds at the first byte.
  view.QueueAnswer(BoxAnswer::Yes);
  EXPECT_FALSE(Run(Job::OtpProgram));
  const Bytes after = box->OtpContent();
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 64), Bytes(64, 0x00));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpVerifyFailed) + "000H:0FH[" + I(itext::kOtpFileWord) +
                       "]!=00H[" + I(itext::kOtpChipWord) + "]\r\n" + I(itext::kOtpProgramFailed)));
  EXPECT_EQ(box->Lamp(), 2);
}

TEST_F(OtpOperations, AChipWithoutAKnownAreaIsRefusedWithAWarning) {
  BootOtp(0x1C7018, 16u << 20, 512);  // EN25QH128: in the catalogue, not in the OTP table
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpDetect));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpUnknownChip)));
  ASSERT_EQ(view.Boxes().size(), 1u);
  EXPECT_EQ(view.Boxes()[0].text, I(itext::kOtpUnknownChip));
  EXPECT_EQ(view.Boxes()[0].icon, BoxIcon::Warning);
  EXPECT_TRUE(OtpFrames().empty());
  EXPECT_EQ(otp->LastArea().result, kOtpNotFound);
  EXPECT_FALSE(view.Enabled(ids::kOtpProgramButton));
}

TEST_F(OtpOperations, VerifyNamesTheFirstDifferenceWithAddressAndBothBytes) {
  BootGd25d40();
  Bytes file = Blank(64);
  file[0x1A] = 0x05;
  view.Choose(File("v.bin", file));
  EXPECT_FALSE(Run(Job::OtpVerify));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpVerifyFailed) + "01AH:05H[" + I(itext::kOtpFileWord) +
                       "]!=FFH[" + I(itext::kOtpChipWord) + "]"));
  EXPECT_EQ(view.Beeps().back(), OtpBeep::Error);
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);
  EXPECT_EQ(box->Lamp(), 2);
  EXPECT_EQ(otp->SaveableLength(), 0u);

  file[0x1A] = 0xFF;
  view.Choose(File("v.bin", file));
  EXPECT_TRUE(Run(Job::OtpVerify));
  EXPECT_TRUE(EndsWith("..\r\n" + I(itext::kOtpVerifyDone)));  // 64 bytes: two chunks
}

TEST_F(OtpOperations, BlankCheckNamesTheFirstProgrammedByte) {
  BootGd25d40();
  EXPECT_TRUE(Run(Job::OtpBlankCheck));
  EXPECT_TRUE(EndsWith("\r\n........\r\n" + I(itext::kOtpBlank)));

  Bytes file = Blank(200);
  file[0xC5] = 0x5A;
  view.Choose(File("p.bin", file));
  ASSERT_TRUE(Run(Job::OtpProgram));
  EXPECT_FALSE(Run(Job::OtpBlankCheck));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpBlankFailed) + "0C5H:5AH"));
}

TEST_F(OtpOperations, ReadThenSaveWritesTheWholeAreaOnceAndNothingIsLeftToSave) {
  BootGd25d40();
  view.Choose(File("f.bin", Pattern(256, 3)));
  ASSERT_TRUE(Run(Job::OtpProgram));

  // What the blank check read before programming is no longer the area.
  EXPECT_FALSE(view.Enabled(ids::kOtpSaveButton));
  EXPECT_FALSE(Run(Job::OtpSave));
  EXPECT_EQ(view.SaveDialogs(), 0);

  EXPECT_TRUE(Run(Job::OtpRead));
  EXPECT_TRUE(view.Enabled(ids::kOtpSaveButton));
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpReadDone)));
  const std::string target = dir.file("otp-out.bin");
  view.SaveTo(target);
  EXPECT_TRUE(Run(Job::OtpSave));
  EXPECT_EQ(ReadBack(target), Pattern(256, 3));
  EXPECT_TRUE(EndsWith("," + I(itext::kOtpSaved)));
  EXPECT_FALSE(view.Enabled(ids::kOtpSaveButton));
  EXPECT_FALSE(Run(Job::OtpSave));
}

TEST_F(OtpOperations, ASaveThatCannotBeWrittenKeepsTheReadingAndSaysSo) {
  BootGd25d40();
  ASSERT_TRUE(Run(Job::OtpRead));
  std::filesystem::create_directory(dir.file("a-folder"));
  view.SaveTo(dir.file("a-folder"));
  EXPECT_FALSE(Run(Job::OtpSave));
  ASSERT_FALSE(view.Boxes().empty());
  EXPECT_NE(view.Boxes().back().text.find(I(itext::kCannotOpenFile)), std::string::npos);
  EXPECT_EQ(otp->SaveableLength(), 256u);  // the user can try another name
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a-folder")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("a-folder.part")));
}

TEST_F(OtpOperations, FilesThatCannotGiveBytesAreRefusedBeforeAnythingIsWritten) {
  BootGd25d40();
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path :
       {std::string(), dir.file("missing.bin"), fifo, File("empty.bin", Bytes{})}) {
    view.Choose(path);
    tap->ClearRecords();
    EXPECT_FALSE(Run(Job::OtpProgram)) << path;
    EXPECT_FALSE(Run(Job::OtpVerify)) << path;
    EXPECT_EQ(CountOtp(OTP_WRITE), 0) << path;
  }
  EXPECT_EQ(box->OtpContent(), Blank(256));
  EXPECT_GE(view.Boxes().size(), 8u);
}

// ---- USB faults --------------------------------------------------------------

TEST_F(OtpOperations, AWriteRefusedMidAreaFailsAndLeavesOtpMode) {
  BootGd25d40();
  view.Choose(File("f.bin", Pattern(256)));
  int writes = 0;
  tap->SetFrameOverride([&writes](const TapUsb::Frame& f) -> std::optional<int> {
    if (f.size() == protocol::kOtpLongFrameSize && ++writes == 3) return -7;  // timeout
    return std::nullopt;
  });
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpProgram));
  tap->SetFrameOverride({});
  EXPECT_TRUE(EndsWith("..\r\n" + I(itext::kOtpProgramFailed)));
  EXPECT_EQ(view.Beeps().back(), OtpBeep::Error);
  EXPECT_EQ(Writes().size(), 2u);
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);
  EXPECT_EQ(box->Lamp(), 2);
}

TEST_F(OtpOperations, AReadAnswerLostMidAreaIsAUsbErrorAndLeavesOtpMode) {
  BootGd25d40();
  view.Choose(File("f.bin", Blank(256)));
  int answers = 0;
  tap->SetReadOverride([&answers](int asked) -> std::optional<int> {
    // The detection's enter, status and exit answers come first.
    if (asked == static_cast<int>(protocol::kOtpAnswerSize) && ++answers == 3 + 1 + 4) return -7;
    return std::nullopt;
  });
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpVerify));
  tap->SetReadOverride({});
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpVerifyFailed) + "(USB error)"));
  EXPECT_EQ(LastOtpCode(), OTP_EXIT);
  EXPECT_EQ(box->Lamp(), 2);
}

TEST_F(OtpOperations, TheBoxGoneMidReadGivesNoSuccessAndNothingToSave) {
  sim::ChipDescription chip = Flash(kGd25d40, 512u << 10, dir.file("chip.bin"));
  chip.otp.size = 256;
  BootWith(chip);
  int answers = 0;
  tap->SetReadOverride([&](int asked) -> std::optional<int> {
    if (asked == static_cast<int>(protocol::kOtpAnswerSize) && ++answers == 3 + 1 + 2) {
      box->Unplug();
    }
    return std::nullopt;
  });
  EXPECT_FALSE(Run(Job::OtpRead));
  tap->SetReadOverride({});
  EXPECT_TRUE(EndsWith("\r\n" + I(itext::kOtpReadFailed)));
  EXPECT_EQ(otp->SaveableLength(), 0u);
  EXPECT_FALSE(view.Enabled(ids::kOtpSaveButton));
}

}  // namespace
}  // namespace tarnwick::test
