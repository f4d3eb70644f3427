// Program, verify and the automatic sequence against the virtual box: what
// reaches the chip, what the user is asked and told.
#include <atomic>
#include <filesystem>

#include "core/app/text_ids.h"
#include "core/operations/chip/chip_texts.h"
#include "core/operations/op_support.h"
#include "core/operations/operation_rig.h"

namespace tarnwick::test {
namespace {

using namespace protocol;

// Test chips: 12 KiB (0x3000 bytes: one full and one partial 8 KiB block) and 2 MiB.
constexpr const char* kTestCatalogue =
    "$25 SPI FLASH\r\n#TEST|\r\n@T12K:256:4K:12KB:N:000:AB3012:000000:3.3V:000\r\n"
    "@T2M:256:4K:2MB:N:000:AB3015:000000:3.3V:000\r\n";

class ProgramVerifyTest : public ChipRigTest {
 protected:
  // A blank W25Q16BV (2 MiB, "25 SPI FLASH") selected by the user.
  void BootW25Q16() {
    Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin"))));
    Choose("25 SPI FLASH", "WINBOND", "W25Q16BV");
  }
  void BootTest12K(sim::ContentFill fill = sim::ContentFill::Blank) {
    WriteCatalogue(kTestCatalogue);
    sim::ChipDescription c = Flash(0xAB3012, 0x3000, dir.file("chip12k.bin"));
    c.fill = fill;
    Boot(BoxWith(c));
  }

  std::vector<std::uint8_t> ProgramEndPayload() {
    const auto frames = tap->Frames();
    for (auto f = frames.rbegin(); f != frames.rend(); ++f) {
      if (((*f)[1] & 0x3F) == CMD_PROGRAM_END) return {f->begin() + 13, f->begin() + 17};
    }
    return {};
  }
  // Stream reads (whole blocks) asked for on endpoint 0x83.
  std::vector<int> BlockReads() {
    std::vector<int> out;
    for (int n : tap->ReadSizes()) {
      if (n >= 256) out.push_back(n);
    }
    return out;
  }
  bool AllFF(const Bytes& b) {
    return std::all_of(b.begin(), b.end(), [](std::uint8_t v) { return v == 0xFF; });
  }
};

// ---- what programming sends ----

TEST_F(ProgramVerifyTest, FourKiBIntoASpiFlashSendsOnlyTheFile) {
  BootW25Q16();
  const Bytes file = Pattern(4096);
  LoadFile("image.bin", file);
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::Program));
  EXPECT_EQ(tap->WriteSizes(), std::vector<int>{4096});
  EXPECT_EQ(ProgramEndPayload(), (Bytes{0x00, 0x00, 0x10, 0x00}));
  EXPECT_EQ(Chip(0, 4096), file);
  EXPECT_TRUE(AllFF(Chip(4096, 4096)));
  EXPECT_EQ(surface.LastStatus(), I(51) + " 4096 byte(s),0:0");
  EXPECT_FALSE(surface.LastStatusIsError());
  const auto progress = surface.ProgressTexts();
  EXPECT_EQ(std::count(progress.begin(), progress.end(), I(48) + "100%"), 1);
  EXPECT_FALSE(surface.ProgressVisible());
  ASSERT_FALSE(surface.Sounds().empty());
  EXPECT_NE(surface.Sounds().back().find("finishsound.wav"), std::string::npos);
  EXPECT_EQ(box->LampHistory().back(), kLampSucceeded);
  ExpectControlsRestored();
}

