// Chip fill on the virtual box: exactly the range changes, each unit the
// box rewrites is read and written back whole, and what the dialog's status
// line and the main status line say.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "core/app/text_ids.h"
#include "core/operations/chip_fill/chip_filler.h"
#include "core/operations/chip_fill/fill_plan.h"
#include "core/operations/operation_rig.h"
#include "sim/chip_models.h"

namespace tarnwick::test {
namespace {

class RecordingFillView : public ChipFillView {
 public:
  void ShowFillStatus(const std::string& text) override {
    std::lock_guard l(m_);
    statuses_.push_back(text);
  }
  void EnableCancel(bool on) override {
    std::lock_guard l(m_);
    cancel_.push_back(on);
  }
  std::vector<std::string> Statuses() const {
    std::lock_guard l(m_);
    return statuses_;
  }
  std::vector<bool> Cancel() const {
    std::lock_guard l(m_);
    return cancel_;
  }

 private:
  mutable std::mutex m_;
  std::vector<std::string> statuses_;
  std::vector<bool> cancel_;
};

constexpr const char* kPagesCatalogue =
    "$25 SPI FLASH\r\n#TEST|\r\n@TPAGES:256:N:64KB:N:000:AB3013:000000:3.3V:000\r\n";

class ChipFillTest : public ChipRigTest {
 protected:
  void TearDown() override {
    if (filler) filler->SetView(nullptr);
    ChipRigTest::TearDown();
  }
  void AddFiller() {
    ASSERT_TRUE(rig);
    filler = std::make_unique<ChipFiller>(rig->ctx, rig->launcher, dir.base());
    filler->AddJobs(rig->jobs);
    filler->SetView(&view);
  }
  // The default box: an EN25Q64 with its address pattern, 4 KiB sectors.
  void BootDefault() {
    Boot(DefaultBox(), true);
    AddFiller();
  }
  bool Fill(std::uint64_t start, std::uint64_t length, const std::string& value,
            const std::string& file = "") {
    filler->SetRequest({start, length, value, !file.empty(), file});
    return Run(Job::ChipFill);
  }
  // The addresses of the sector reads of the last fill.
  std::vector<std::uint32_t> SectorReads() const {
    std::vector<std::uint32_t> out;
    for (const TapUsb::Frame& f : tap->Frames()) {
      if ((f[protocol::kFrameCommand] & protocol::kCommandMask) != protocol::CMD_SECTOR_READ)
        continue;
      const std::size_t p = protocol::kFramePayload;
      out.push_back(
          static_cast<std::uint32_t>(f[p] << 24 | f[p + 1] << 16 | f[p + 2] << 8 | f[p + 3]));
    }
    return out;
  }

  RecordingFillView view;
  std::unique_ptr<ChipFiller> filler;
};

TEST_F(ChipFillTest, ARangeInsideOneSectorChangesOnlyItsBytes) {
  BootDefault();
  const Bytes before = Chip(0, 0x3000);
  tap->ClearRecords();
  EXPECT_TRUE(Fill(0x1010, 16, "AB"));
  EXPECT_EQ(SectorReads(), std::vector<std::uint32_t>{0x1000});
  Bytes expected = before;
  std::fill(expected.begin() + 0x1010, expected.begin() + 0x1020, 0xAB);
  EXPECT_EQ(Chip(0, 0x3000), expected);
  EXPECT_EQ(filler->LastOutcome(), itext::kFillDone);
  EXPECT_EQ(view.Statuses().front(), I(itext::kFilling));
  EXPECT_EQ(view.Statuses().back(), I(itext::kFillDone));
  EXPECT_EQ(surface.LastStatus(), I(itext::kFillDone));
  EXPECT_EQ(view.Cancel(), (std::vector<bool>{false, true}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("del.f")));
  EXPECT_EQ(box->Lamp(), 3);
}

TEST_F(ChipFillTest, ARangeAcrossASectorEdgeTakesAPassPerSector) {
  BootDefault();
  const Bytes before = Chip(0, 0x2000);
  tap->ClearRecords();
  // A value wider than a byte is refused, not cut to its last two digits.
  EXPECT_FALSE(Fill(0x0FF8, 16, "1AB"));
  EXPECT_EQ(filler->LastOutcome(), itext::kFillFailed);
  EXPECT_TRUE(SectorReads().empty());
  EXPECT_EQ(Chip(0, 0x2000), before);
  EXPECT_TRUE(Fill(0x0FF8, 16, "AB"));
  EXPECT_EQ(SectorReads(), (std::vector<std::uint32_t>{0x0000, 0x1000}));
  Bytes expected = before;
  std::fill(expected.begin() + 0x0FF8, expected.begin() + 0x1008, 0xAB);
  EXPECT_EQ(Chip(0, 0x2000), expected);
}

TEST_F(ChipFillTest, AChipWithoutSectorsIsFilledPageByPage) {
  WriteCatalogue(kPagesCatalogue);
  sim::ChipDescription chip = Flash(0xAB3013, 64u << 10, dir.file("pages.bin"));
  chip.fill = sim::ContentFill::Pattern;
  Boot(BoxWith(chip));
  AddFiller();
  tap->ClearRecords();
  EXPECT_TRUE(Fill(0x100, 0x300, "00"));
  EXPECT_EQ(SectorReads(), (std::vector<std::uint32_t>{0x100, 0x200, 0x300}));
  EXPECT_EQ(Chip(0x100, 0x300), Bytes(0x300, 0x00));
  EXPECT_NE(Chip(0x400, 16), Bytes(16, 0x00));
  // Three passes: a dot after the second.
  const auto statuses = view.Statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), I(itext::kFilling) + "."), statuses.end());
}

