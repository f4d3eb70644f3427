// The "配置" button: the quad-enable setting of the selected chip family goes
// to the chip after a quiet detection, set or cleared by the QE check box.
#include <gtest/gtest.h>

#include "core/operations/operation_rig.h"
#include "sim/chip_models.h"

namespace tarnwick::test {
namespace {

class QuadEnable : public ChipRigTest {
 protected:
  void BootWinbond() {
    std::optional<sim::ChipDescription> chip = sim::BuiltInChip("W25Q32FV");
    ASSERT_TRUE(chip);
    chip->contentPath = dir.file("w25q32.bin");
    chip->fill = sim::ContentFill::Blank;
    Boot(BoxWith(*chip));
    Choose("25 SPI FLASH", "WINBOND", "W25Q32FV");
    ASSERT_TRUE(surface.Visible(ids::kQeCheck));
    ASSERT_TRUE(surface.Visible(ids::kQeConfigButton));
  }
};

TEST_F(QuadEnable, TickedBoxSetsTheBitAndUntickedClearsIt) {
  BootWinbond();
  surface.SetCheckBox(ids::kQeCheck, true);
  Run(Job::QuadEnable);  // what the "配置" button starts
  EXPECT_TRUE(box->QuadEnable());
  EXPECT_TRUE(Shown(202));
  EXPECT_EQ(surface.LastStatus(), I(203));
  // The user's model among the records sharing EF4016 stays chosen.
  EXPECT_EQ(rig->selection.ModelText(), "W25Q32FV");

  surface.SetCheckBox(ids::kQeCheck, false);
  Run(Job::QuadEnable);  // what the "配置" button starts
  EXPECT_FALSE(box->QuadEnable());
  EXPECT_EQ(surface.LastStatus(), I(203));
}

TEST_F(QuadEnable, AChipThatRefusesTheMethodIsReported) {
  std::optional<sim::ChipDescription> chip = sim::BuiltInChip("W25Q32FV");
  ASSERT_TRUE(chip);
  chip->contentPath = dir.file("w25q32.bin");
  chip->qeMethod = {0x06, 0x01};  // a different family's method
  Boot(BoxWith(*chip));
  Choose("25 SPI FLASH", "WINBOND", "W25Q32FV");
  surface.SetCheckBox(ids::kQeCheck, true);
  const int beeps = surface.Beeps();
  Run(Job::QuadEnable);  // what the "配置" button starts
  EXPECT_FALSE(box->QuadEnable());
  EXPECT_EQ(surface.LastStatus(), I(204));
  EXPECT_TRUE(surface.LastStatusIsError());
  EXPECT_GT(surface.Beeps(), beeps);
}

TEST_F(QuadEnable, NothingIsSentWhenDetectionFindsNoRecord) {
  sim::ChipDescription unknown = Flash(0xABCDEF, 4u << 20, dir.file("unknown.bin"));
  unknown.hasQuadEnable = true;
  Boot(BoxWith(unknown));
  Choose("25 SPI FLASH", "WINBOND", "W25Q32FV");
  Run(Job::QuadEnable);  // what the "配置" button starts
  EXPECT_EQ(surface.LastStatus(), I(204));
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_QE_CONFIG), 0);
}

TEST_F(QuadEnable, AChipWithoutAMethodGetsNoneOfThePreviousChips) {
  // The socket holds the default EON part; the user last chose a Winbond one.
  Boot(DefaultBox());
  Choose("25 SPI FLASH", "WINBOND", "W25Q32FV");
  ASSERT_TRUE(surface.Visible(ids::kQeConfigButton));
  Run(Job::QuadEnable);
  EXPECT_EQ(rig->selection.MakerText(), "EON");
  EXPECT_FALSE(surface.Visible(ids::kQeConfigButton));
  EXPECT_EQ(surface.LastStatus(), I(204));
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_QE_CONFIG), 0)
      << "no Winbond bytes to an EON chip";
}

}  // namespace
}  // namespace tarnwick::test