TEST_F(ProgramVerifyTest, FourKiBIntoAnEepromFillsTheWholeChipWithFF) {
  sim::ChipDescription e = Eeprom(1, {0x00, 0x02}, true, 64 * 1024, dir.file("e.bin"));
  e.fill = sim::ContentFill::Pattern;  // so the 0xFF padding shows
  Boot(BoxWith(e));
  Choose("24 EEPROM", "ATMEL", "AT24C512");
  const Bytes file = Pattern(4096, 3);
  LoadFile("image.bin", file);
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::Program));
  EXPECT_EQ(tap->Taken(), 65536u);
  EXPECT_EQ(tap->WriteSizes(), std::vector<int>(16, 4096));
  EXPECT_EQ(ProgramEndPayload(), (Bytes{0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(Chip(0, 4096), file);
  EXPECT_TRUE(AllFF(Chip(4096, 65536 - 4096)));
  EXPECT_EQ(surface.LastStatus(), I(51) + " 65536 byte(s),0:0");
}

TEST_F(ProgramVerifyTest, ABoxThatTakesPartOfEachBlockStillGetsExactlyTheFile) {
  sim::BoxDescription desc = BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin")));
  sim::FaultEntry partial;
  partial.kind = sim::FaultKind::PartialWrite;
  partial.trigger.when = sim::FaultTrigger::When::Always;
  partial.amount = 3000;
  desc.faults.scripted.push_back(partial);
  Boot(desc);
  Choose("25 SPI FLASH", "WINBOND", "W25Q16BV");
  const Bytes file = Pattern(10000, 5);
  LoadFile("image.bin", file);
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::Program));
  // Each block starts right after the last byte the box took.
  EXPECT_EQ(tap->WriteSizes(), (std::vector<int>{4096, 4096, 4000, 1000}));
  EXPECT_EQ(tap->Taken(), 10000u);
  EXPECT_EQ(Chip(0, file.size()), file);
  EXPECT_TRUE(AllFF(Chip(10000, 4096)));
  EXPECT_EQ(ProgramEndPayload(), (Bytes{0x00, 0x00, 0x27, 0x10}));
}

TEST_F(ProgramVerifyTest, AFileLargerThanTheChipIsProgrammedOnlyAfterYes) {
  BootTest12K();
  const Bytes file = Pattern(16 * 1024, 7);
  LoadFile("big.bin", file);

  surface.QueueAnswer(BoxAnswer::No);
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::Program));
  EXPECT_EQ(BoxesWith(I(58)), 1);
  EXPECT_EQ(surface.Boxes().back().buttons, BoxButtons::YesNo);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_PROGRAM), 0);
  ExpectControlsRestored();

  surface.QueueAnswer(BoxAnswer::Yes);
  EXPECT_TRUE(Run(Job::Program));
  EXPECT_EQ(tap->Taken(), 0x3000u);
  EXPECT_EQ(Chip(0, 0x3000), Bytes(file.begin(), file.begin() + 0x3000));
  EXPECT_TRUE(Shown(190));
  EXPECT_EQ(Status().back().rfind(I(190) + "12288 byte(s),0:0", 0), 0u) << Status().back();
  EXPECT_EQ(BoxesWith(I(190)), 1) << "a warning box when started as program";
}

// Verify of a file the chip cannot hold asks first, as programming does, and
// never passes without naming the part of the file it did not compare.
TEST_F(ProgramVerifyTest, VerifyOfAFileLargerThanTheChipAsksAndNamesWhatItDidNotCompare) {
  BootTest12K();
  const Bytes file = Pattern(16 * 1024, 7);
  LoadFile("big.bin", file);
  surface.QueueAnswer(BoxAnswer::Yes);
  ASSERT_TRUE(Run(Job::Program));

  surface.QueueAnswer(BoxAnswer::No);
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::Verify));
  EXPECT_EQ(BoxesWith(chip_text::kVerifyFileLargerAsk), 1);
  EXPECT_EQ(surface.Boxes().back().buttons, BoxButtons::YesNo);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_VERIFY), 0) << "No: nothing is compared";
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);

  surface.QueueAnswer(BoxAnswer::Yes);
  EXPECT_TRUE(Run(Job::Verify));
  const std::string notCompared =
      I(85) + " file bytes 0x00003000-0x00003FFF (4096 byte(s)) not compared";
  EXPECT_EQ(surface.LastStatus(), I(87) + "0:0 " + notCompared);
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(surface.Boxes().back().text, I(87) + "0:0    \r\n   " + notCompared);

  // A difference in the part that fits: the count, and still the part left out.
  Bytes other = file;
  other[0x100] ^= 0x01;
  LoadFile("other.bin", other);
  surface.QueueAnswer(BoxAnswer::Yes);  // compare the part that fits
  surface.QueueAnswer(BoxAnswer::No);   // no more difference boxes
  EXPECT_FALSE(Run(Job::Verify));
  EXPECT_EQ(surface.LastStatus(), I(84) + "1" + I(86) + "0:0 " + notCompared);
}

