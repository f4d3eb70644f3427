// Read, erase and blank check against the virtual box, and stopping each of
// them with its own button while it runs.
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/app/text_ids.h"
#include "core/operations/chip/chip_texts.h"
#include "core/operations/operation_rig.h"

namespace tarnwick::test {
namespace {

using namespace protocol;

constexpr const char* kTestCatalogue =
    "$25 SPI FLASH\r\n#TEST|\r\n@T12K:256:4K:12KB:N:000:AB3012:000000:3.3V:000\r\n"
    "@T2M:256:4K:2MB:N:000:AB3015:000000:3.3V:000\r\n";

class ReadEraseBlankTest : public ChipRigTest {
 protected:
  void BootTest(std::uint32_t id, std::uint64_t size, bool startWorker = false) {
    WriteCatalogue(kTestCatalogue);
    sim::ChipDescription c = Flash(id, size, dir.file("chip.bin"));
    c.fill = sim::ContentFill::Pattern;
    Boot(BoxWith(c), startWorker);
  }
  std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string ChipString(std::uint64_t size) {
    const Bytes b = Chip(0, size);
    return std::string(b.begin(), b.end());
  }
};

TEST_F(ReadEraseBlankTest, ReadOfTwelveKiBTakesTwoRequestsAndLoadsTheChipData) {
  BootTest(0xAB3012, 0x3000);
  tap->ClearRecords();
  EXPECT_TRUE(Run(Job::Read));
  std::vector<int> blocks;
  for (int n : tap->ReadSizes()) {
    if (n >= 256) blocks.push_back(n);
  }
  EXPECT_EQ(blocks, (std::vector<int>{8192, 8192}));
  EXPECT_EQ(FileBytes(rig->image.chipDataPath()), ChipString(0x3000));
  EXPECT_TRUE(rig->image.loaded());
  EXPECT_TRUE(rig->image.isChipData());
  EXPECT_EQ(rig->image.size(), 0x3000u);
  EXPECT_EQ(surface.LastStatus(), I(78) + "0:0");
  const auto progress = surface.ProgressTexts();
  EXPECT_EQ(progress, (std::vector<std::string>{I(76) + "0%", I(76) + "66%", I(76) + "100%"}));
  EXPECT_FALSE(surface.ProgressVisible());
  ExpectControlsRestored();
  // A second read replaces the loaded chip data.
  EXPECT_TRUE(Run(Job::Read));
  EXPECT_EQ(FileBytes(rig->image.chipDataPath()), ChipString(0x3000));
}

TEST_F(ReadEraseBlankTest, ReadThatLosesTheBoxFailsVisiblyAndLoadsNothing) {
  BootTest(0xAB3015, 2u << 20);
  std::atomic<bool> pulled{false};
  tap->SetAfterRead([&](int asked, int got) {
    if (asked == 8192 && got > 0 && !pulled.exchange(true)) box->Unplug();
  });
  EXPECT_FALSE(Run(Job::Read));
  EXPECT_FALSE(rig->image.loaded());
  EXPECT_TRUE(Shown(49));
  EXPECT_EQ(std::filesystem::file_size(rig->image.chipDataPath()), 8192u) << "what arrived is kept";
  EXPECT_FALSE(surface.ProgressVisible());
  ExpectControlsRestored();
}

// A FIFO in the chip-data file's place would block the read for ever: it is
// refused at once and the read fails visibly.
TEST_F(ReadEraseBlankTest, AFifoInPlaceOfTheChipDataFileFailsTheReadWithoutWaiting) {
  BootTest(0xAB3015, 2u << 20);
  ASSERT_EQ(::mkfifo(rig->image.chipDataPath().c_str(), 0600), 0);
  EXPECT_FALSE(Run(Job::Read));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_EQ(surface.LastStatus(), I(itext::kReadFailed));
  EXPECT_FALSE(rig->image.loaded());
  ExpectControlsRestored();
}

// A stopped read says so, with the bytes it got and its time; the part that
// arrived is kept in the chip-data file but never shown as the chip.
TEST_F(ReadEraseBlankTest, ReadButtonStopsTheReadSaysHowFarAndLoadsNothing) {
  BootTest(0xAB3015, 2u << 20, true);
  const Bytes mine = Pattern(300, 3);
  LoadFile("mine.bin", mine);
  std::atomic<bool> clicked{false};
  tap->SetAfterRead([&](int asked, int got) {
    if (asked == 8192 && got > 0 && !clicked.exchange(true)) ClickFromWindow(ids::kReadButton);
  });
  Press(ids::kReadButton);
  EXPECT_TRUE(clicked.load());
  EXPECT_EQ(surface.LastStatus(), chip_text::ReadStopped(8192, 2u << 20) + I(86) + "0:0");
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_FALSE(Shown(itext::kReadComplete)) << "the partial data is not the chip's content";
  EXPECT_FALSE(Shown(78)) << "a stopped read is not an ended one";
  EXPECT_FALSE(rig->image.isChipData());
  EXPECT_EQ(rig->image.size(), mine.size()) << "the user's file stays loaded";
  EXPECT_EQ(std::filesystem::file_size(rig->image.chipDataPath()), 8192u) << "what arrived is kept";
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  ExpectControlsRestored();
}

TEST_F(ReadEraseBlankTest, EraseLeavesTheChipBlankAndBlankCheckSaysSo) {
  BootTest(0xAB3015, 2u << 20);
  EXPECT_FALSE(Run(Job::BlankCheck)) << "the pattern is not blank";
  const auto boxes = surface.Boxes();
  ASSERT_FALSE(boxes.empty());
  // The pattern's first row starts with its address 00000000.
  EXPECT_EQ(boxes.back().text,
            I(65) + "\r\n" + I(66) + "00000000\r\n" + I(67) + "00" + std::string(11, ' '));
  EXPECT_EQ(boxes.back().icon, BoxIcon::Error);
  EXPECT_EQ(surface.LastStatus(), I(64) + "0:0");
  EXPECT_TRUE(surface.LastStatusIsError());

  EXPECT_TRUE(Run(Job::Erase));
  EXPECT_EQ(surface.LastStatus(), I(60) + "0:0");
  ASSERT_FALSE(surface.Sounds().empty());
  EXPECT_NE(surface.Sounds().back().find("del.wav"), std::string::npos);
  const Bytes chip = Chip(0, 2u << 20);
  EXPECT_TRUE(std::all_of(chip.begin(), chip.end(), [](std::uint8_t b) { return b == 0xFF; }));

  EXPECT_TRUE(Run(Job::BlankCheck));
  EXPECT_EQ(surface.LastStatus(), I(62) + "0:0");
  EXPECT_EQ(surface.Boxes().back().text, I(63));
  ExpectControlsRestored();
}

TEST_F(ReadEraseBlankTest, EraseThatNeverEndsReportsAUsbError) {
  WriteCatalogue(kTestCatalogue);
  sim::BoxDescription desc = BoxWith(Flash(0xAB3015, 2u << 20, dir.file("chip.bin")));
  sim::FaultEntry hang;
  hang.kind = sim::FaultKind::EraseHang;
  hang.trigger.when = sim::FaultTrigger::When::Always;
  desc.faults.scripted.push_back(hang);
  Boot(desc);
  EXPECT_FALSE(Run(Job::Erase));
  EXPECT_EQ(surface.LastStatus(), I(49));
  EXPECT_TRUE(surface.LastStatusIsError());
  ExpectControlsRestored();
}

TEST_F(ReadEraseBlankTest, EraseButtonStopsTheEraseAndReinitialisesTheBox) {
  BootTest(0xAB3015, 2u << 20, true);
  std::atomic<bool> greyed{false};
  std::atomic<int> jobDuringClick{0};
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[1] & 0x3F) != CMD_ERASE) return;
    greyed = !surface.Enabled(ids::kReadButton) && !surface.Enabled(ids::kChipFill) &&
             surface.Enabled(ids::kEraseButton);
    ClickFromWindow(ids::kEraseButton);
    jobDuringClick = rig->worker.JobCode();
  });
  tap->ClearRecords();
  Press(ids::kEraseButton);
  EXPECT_TRUE(greyed.load());
  EXPECT_EQ(jobDuringClick.load(), JobByte(Job::Erase)) << "a second erase request starts nothing";
  // Not "erase ended": the chip is partly erased, and the line has its time.
  EXPECT_EQ(surface.LastStatus(), std::string(chip_text::kEraseStopped) + I(86) + "0:0");
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_FALSE(Shown(60));
  const auto after = CommandsAfter(CMD_ERASE);
  ASSERT_GE(after.size(), 4u);
  EXPECT_EQ(std::vector<std::uint8_t>(after.begin(), after.begin() + 4),
            (std::vector<std::uint8_t>{CMD_IDLE, CMD_IDLE, CMD_RESET, CMD_SETUP}));
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  ExpectControlsRestored();
}

