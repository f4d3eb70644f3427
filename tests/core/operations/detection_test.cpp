// Chip detection against the virtual box: the probe list, the answer codes,
// the catalogue look-up and what the user is shown.
#include <array>
#include <optional>

#include "core/catalogue/chip_selection.h"
#include "core/operations/chip/detection.h"
#include "core/operations/operation_rig.h"

namespace tarnwick::test {
namespace {

using protocol::CMD_ADAPTER_QUERY;
using protocol::CMD_READ_ID;

std::array<std::uint8_t, 3> Id(std::uint32_t id) {
  return {static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
          static_cast<std::uint8_t>(id)};
}

// Makes the box answer `answers[probe-1]` to the first probes.
TapUsb::IdScript Answers(std::vector<std::uint32_t> answers) {
  return [answers](int probe, const TapUsb::Frame&) -> std::optional<std::array<std::uint8_t, 3>> {
    if (probe < 1 || static_cast<std::size_t>(probe) > answers.size()) return std::nullopt;
    return Id(answers[static_cast<std::size_t>(probe - 1)]);
  };
}

class DetectionTest : public ChipRigTest {
 protected:
  int Detect23() {
    Run(Job::DetectUser);
    return LastDetect();
  }
  int ReadIds() { return CountOf(tap->Commands(), CMD_READ_ID); }
  std::vector<TapUsb::Frame> ProbeFrames() {
    std::vector<TapUsb::Frame> out;
    for (const auto& f : tap->Frames()) {
      if ((f[1] & 0x3F) == CMD_READ_ID) out.push_back(f);
    }
    return out;
  }
};

// ---- the probe list and the adapter ----

TEST_F(DetectionTest, WithTheAdapterOnlyTheSpiProbesRunAndAnEepromIsNeverFound) {
  sim::BoxDescription desc = BoxWith(Eeprom(1, {0x00}, true, 64 * 1024, dir.file("e.bin")));
  desc.adapterFitted = true;
  Boot(desc);
  EXPECT_EQ(Detect23(), -1);
  EXPECT_EQ(ReadIds(), 5);
  for (const auto& f : ProbeFrames()) EXPECT_EQ(f[2] & 0x80, 0x80) << "adapter bit in every probe";
  EXPECT_TRUE(LastIs(72) || Shown(72));
  EXPECT_EQ(BoxesWith(I(72)), 1);
}

TEST_F(DetectionTest, WithoutTheAdapterTheSameEepromIsFoundByItsFamily) {
  Boot(BoxWith(Eeprom(1, {0x00}, true, 64 * 1024, dir.file("e.bin"))));
  EXPECT_EQ(Detect23(), 0);
  EXPECT_EQ(ReadIds(), 6);
  const auto probes = ProbeFrames();
  ASSERT_EQ(probes.size(), 6u);
  // Probe 6: 5-volt flag, class 1, subcode 0.
  EXPECT_EQ(probes[5][1] & 0x80, 0x80);
  EXPECT_EQ(probes[5][2] & 0x0F, 1);
  EXPECT_EQ(probes[5][3], 0x00);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(probes[static_cast<std::size_t>(i)][1] & 0x80, 0) << i;
}

TEST_F(DetectionTest, ProbeFiveSilentLeavesTheListUnevaluated) {
  Boot(BoxWith(Flash(0xC84017, 8u << 20, dir.file("c.bin"))));
  tap->SetIdScript(Answers({0xC84017, 0xC84017, 0xC84017, 0xC84017, 0x000000}));
  EXPECT_EQ(Detect23(), -1);
  EXPECT_EQ(ReadIds(), 12) << "probing went on to the EEPROM modes and ran out";
  EXPECT_TRUE(Shown(72));
  // With probe 5 answering (the box's own FFFFFF) the list is evaluated there.
  tap->SetIdScript(nullptr);
  tap->ClearRecords();
  EXPECT_EQ(Detect23(), 1);
  EXPECT_EQ(ReadIds(), 5);
}

TEST_F(DetectionTest, ImplausibleAnswersAreDroppedBeforeTheLookup) {
  Boot(BoxWith(Flash(0xC84017, 8u << 20, dir.file("c.bin"))));
  tap->SetIdScript(Answers({0xC84017, 0x00FFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
  EXPECT_EQ(Detect23(), 1);
  EXPECT_EQ(rig->selection.ModelText(), "GD25Q64");
}

TEST(EvaluateIdentifications, RepeatsAtThirdAndFourthPlaceAndImpossibleValuesGo) {
  EXPECT_EQ(EvaluateIdentifications({0xEF4018, 0xFFFFFF, 0xEF4018, 0xFFFFFF, 0xFFFFFF}),
            (std::vector<std::uint32_t>{0xEF4018}));
  EXPECT_EQ(EvaluateIdentifications({0x111111, 0x222222, 0x333333, 0x222222, 0x444444}),
            (std::vector<std::uint32_t>{0x111111, 0x222222, 0x333333, 0x444444}));
  // Only those two places are compared.
  EXPECT_EQ(EvaluateIdentifications({0x111111, 0x111111, 0x222222}),
            (std::vector<std::uint32_t>{0x111111, 0x111111, 0x222222}));
  EXPECT_EQ(EvaluateIdentifications({0x00FFFF, 0x000000}), std::vector<std::uint32_t>{});
}

TEST_F(DetectionTest, AnIdWithThreeZerosIsLookedUpAndOneWithFourIsNoAnswer) {
  Boot(BoxWith(Flash(0xC00013, 512 * 1024, dir.file("a.bin"))));
  EXPECT_EQ(Detect23(), 0);
  EXPECT_TRUE(Shown(75)) << "looked up, not in the catalogue";
  EXPECT_EQ(BoxesWith(I(75)), 1);

  std::string error;
  ASSERT_TRUE(box->SwapChip(Flash(0xC00003, 512 * 1024, dir.file("b.bin")), error));
  WaitIdle();  // the hot-plug detection
  tap->ClearRecords();
  EXPECT_EQ(Detect23(), -1);
  EXPECT_EQ(ReadIds(), 12);
  EXPECT_TRUE(LastIs(72) || Shown(72));
}

// ---- family answers ----

struct FamilyCase {
  std::uint8_t cls;
  bool fiveVolt;
  int typeIndex;
  int itext;
};

class FamilyAnswer : public DetectionTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(FamilyAnswer, SelectsItsTypeListEntry) {
  const FamilyCase c = GetParam();
  Boot(BoxWith(Eeprom(c.cls, {0x00}, c.fiveVolt, 4096, dir.file("e.bin"))));
  EXPECT_EQ(Detect23(), 0);
  EXPECT_EQ(rig->selection.TypeIndex(), c.typeIndex);
  EXPECT_EQ(surface.ListSelection(ids::kTypeList), c.typeIndex);
  EXPECT_TRUE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(Shown(c.itext));
  EXPECT_EQ(BoxesWith(I(c.itext)), 1);
  EXPECT_TRUE(surface.Enabled(ids::kChipFill));
  EXPECT_TRUE(surface.Enabled(ids::kDataView));
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyAnswer,
                         ::testing::Values(FamilyCase{1, true, 1, 69}, FamilyCase{3, true, 2, 188},
                                           FamilyCase{2, true, 3, 70},
                                           FamilyCase{4, false, 4, 71}));

TEST_F(DetectionTest, SpiEepromAnswerLeavesEntryThreeAlone) {
  Boot(BoxWith(Eeprom(2, {0x00}, true, 64 * 1024, dir.file("e.bin"))));
  Choose("25 EEPROM", "MICROCHIP", "25LC512");
  EXPECT_EQ(Detect23(), 0);
  EXPECT_EQ(rig->selection.ModelText(), "25LC512") << "the user's model stays";
  EXPECT_FALSE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(Shown(70));
  // An operation goes on after such a detection (the selection did not change).
  Run(Job::BlankCheck);
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 1);
}

TEST_F(DetectionTest, SpiEepromAnswerLeavesEntryFiveAlone) {
  WriteCatalogue(
      "$25 SPI FLASH\r\n#X|\r\n@F1:256:4K:2MB:N:000:EF4015:000000:3.3V:000\r\n"
      "$24 EEPROM\r\n#X|\r\n@E1:128:N:64KB:A0:002:000000:000000:2.5-5.5:102\r\n"
      "$93 EEPROM\r\n#X|\r\n@E3:16:N:128B:N:000:000000:000000:2.5-5.5:300\r\n"
      "$25 EEPROM\r\n#X|\r\n@E2:64:N:32KB:N:002:000000:000000:2.5-5.5:200\r\n"
      "$95 EEPROM\r\n#X|\r\n@E4:64:N:32KB:N:002:000000:000000:2.5-5.5:400\r\n"
      "$25 EEPROM LARGE\r\n#Y|\r\n@E5:256:N:128KB:N:003:000000:000000:2.5-5.5:200\r\n");
  Boot(BoxWith(Eeprom(2, {0x00}, true, 128 * 1024, dir.file("e.bin"))));
  rig->selection.OnTypeChanged(5);
  ASSERT_EQ(rig->selection.ModelText(), "E5");
  EXPECT_EQ(Detect23(), 0);
  EXPECT_EQ(rig->selection.TypeIndex(), 5);
  EXPECT_FALSE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(Shown(70));
}

// ---- the catalogue look-up ----

TEST_F(DetectionTest, SeveralMatchesKeepTheUsersChoiceAmongThem) {
  Boot(BoxWith(Flash(0xC84017, 8u << 20, dir.file("c.bin"))));
  Choose("25 SPI FLASH", "GIGADEVICE", "GD25Q64B");
  EXPECT_EQ(Detect23(), 1);
  EXPECT_EQ(rig->selection.ModelText(), "GD25Q64B");
  EXPECT_FALSE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(rig->detection.severalMatches.load());
  EXPECT_TRUE(Shown(74));
  // The result box names the selection.
  const auto boxes = surface.Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, I(191) + "\r\n" + F(43) + "25 SPI FLASH\r\n" + F(44) +
                                   "GIGADEVICE\r\n" + F(45) + "GD25Q64B          ");
  EXPECT_EQ(boxes.back().caption, I(9));
  EXPECT_EQ(boxes.back().icon, BoxIcon::Information);
}

TEST_F(DetectionTest, SeveralMatchesElsewhereSelectTheFirstAndStopTheOperation) {
  Boot(BoxWith(Flash(0xC84017, 8u << 20, dir.file("c.bin"))));
  Choose("25 SPI FLASH", "EON", "EN25Q64");
  EXPECT_FALSE(Run(Job::BlankCheck));
  EXPECT_EQ(rig->selection.ModelText(), "GD25Q64");
  EXPECT_TRUE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(Shown(74));
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 0) << "the user is to look first";
  // Now the selection is one of the matches: the operation runs, silently about them.
  const std::size_t before = Status().size();
  EXPECT_TRUE(Run(Job::BlankCheck));
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 1);
  const auto lines = Status();
  for (std::size_t i = before; i < lines.size(); ++i) EXPECT_NE(lines[i], I(74));
}

TEST_F(DetectionTest, QuietFormShowsSeveralMatchesAsAnErrorLineWithoutBoxes) {
  Boot(BoxWith(Flash(0xC84017, 8u << 20, dir.file("c.bin"))));
  Choose("25 SPI FLASH", "GIGADEVICE", "GD25Q64");
  Run(Job::DetectQuiet);
  EXPECT_EQ(LastDetect(), 1);
  EXPECT_EQ(surface.LastStatus(), I(74));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_TRUE(surface.Boxes().empty());
}

TEST_F(DetectionTest, OneMatchIsSelectedWithoutFlaggingAChange) {
  Boot(BoxWith(Flash(0x1C3017, 8u << 20, dir.file("c.bin"))));
  Choose("25 SPI FLASH", "GIGADEVICE", "GD25Q64");
  EXPECT_TRUE(Run(Job::BlankCheck));
  EXPECT_EQ(rig->selection.ModelText(), "EN25Q64");
  EXPECT_FALSE(rig->detection.selectionChanged.load());
  EXPECT_TRUE(Shown(73));
}

TEST_F(DetectionTest, LogLineNamesTheChipAndWarnsOnlyAboveEightMebibytes) {
  Boot(BoxWith(Flash(0xEF4015, 2u << 20, dir.file("c.bin"))));
  Choose("25 SPI FLASH", "WINBOND", "W25Q16CV");
  Detect23();
  const auto pane = surface.PaneLines();
  EXPECT_TRUE(std::any_of(pane.begin(), pane.end(), [](const std::string& l) {
    return l.find("25 SPI FLASH : WINBOND : W25Q16CV : ") != std::string::npos;
  }));
  EXPECT_FALSE(std::any_of(pane.begin(), pane.end(), [&](const std::string& l) {
    return l.find(I(54)) != std::string::npos;
  }));
}

// ---- refusal ----

TEST_F(DetectionTest, RefusalStopsEveryLaterOperationAtItsStart) {
  sim::BoxDescription desc = DefaultBox();
  desc.bootLoader = true;
  desc.firmwareVersion = 0xFF;
  Boot(desc);
  LoadFile("f.bin", Pattern(4096));
  EXPECT_EQ(Detect23(), -1);
  EXPECT_TRUE(rig->detection.refusal.load());
  EXPECT_TRUE(Shown(56));
  EXPECT_EQ(BoxesWith(I(56)), 1);
  tap->ClearRecords();
  for (Job job :
       {Job::Read, Job::Erase, Job::BlankCheck, Job::Program, Job::Verify, Job::AutoProgram}) {
    const int beeps = surface.Beeps();
    EXPECT_FALSE(Run(job)) << int{JobByte(job)};
    EXPECT_EQ(surface.LastStatus(), I(56)) << int{JobByte(job)};
    EXPECT_TRUE(surface.LastStatusIsError());
    EXPECT_GT(surface.Beeps(), beeps);
  }
  for (std::uint8_t code : {protocol::CMD_READ, protocol::CMD_ERASE, protocol::CMD_BLANK_CHECK,
                            protocol::CMD_PROGRAM, protocol::CMD_VERIFY, CMD_READ_ID}) {
    EXPECT_EQ(CountOf(tap->Commands(), code), 0) << int{code};
  }
}

// ---- menu items and the automatic identification step ----

TEST_F(DetectionTest, FailuresGreyChipFillAndASuccessEnablesBothItemsAgain) {
  sim::BoxDescription desc = DefaultBox();
  desc.present = false;
  Boot(desc);
  EXPECT_EQ(Detect23(), -2);
  EXPECT_FALSE(surface.Enabled(ids::kChipFill));
  EXPECT_FALSE(surface.Enabled(ids::kDataView)) << "no file image loaded";
  EXPECT_EQ(BoxesWith(I(34)), 1);
  box->Plug();
  EXPECT_EQ(Detect23(), 1);
  EXPECT_TRUE(surface.Enabled(ids::kChipFill));
  EXPECT_TRUE(surface.Enabled(ids::kDataView));
  // With a file image loaded the data view stays usable through a failure.
  LoadFile("f.bin", Pattern(100));
  box->Unplug();
  EXPECT_EQ(Detect23(), -2);
  EXPECT_FALSE(surface.Enabled(ids::kChipFill));
  EXPECT_TRUE(surface.Enabled(ids::kDataView));
}

TEST_F(DetectionTest, WithoutAutoIdentifyAnOperationOnlyChecksTheLink) {
  Boot(DefaultBox());
  SetAutoDetect(false);
  Run(Job::BlankCheck);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_READ_ID), 0);
  EXPECT_EQ(CountOf(tap->Commands(), CMD_ADAPTER_QUERY), 0);
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 1);
  // Without the box: the link check reports it, with a box, and nothing starts.
  box->Unplug();
  WaitIdle();
  tap->ClearRecords();
  EXPECT_FALSE(Run(Job::BlankCheck));
  EXPECT_TRUE(Shown(34));
  EXPECT_GE(BoxesWith(I(34)), 1);
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_BLANK_CHECK), 0);
}

TEST_F(DetectionTest, WithAutoIdentifyAMissingBoxStopsTheOperation) {
  Boot(DefaultBox());
  box->Unplug();
  EXPECT_FALSE(Run(Job::Read));
  EXPECT_TRUE(Shown(34));
  EXPECT_EQ(BoxesWith(I(34)), 1);
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_READ), 0);
}

}  // namespace
}  // namespace tarnwick::test