TEST_F(ProgramVerifyTest, TheAutoSequenceAsksAboutALargerFileOnlyOnce) {
  BootTest12K();
  LoadFile("big.bin", Pattern(16 * 1024, 8));
  surface.QueueAnswer(BoxAnswer::Yes);
  EXPECT_TRUE(Run(Job::AutoProgram));
  EXPECT_EQ(BoxesWith(I(58)), 1);
  EXPECT_EQ(BoxesWith(chip_text::kVerifyFileLargerAsk), 0) << "the program step asked";
  EXPECT_TRUE(Shown(190));
}

// An empty image has nothing to write or compare: program, verify and the
// automatic sequence refuse it before the box is touched.
TEST_F(ProgramVerifyTest, AnEmptyImageIsRefusedBeforeTheChipIsTouched) {
  BootW25Q16();
  LoadFile("empty.bin", Bytes{});
  const std::string refusal = "empty.bin: " + I(itext::kFileEmpty);
  tap->ClearRecords();
  for (Job job : {Job::Program, Job::Verify, Job::AutoProgram}) {
    EXPECT_FALSE(Run(job)) << int(JobByte(job));
    EXPECT_EQ(surface.LastStatus(), refusal) << int(JobByte(job));
    EXPECT_TRUE(surface.LastStatusIsError());
    ASSERT_FALSE(surface.Boxes().empty()) << int(JobByte(job));
    EXPECT_EQ(surface.Boxes().back().text, refusal);
    EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  }
  const auto cmds = tap->Commands();
  for (std::uint8_t code : {CMD_ERASE, CMD_PROGRAM, CMD_VERIFY}) {
    EXPECT_EQ(CountOf(cmds, code), 0) << int(code);
  }
  ExpectControlsRestored();
}

// ---- what verification reads and reports ----

TEST_F(ProgramVerifyTest, VerifyOfA0x3000ByteChipReadsOneFullAndOnePartialBlock) {
  BootTest12K();
  const Bytes file = Pattern(0x3000, 9);
  LoadFile("image.bin", file);
  ASSERT_TRUE(Run(Job::Program));
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::Verify));
  EXPECT_EQ(BlockReads(), (std::vector<int>{8192, 4096}));
  EXPECT_EQ(surface.LastStatus(), I(87) + "0:0");
  const auto progress = surface.ProgressTexts();
  EXPECT_EQ(std::count(progress.begin(), progress.end(), I(80) + "100%"), 1);
  // The verify frame carries the chip size.
  for (const auto& f : tap->Frames()) {
    if ((f[1] & 0x3F) == CMD_VERIFY) {
      EXPECT_EQ(Bytes(f.begin() + 13, f.begin() + 17), (Bytes{0, 0, 0x30, 0}));
    }
  }
  ExpectControlsRestored();
}

TEST_F(ProgramVerifyTest, NoAtAMismatchCountsTheRestSilently) {
  BootTest12K();
  Bytes file = Pattern(0x3000, 11);
  LoadFile("image.bin", file);
  ASSERT_TRUE(Run(Job::Program));
  Bytes other = file;
  other[0x10] ^= 0xFF;
  other[0x2000] ^= 0x01;
  other[0x2FFF] ^= 0x80;
  LoadFile("other.bin", other);
  surface.QueueAnswer(BoxAnswer::No);
  const std::size_t boxesBefore = surface.Boxes().size();
  EXPECT_FALSE(Run(Job::Verify));
  const auto boxes = surface.Boxes();
  ASSERT_EQ(boxes.size(), boxesBefore + 1);
  EXPECT_EQ(boxes.back().text,
            Format("10H %s ", I(29).c_str()) + "\r\n" +
                Format("%s%02XH %s%02XH", I(192).c_str(), other[0x10], I(193).c_str(), file[0x10]) +
                "     \r\n" + I(83));
  EXPECT_EQ(boxes.back().caption, I(29));
  EXPECT_EQ(boxes.back().buttons, BoxButtons::YesNoCancel);
  EXPECT_EQ(surface.LastStatus(), I(84) + "3" + I(86) + "0:0");
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
}