TEST_F(ReadEraseBlankTest, BlankCheckButtonStopsTheBlankCheck) {
  BootTest(0xAB3015, 2u << 20, true);
  // The box has not answered yet when the user clicks.
  std::atomic<bool> armed{false};
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[1] & 0x3F) == CMD_BLANK_CHECK) armed = true;
  });
  tap->SetReadOverride([&](int asked) -> std::optional<int> {
    if (asked != 64 || !armed.exchange(false)) return std::nullopt;
    ClickFromWindow(ids::kBlankCheckButton);
    return sim::kErrTimeout;
  });
  const std::size_t boxes = surface.Boxes().size();
  Press(ids::kBlankCheckButton);
  EXPECT_EQ(surface.LastStatus(), I(68) + I(86) + "0:0");
  EXPECT_EQ(surface.Boxes().size(), boxes) << "no result box after a stop";
  EXPECT_EQ(box->LampHistory().back(), kLampFailed);
  ExpectControlsRestored();
}

TEST_F(ReadEraseBlankTest, ABoxThatStopsAnsweringIsAUsbErrorNotAPatternedChip) {
  BootTest(0xAB3015, 2u << 20, true);
  std::atomic<bool> armed{false};
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[1] & 0x3F) == CMD_BLANK_CHECK) armed = true;
  });
  tap->SetReadOverride([&](int asked) -> std::optional<int> {
    if (asked != 64 || !armed.load()) return std::nullopt;
    return sim::kErrTimeout;  // never an answer
  });
  const std::size_t boxes = surface.Boxes().size();
  EXPECT_FALSE(Run(Job::BlankCheck));
  EXPECT_EQ(surface.LastStatus(), I(49));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_FALSE(Shown(64)) << "nothing was learnt about the chip";
  EXPECT_EQ(surface.Boxes().size(), boxes);
  ExpectControlsRestored();
}

}  // namespace
}  // namespace tarnwick::test
