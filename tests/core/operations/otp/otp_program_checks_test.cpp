// What programming the OTP area owes the technician beyond the writes: the
// area read back before success is claimed, a file larger than the area
// refused unless agreed to, and nothing that locks sent unless the lock box
// was ticked for the chip in the socket.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/app/text_ids.h"
#include "core/operations/otp/otp_rig.h"
#include "sim/chip_models.h"

namespace tarnwick::test {
namespace {

using protocol::OTP_LOCK;
using protocol::OTP_READ;
using protocol::OTP_WRITE;

constexpr std::uint32_t kGd25d40 = 0xC83013;    // 256-byte area, family 0
constexpr std::uint32_t kEn25q64 = 0x1C3017;    // 512-byte area, family 0
constexpr std::uint32_t kS25fl032p = 0x010215;  // 512 bytes from 0x100, family 5

bool InSpansionRange(std::size_t offset) {
  const std::size_t address = 0x100 + offset;
  return (address >= 0x100 && address <= 0x101) || (address >= 0x112 && address <= 0x113) ||
         (address >= 0x214 && address <= 0x215);
}

class OtpProgramChecks : public OtpRigTest {
 protected:
  void BootGd25d40(bool locked = false) { BootOtp(kGd25d40, 512u << 10, 256, 0, locked); }
  sim::ChipDescription Gd25d40(const std::string& content, bool locked) {
    sim::ChipDescription chip = Flash(kGd25d40, 512u << 10, dir.file(content));
    chip.otp.size = 256;
    chip.otp.locked = locked;
    return chip;
  }
  void Swap(const sim::ChipDescription& chip) {
    std::string error;
    ASSERT_TRUE(box->SwapChip(chip, error)) << error;
  }
  // Ends the rig and its box, so that the test can build another.
  void ShutDown() {
    otp->SetView(nullptr);
    rig->worker.Exit();
    otp.reset();
    rig.reset();
    tap.reset();
    box.reset();
  }
  // "OTP verify failed:" and what follows, then "OTP programming failed".
  std::string ReadBackFailure(const std::string& what) {
    return "\r\n" + I(itext::kOtpVerifyFailed) + what + "\r\n" + I(itext::kOtpProgramFailed);
  }
  std::string Mismatch(const std::string& address, std::uint8_t meant, std::uint8_t chip) {
    char text[32];
    std::snprintf(text, sizeof text, ":%02XH[", meant);
    std::string s = address + "H" + text + I(itext::kOtpFileWord) + "]!=";
    std::snprintf(text, sizeof text, "%02XH[", chip);
    return s + text + I(itext::kOtpChipWord) + "]";
  }
};

// ---- the area read back -----------------------------------------------------------

TEST_F(OtpProgramChecks, ALockedAreaWithoutLockStatusFailsAtTheFirstByteThatDidNotTake) {
  // Family 5 cannot report a lock: the detection offers programming, and the
  // box drops every write.
  BootOtp(kS25fl032p, 4u << 20, 512, 0x100, true);
  Bytes file(512, 0x00);
  file[0x02] = 0xFF;  // what the area already holds is no difference
  view.Choose(File("s.bin", file));
  ASSERT_TRUE(Run(Job::OtpDetect));
  EXPECT_EQ(otp->LastArea().result, kOtpWritable);

  EXPECT_FALSE(Run(Job::OtpProgram));
  // Offsets 0 and 1 are lock bytes, left alone without the lock.
  EXPECT_TRUE(EndsWith(ReadBackFailure(Mismatch("103", 0x00, 0xFF)))) << view.Log();
  EXPECT_EQ(view.Beeps().back(), OtpBeep::Error);
  EXPECT_EQ(box->Lamp(), 2);
  EXPECT_EQ(box->OtpContent(), Bytes(512, 0xFF));
}

TEST_F(OtpProgramChecks, AnAreaSmallerThanTheTableSaysFailsWhereTheChipStops) {
  // The MX25L6405D shares its ID with 512-byte parts (the size line's note
  // says it is not one of them) but has 64 bytes: of the 16 writes only the
  // first two land.
  std::optional<sim::ChipDescription> mx = sim::BuiltInChip("MX25L6405D");
  ASSERT_TRUE(mx);
  mx->contentPath = dir.file("mx.bin");
  mx->fill = sim::ContentFill::Blank;
  BootWith(*mx);
  const Bytes file = Pattern(64, 5);
  view.Choose(File("mx-otp.bin", file));
  view.QueueAnswer(BoxAnswer::Yes);  // the blank check cannot read past 64 bytes either
  tap->ClearRecords();

  EXPECT_FALSE(Run(Job::OtpProgram));
  EXPECT_EQ(Writes().size(), 16u);
  EXPECT_EQ(box->OtpContent(), file);
  EXPECT_TRUE(EndsWith(ReadBackFailure("040H(USB error)"))) << view.Log();
  EXPECT_EQ(box->Lamp(), 2);
}

TEST_F(OtpProgramChecks, ABoxThatStallsMidAreaIsNoSuccess) {
  // Where the fourth write reaches the box, measured on a box without faults.
  const Bytes file = Pattern(256, 4);
  BootGd25d40();
  view.Choose(File("f.bin", file));
  ASSERT_TRUE(Run(Job::OtpProgram));
  std::uint64_t fourthWrite = 0;
  int writes = 0;
  const std::vector<sim::ReceivedFrame> frames = box->ReceivedFrames();
  for (std::size_t i = 0; i < frames.size() && fourthWrite == 0; ++i) {
    if (frames[i].family == protocol::Frame::OtpLong && ++writes == 4) fourthWrite = i + 1;
  }
  ASSERT_NE(fourthWrite, 0u);
  ShutDown();

  sim::BoxDescription stalling = BoxWith(Gd25d40("stalling.bin", false));
  stalling.faults.scripted.push_back(
      {sim::FaultKind::Stall, {sim::FaultTrigger::When::AtCommand, fourthWrite}, 0});
  Boot(stalling);
  ASSERT_TRUE(rig);
  otp = std::make_unique<OtpProgrammer>(rig->ctx, rig->launcher);
  otp->AddJobs(rig->jobs);
  otp->SetView(&view);

  EXPECT_FALSE(Run(Job::OtpProgram));
  Bytes expected(file.begin(), file.begin() + 96);
  expected.resize(256, 0xFF);
  EXPECT_EQ(box->OtpContent(), expected);
  EXPECT_TRUE(EndsWith(ReadBackFailure("000H(USB error)"))) << view.Log();
  EXPECT_EQ(view.Log().find(I(itext::kOtpProgramDone)), std::string::npos);
}

// ---- a file larger than the area --------------------------------------------------

TEST_F(OtpProgramChecks, AFileLargerThanTheAreaIsWrittenOnlyWhenTheUserAgrees) {
  BootGd25d40();
  const Bytes file = Pattern(300, 6);
  view.Choose(File("big.bin", file));
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::OtpProgram));
  ASSERT_EQ(view.Boxes().size(), 1u);
  EXPECT_EQ(view.Boxes()[0].text, I(itext::kOtpFileLargerAsk));
  EXPECT_EQ(view.Boxes()[0].buttons, BoxButtons::YesNo);
  EXPECT_EQ(CountOtp(OTP_WRITE), 0);
  EXPECT_EQ(CountOtp(OTP_READ), 0);
  EXPECT_EQ(box->OtpContent(), Bytes(256, 0xFF));