TEST_F(ProgramVerifyTest, CancelAtAMismatchStopsReadingAndReportsWhatWasCompared) {
  BootTest12K();
  Bytes file = Pattern(0x3000, 13);
  LoadFile("image.bin", file);
  ASSERT_TRUE(Run(Job::Program));
  Bytes other = file;
  other[0x20] ^= 0x10;
  other[0x2100] ^= 0x10;
  LoadFile("other.bin", other);
  surface.QueueAnswer(BoxAnswer::Cancel);
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::Verify));
  EXPECT_EQ(BlockReads(), std::vector<int>{8192}) << "the partial block is never read";
  EXPECT_EQ(surface.LastStatus(), I(84) + "1" + I(86) + "0:0");
  const auto after = CommandsAfter(CMD_VERIFY);
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.front(), CMD_IDLE);
  ExpectControlsRestored();
}

// ---- the automatic sequence ----

TEST_F(ProgramVerifyTest, AutoSequenceReinitialisesOnlyBetweenEraseAndProgram) {
  BootW25Q16();
  const Bytes file = Pattern(20000, 17);
  LoadFile("image.bin", file);
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::AutoProgram));
  const auto cmds = tap->Commands();
  const auto erase = std::find(cmds.begin(), cmds.end(), CMD_ERASE);
  const auto program = std::find(cmds.begin(), cmds.end(), CMD_PROGRAM);
  const auto verify = std::find(cmds.begin(), cmds.end(), CMD_VERIFY);
  ASSERT_TRUE(erase < program && program < verify);
  const std::vector<std::uint8_t> between(erase, program);
  EXPECT_EQ(CountOf(between, CMD_RESET), 1);
  EXPECT_GE(CountOf(between, CMD_SETUP), 1);
  const std::vector<std::uint8_t> later(program, verify);
  EXPECT_EQ(CountOf(later, CMD_RESET), 0);
  EXPECT_EQ(CountOf(later, CMD_SETUP), 0);
  EXPECT_EQ(CountOf(cmds, CMD_READ_ID), 5) << "identified once, before the erase";
  EXPECT_EQ(Chip(0, file.size()), file);
  EXPECT_EQ(surface.LastStatus(),
            I(91) + "," + I(92) + "," + I(93) + "," + I(94) + "," + I(95) + ",0:0");
  const auto pane = surface.PaneLines();
  EXPECT_TRUE(std::any_of(pane.begin(), pane.end(), [](const std::string& l) {
    return l.find("image.bin") != std::string::npos;
  }));
  ExpectControlsRestored();
}

TEST_F(ProgramVerifyTest, AutoSequenceWithoutAFileStopsBeforeTheBox) {
  BootW25Q16();
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::AutoProgram));
  EXPECT_EQ(surface.LastStatus(), I(57));
  EXPECT_EQ(BoxesWith(I(57)), 1);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ERASE), 0);
}

TEST_F(ProgramVerifyTest, AnEraseCancelledEarlierDoesNotStopTheAutoSequence) {
  Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin"))), true);
  Choose("25 SPI FLASH", "WINBOND", "W25Q16BV");
  const Bytes file = Pattern(5000, 19);
  LoadFile("image.bin", file);
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[1] & 0x3F) == CMD_ERASE) ClickFromWindow(ids::kEraseButton);
  });
  Press(ids::kEraseButton);
  EXPECT_EQ(surface.LastStatus().rfind(chip_text::kEraseStopped, 0), 0u) << surface.LastStatus();
  tap->SetAfterFrame(nullptr);
  Press(ids::kAutoProgramButton);
  EXPECT_EQ(box->LampHistory().back(), kLampSucceeded) << surface.LastStatus();
  EXPECT_EQ(Chip(0, file.size()), file);
}

// ---- the file image going away under the operation ----

TEST_F(ProgramVerifyTest, ADeletedSourceFileStillProgramsTheLoadedImage) {
  BootW25Q16();
  const Bytes file = Pattern(6000, 23);
  const std::string path = LoadFile("image.bin", file);
  std::filesystem::remove(path);
  EXPECT_TRUE(Run(Job::Program));
  EXPECT_EQ(Chip(0, file.size()), file);
}

TEST_F(ProgramVerifyTest, AMissingWorkingCopyIsReportedAndNothingIsSent) {
  BootW25Q16();
  LoadFile("image.bin", Pattern(6000, 29));
  std::filesystem::remove(rig->image.workingCopyPath());
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::Program));
  EXPECT_TRUE(Shown(25));
  EXPECT_EQ(CountOf(tap->Commands(), CMD_PROGRAM), 0);
  ExpectControlsRestored();
  EXPECT_FALSE(Run(Job::Verify));
  EXPECT_TRUE(LastIs(25));
  EXPECT_TRUE(surface.LastStatusIsError());
  ExpectControlsRestored();
}