TEST_F(ChipFillTest, AWordChipTakesTheWordMostSignificantByteFirst) {
  std::optional<sim::ChipDescription> chip = sim::BuiltInChip("93C46");
  ASSERT_TRUE(chip);
  chip->contentPath = dir.file("93c46.bin");
  chip->fill = sim::ContentFill::Pattern;  // in 16-bit words: the x16 record's mode
  Boot(BoxWith(*chip));
  AddFiller();
  SetAutoDetect(false);
  Choose("93 EEPROM", "ATMEL", "AT93C46(x16)");
  const Bytes before = Chip(0, 128);
  EXPECT_TRUE(Fill(4, 8, "12AB"));  // words 4 to 11: bytes 8 to 23
  Bytes expected = before;
  for (std::size_t p = 8; p < 24; p += 2) {
    expected[p] = 0x12;
    expected[p + 1] = 0xAB;
  }
  EXPECT_EQ(Chip(0, 128), expected);
}

// A file with an odd number of bytes on a 16-bit chip: its last word is the
// last byte and 0xFF, and the log says so.
TEST_F(ChipFillTest, AnOddFileOnAWordChipPadsItsLastWordWithFF) {
  std::optional<sim::ChipDescription> chip = sim::BuiltInChip("93C46");
  ASSERT_TRUE(chip);
  chip->contentPath = dir.file("93c46.bin");
  chip->fill = sim::ContentFill::Pattern;
  Boot(BoxWith(*chip));
  AddFiller();
  SetAutoDetect(false);
  Choose("93 EEPROM", "ATMEL", "AT93C46(x16)");
  const Bytes before = Chip(0, 128);
  dir.Write("abc.bin", Bytes{0x41, 0x42, 0x43});
  EXPECT_TRUE(Fill(0x10, 0, "FFFF", dir.file("abc.bin")));  // the whole file from word 0x10
  Bytes expected = before;
  expected[0x20] = 0x41;
  expected[0x21] = 0x42;
  expected[0x22] = 0x43;
  expected[0x23] = 0xFF;
  EXPECT_EQ(Chip(0, 128), expected);
  const std::vector<std::string> lines = Status();
  EXPECT_NE(std::find(lines.begin(), lines.end(), chip_fill::PaddedWordText(0x43)), lines.end());
  EXPECT_EQ(surface.LastStatus(), I(itext::kFillDone));
}

TEST_F(ChipFillTest, FileModeWritesTheFileAndRepeatsItsLastUnit) {
  BootDefault();
  dir.Write("fill.bin", Bytes{1, 2, 3});
  EXPECT_TRUE(Fill(0x20, 6, "FF", dir.file("fill.bin")));
  EXPECT_EQ(Chip(0x20, 6), (Bytes{1, 2, 3, 3, 3, 3}));
}

TEST_F(ChipFillTest, RefusalsTouchNothingAndSayWhy) {
  BootDefault();
  const std::uint64_t size = rig->selection.ChipSize();
  tap->ClearRecords();
  EXPECT_FALSE(Fill(size - 8, 16, "00"));
  EXPECT_EQ(view.Statuses().back(), I(itext::kFillBeyondChip));
  EXPECT_EQ(surface.LastStatus(), I(itext::kFillFailed));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_FALSE(Fill(0, 0, "00"));  // nothing to write is not a fill
  EXPECT_FALSE(Fill(0, 4, "XY"));
  EXPECT_FALSE(Fill(0, 4, "", dir.file("missing.bin")));
  EXPECT_TRUE(SectorReads().empty());
  EXPECT_EQ(box->Lamp(), 2);
}