  view.QueueAnswer(BoxAnswer::Yes);
  EXPECT_TRUE(Run(Job::OtpProgram));
  EXPECT_EQ(box->OtpContent(), Bytes(file.begin(), file.begin() + 256));
}

// ---- the lock box -----------------------------------------------------------------

TEST_F(OtpProgramChecks, TheTickOfALockedChipDoesNotCarryOverToTheNextChip) {
  BootGd25d40(true);
  ASSERT_TRUE(Run(Job::OtpDetect));
  ASSERT_TRUE(view.Ticked());

  Swap(Gd25d40("next.bin", false));
  ASSERT_TRUE(Run(Job::OtpDetect));
  EXPECT_FALSE(view.Ticked());
  EXPECT_TRUE(view.Enabled(ids::kOtpLockCheck));

  view.Choose(File("f.bin", Pattern(256, 2)));
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::OtpProgram));
  EXPECT_EQ(CountOtp(OTP_LOCK), 0);
  EXPECT_FALSE(box->OtpLocked());
}

TEST_F(OtpProgramChecks, ATickGivenForOneChipNeverLocksAnotherOrSurvivesANewDetection) {
  BootGd25d40();
  view.Choose(File("f.bin", Pattern(256, 2)));
  ASSERT_TRUE(Run(Job::OtpDetect));
  view.Tick(true);
  ASSERT_TRUE(Run(Job::OtpDetect));  // the user's own detection starts afresh
  EXPECT_FALSE(view.Ticked());

  view.Tick(true);
  sim::ChipDescription other = Flash(kEn25q64, 8u << 20, dir.file("other.bin"));
  other.otp.size = 512;
  Swap(other);  // programmed without a detection of its own
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::OtpProgram));
  EXPECT_EQ(CountOtp(OTP_LOCK), 0);
  EXPECT_FALSE(box->OtpLocked());
  EXPECT_FALSE(view.Ticked());
}

TEST_F(OtpProgramChecks, LockBytesOfTheFileAreLeftBlankWithoutTheLock) {
  BootOtp(kS25fl032p, 4u << 20, 512, 0x100);
  const Bytes file = Pattern(512, 7);
  view.Choose(File("spansion.bin", file));
  ASSERT_TRUE(Run(Job::OtpDetect));
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::OtpProgram));

  const std::vector<OtpFrame> writes = Writes();
  EXPECT_EQ(writes.size(), 16u);  // the first pass only
  Bytes expected = file;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (InSpansionRange(i)) expected[i] = 0xFF;
  }
  EXPECT_EQ(box->OtpContent(), expected);
  EXPECT_NE(view.Log().find("\r\n" + I(itext::kOtpLockBytesLeft) + "\r\n"), std::string::npos);
  EXPECT_TRUE(EndsWith(I(itext::kOtpProgramDone)));
}

}  // namespace
}  // namespace tarnwick::test