TEST_F(ProgramVerifyTest, AWorkingCopyThatShrankIsNotProgrammedAsFF) {
  BootW25Q16();
  const Bytes file = Pattern(10000, 31);
  LoadFile("image.bin", file);
  std::filesystem::resize_file(rig->image.workingCopyPath(), 5000);
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::Program));
  EXPECT_TRUE(Shown(25));
  EXPECT_EQ(CountOf(tap->Commands(), CMD_PROGRAM_END), 0);
  EXPECT_LE(tap->Taken(), 5000u);
  ExpectControlsRestored();
  EXPECT_FALSE(Run(Job::Verify));
  EXPECT_TRUE(Shown(25));
}

// ---- cancel through the operation's own button ----

TEST_F(ProgramVerifyTest, ProgramButtonStopsARunningProgram) {
  Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("chip.bin"))), true);
  LoadFile("image.bin", Pattern(64 * 1024, 37));
  std::atomic<bool> greyed{false};
  std::atomic<int> jobDuringClick{0};
  tap->SetAfterWrite([&](int, std::uint64_t taken) {
    if (taken != 4096) return;
    greyed = !surface.Enabled(ids::kVerifyButton) && !surface.Enabled(ids::kBrowseButton) &&
             !surface.Enabled(ids::kChipFill) && surface.Enabled(ids::kProgramButton);
    ClickFromWindow(ids::kProgramButton);
    jobDuringClick = rig->worker.JobCode();
  });
  tap->ClearRecords();
  Press(ids::kProgramButton);
  EXPECT_TRUE(greyed.load());
  EXPECT_EQ(jobDuringClick.load(), JobByte(Job::Program)) << "the click started nothing";
  EXPECT_EQ(surface.LastStatus().rfind(I(50) + " 4096 byte(s),0:0", 0), 0u) << surface.LastStatus();
  EXPECT_EQ(CountOf(tap->Commands(), CMD_PROGRAM_END), 0);
  EXPECT_EQ(tap->Taken(), 4096u);
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  ExpectControlsRestored();
  // The next click starts a new run (the cancel request is cleared).
  tap->SetAfterWrite(nullptr);
  Press(ids::kEraseButton);
  Press(ids::kProgramButton);
  EXPECT_EQ(box->LampHistory().back(), kLampSucceeded);
}

TEST_F(ProgramVerifyTest, VerifyButtonStopsARunningVerifyWithoutClaimingSuccess) {
  WriteCatalogue(kTestCatalogue);
  Boot(BoxWith(Flash(0xAB3015, 2u << 20, dir.file("chip.bin"))), true);
  const Bytes file = Pattern(64 * 1024, 41);
  LoadFile("image.bin", file);
  ASSERT_TRUE(Run(Job::Program));
  std::atomic<bool> clicked{false};
  tap->SetAfterRead([&](int asked, int) {
    if (asked == 8192 && !clicked.exchange(true)) ClickFromWindow(ids::kVerifyButton);
  });
  tap->ClearRecords();
  Press(ids::kVerifyButton);
  EXPECT_TRUE(clicked.load());
  EXPECT_EQ(BlockReads(), std::vector<int>{8192});
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  EXPECT_NE(surface.LastStatus().rfind(I(87), 0), 0u) << "a stopped verify is not a passed one";
  EXPECT_EQ(surface.LastStatus().rfind(I(81), 0), 0u)
      << "it says it stopped: " << surface.LastStatus();
  EXPECT_NE(surface.LastStatus().rfind(I(80), 0), 0u) << "not the progress text";
  EXPECT_NE(surface.LastStatus().find('%'), std::string::npos) << "and how far it got";
  // The table's text keeps its blank before the percentage, and the line
  // ends with its time. 8 KiB of 2 MiB were compared: 0%.
  std::string head = I(81);
  while (!head.empty() && head.back() == ' ') head.pop_back();
  EXPECT_EQ(surface.LastStatus(), head + " 0%" + I(86) + "0:0");
  EXPECT_NE(surface.LastStatus().find("stopped at 0%"), std::string::npos) << surface.LastStatus();
  EXPECT_TRUE(surface.LastStatusIsError());
  ExpectControlsRestored();
}

}  // namespace
}  // namespace tarnwick::test