TEST_F(ChipFillTest, TheBoxGoneMidFillLeavesWrittenSectorsAndReportsAUsbError) {
  BootDefault();
  const Bytes before = Chip(0, 0x3000);
  int ends = 0;
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    if ((f[protocol::kFrameCommand] & protocol::kCommandMask) == protocol::CMD_SECTOR_READ &&
        ++ends == 2) {
      box->Unplug();
    }
  });
  EXPECT_FALSE(Fill(0x0800, 0x1000, "5A"));
  tap->SetAfterFrame({});
  EXPECT_EQ(filler->LastOutcome(), itext::kUsbError);
  EXPECT_EQ(view.Statuses().back(), I(itext::kUsbError));
  const Bytes after = box->ReadContent(0, 0x3000);
  Bytes expected = before;
  std::fill(expected.begin() + 0x0800, expected.begin() + 0x1000, 0x5A);  // first sector only
  EXPECT_EQ(after, expected);
}

TEST_F(ChipFillTest, AStopWritesTheRunningSectorWholeAndNamesTheRangeFilled) {
  BootDefault();
  const Bytes before = Chip(0, 0x3000);
  int reads = 0;
  tap->SetAfterFrame([&](const TapUsb::Frame& f) {
    // The window is closed while the second sector is being rewritten.
    if ((f[protocol::kFrameCommand] & protocol::kCommandMask) == protocol::CMD_SECTOR_READ &&
        ++reads == 2) {
      rig->ctx.detection.stopRequested = true;
    }
  });
  EXPECT_FALSE(Fill(0x0800, 0x2000, "5A"));
  tap->SetAfterFrame({});
  EXPECT_EQ(reads, 2) << "no sector after the stop";
  Bytes expected = before;
  std::fill(expected.begin() + 0x0800, expected.begin() + 0x2000, 0x5A);
  EXPECT_EQ(box->ReadContent(0, 0x3000), expected);
  EXPECT_EQ(filler->LastOutcome(), itext::kFillFailed);
  EXPECT_EQ(surface.LastStatus(), I(itext::kFillFailed) +
                                      " (stopped): 0x00000800-0x00001FFF filled, "
                                      "0x00002000-0x000027FF not written");
}

TEST(FillPlan, UnitsValuesPassesAndDots) {
  using chip_fill::UnitSize;
  EXPECT_EQ(UnitSize(2, 8, false), 4096u);
  EXPECT_EQ(UnitSize(0, 8, false), 256u);
  EXPECT_EQ(UnitSize(0, 0xFF, false), 256u);
  EXPECT_EQ(UnitSize(0, 1, true), 4u);
  EXPECT_FALSE(UnitSize(0xFF, 8, false));
  EXPECT_FALSE(UnitSize(200, 8, false));  // no box holds such a unit

  const auto word = chip_fill::ParseFillValue("12AB", true);
  ASSERT_TRUE(word);
  EXPECT_EQ(word->size, 2u);
  EXPECT_EQ(word->bytes, (std::array<std::uint8_t, 2>{0x12, 0xAB}));
  EXPECT_EQ(chip_fill::ParseFillValue("7", true)->bytes, (std::array<std::uint8_t, 2>{0, 7}));
  EXPECT_EQ(chip_fill::ParseFillValue("0ab", false)->bytes[0], 0xAB);
  // A value wider than the unit is refused, never cut to its last digits.
  EXPECT_FALSE(chip_fill::ParseFillValue("1ab", false));
  EXPECT_FALSE(chip_fill::ParseFillValue("ABCD", false));
  EXPECT_FALSE(chip_fill::ParseFillValue("12345", true));
  EXPECT_EQ(chip_fill::ParseFillValue("0FFFF", true)->bytes,
            (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
  EXPECT_FALSE(chip_fill::ParseFillValue("", false));
  EXPECT_FALSE(chip_fill::ParseFillValue("G1", false));

  const auto p = chip_fill::PassesFor(0x0FF8, 0x1008, 4096);
  EXPECT_EQ(p.first, 0u);
  EXPECT_EQ(p.count, 2u);
  EXPECT_EQ(chip_fill::PassesFor(0x1010, 0x1020, 4096).count, 1u);

  EXPECT_EQ(chip_fill::ProgressText("Fill", 1), "Fill");
  EXPECT_EQ(chip_fill::ProgressText("Fill", 5), "Fill..");
  // "Fill" and 13 dots is 17 characters: the text starts again.
  EXPECT_EQ(chip_fill::ProgressText("Fill", 2 * 13), "Fill");
  EXPECT_EQ(chip_fill::ProgressText("Fill", 2 * 12), "Fill" + std::string(12, '.'));

  // A word chip's range is told in words, as the dialog counts.
  EXPECT_EQ(chip_fill::PartialFillText(0x100, 0x300, 0x200, 2),
            "0x00000080-0x000000FF filled, 0x00000100-0x0000017F not written");
  EXPECT_EQ(chip_fill::PartialFillText(0x100, 0x300, 0x1000, 1), "0x00000100-0x000002FF filled");
  EXPECT_EQ(chip_fill::PartialFillText(0x100, 0x300, 0, 1),
            "nothing written, 0x00000100-0x000002FF untouched");
}

}  // namespace
}  // namespace tarnwick::test
