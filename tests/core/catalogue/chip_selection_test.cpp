// The selection as the window sees it, through a recording surface.
#include <gtest/gtest.h>

#include "catalogue_test_util.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/parameter_build.h"
#include "resources/ids.h"
#include "support/recording_surface.h"

namespace tarnwick {
namespace {

using test::CrLf;

class ChipSelectionTest : public ::testing::Test {
 protected:
  ChipSelectionTest() {
    catalogue.LoadText(CrLf({
        "$25 SPI FLASH", "#WINBOND|",                                 //
        "@W25X40:256:4K:512KB:N:000:EF3013:000000:3.3V:000",          // 0
        "@W25Q16:256:4K:2MB:N:000:EF4015:000000:3.3V:000",            // 1
        "#MX(MACRONIX)|",                                             //
        "@MX25L6436F:256:4K:8MB:N:000:C22017:000000:3.3V:000",        // 2
        "@MX25L6436F:256:4K:8MB:N:000:C22017:000001:3.3V:000",        // 3
        "$93 EEPROM", "#ST|",                                         //
        "@M93C86(x16):2:N:1K*16bit:N:010:000000:000000:1.8-5.5:311",  // 4
        "@m93c86(x8):1:N:2KB:N:011:000000:000000:1.8-5.5:310",        // 5
    }));
    selection.SetParameterBuilder(
        [this](const ChipRecord& r, bool adapter) { BuildParameters(r, adapter, frame); });
    selection.SetAfterApply([this](const AppliedSelection& s) { applied.push_back(s); });
  }

  Catalogue catalogue;
  test::RecordingSurface surface;
  CommandFrame frame;
  ChipSelection selection{catalogue, surface};
  std::vector<AppliedSelection> applied;
};

TEST_F(ChipSelectionTest, StartSelectsTheFirstOfEveryList) {
  selection.Initialise();
  EXPECT_EQ(surface.ListItems(ids::kTypeList),
            (std::vector<std::string>{"25 SPI FLASH", "93 EEPROM"}));
  EXPECT_EQ(surface.ListItems(ids::kMakerList),
            (std::vector<std::string>{"WINBOND", "MX(MACRONIX)"}));
  EXPECT_EQ(surface.ListItems(ids::kModelList), (std::vector<std::string>{"W25X40", "W25Q16"}));
  EXPECT_EQ(surface.ListSelection(ids::kTypeList), 0);
  EXPECT_EQ(surface.ListSelection(ids::kModelList), 0);
  EXPECT_EQ(selection.SelectedRecord(), 0);
  EXPECT_EQ(selection.ChipSize(), 512u << 10);
  EXPECT_EQ(surface.ControlText(ids::kCapacityText), "4Mbits/512Kbytes");
  EXPECT_EQ(surface.Picture(ids::kSocketPicture), ids::kSocketIconClass0);
  EXPECT_FALSE(surface.Visible(ids::kQeCheck)) << "512 KiB Winbond: no QE";
  EXPECT_FALSE(surface.Visible(ids::kQeConfigButton));
  EXPECT_EQ(frame.bytes[0], 0xA5);
  EXPECT_EQ(frame.bytes[7], 0x08);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].record, 0);
}

TEST_F(ChipSelectionTest, ListChangesRefillWhatFollowsAndApply) {
  selection.Initialise();
  selection.OnModelChanged(1);
  EXPECT_EQ(selection.SelectedRecord(), 1);
  EXPECT_TRUE(surface.Visible(ids::kQeCheck)) << "2 MiB Winbond shows QE";
  EXPECT_TRUE(surface.Visible(ids::kQeConfigButton));
  EXPECT_EQ(selection.QeMethod(), (QeMethodBytes{0x09, 0x02}));

  selection.OnTypeChanged(1);
  EXPECT_EQ(surface.ListItems(ids::kMakerList), (std::vector<std::string>{"ST"}));
  EXPECT_EQ(surface.ListItems(ids::kModelList),
            (std::vector<std::string>{"M93C86(x16)", "m93c86(x8)"}));
  EXPECT_EQ(surface.ListSelection(ids::kModelList), 0);
  EXPECT_EQ(selection.SelectedRecord(), 4);
  EXPECT_EQ(selection.ChipSize(), 2048u);
  EXPECT_EQ(surface.ControlText(ids::kCapacityText), "1K*16bit");
  EXPECT_EQ(surface.Picture(ids::kSocketPicture), ids::kSocketIconClass3Sub1);
  EXPECT_FALSE(surface.Visible(ids::kQeCheck));
  EXPECT_EQ(selection.QeMethod(), (QeMethodBytes{0x09, 0x02})) << "kept while hidden";
  EXPECT_EQ(frame.bytes[12], 10);

  selection.OnTypeChanged(0);
  selection.OnMakerChanged(1);
  EXPECT_EQ(surface.ListItems(ids::kModelList),
            (std::vector<std::string>{"MX25L6436F", "MX25L6436F"}));
  selection.OnModelChanged(1);
  EXPECT_EQ(selection.SelectedRecord(), 2) << "a duplicate name selects the first record";
  EXPECT_EQ(selection.QeMethod(), (QeMethodBytes{0x06, 0x01}));
  EXPECT_EQ(applied.size(), 6u) << "every change applies once";
}

TEST_F(ChipSelectionTest, SelectRecordWalksAllThreeLists) {
  selection.Initialise();
  EXPECT_TRUE(selection.SelectRecord(5));
  EXPECT_EQ(surface.ListSelection(ids::kTypeList), 1);
  EXPECT_EQ(surface.ListSelection(ids::kMakerList), 0);
  // The model is found by its text in the refilled list.
  EXPECT_EQ(surface.ListSelection(ids::kModelList), 1);
  EXPECT_EQ(selection.SelectedRecord(), 5);
  EXPECT_EQ(selection.TypeText() + "/" + selection.MakerText() + "/" + selection.ModelText(),
            "93 EEPROM/ST/m93c86(x8)");
  EXPECT_EQ(surface.ControlText(ids::kCapacityText), "16Kbits/2Kbytes");
  EXPECT_EQ(surface.Picture(ids::kSocketPicture), ids::kSocketIconClass3Sub0);

  frame.bytes[0] = 0;
  EXPECT_FALSE(selection.SelectRecord(6));
  EXPECT_FALSE(selection.SelectRecord(-1));
  EXPECT_EQ(selection.SelectedRecord(), 5);
  EXPECT_EQ(frame.bytes[0], 0) << "no build for a record that is not there";
}

TEST_F(ChipSelectionTest, AdapterFlagRidesInEveryBuild) {
  selection.Initialise();
  EXPECT_EQ(frame.bytes[2] & 0x80, 0);
  selection.SetAdapterFlag(true);
  selection.ApplySelection();
  EXPECT_EQ(frame.bytes[2] & 0x80, 0x80);
}

TEST(ChipSelectionEmpty, NoRecordMeansNoChipAndDisabledOperations) {
  Catalogue empty;
  test::RecordingSurface surface;
  ChipSelection selection(empty, surface);
  std::vector<AppliedSelection> applied;
  selection.SetAfterApply([&](const AppliedSelection& s) { applied.push_back(s); });
  selection.Initialise();
  EXPECT_TRUE(surface.ListItems(ids::kTypeList).empty());
  EXPECT_EQ(surface.ListSelection(ids::kTypeList), -1);
  EXPECT_EQ(selection.SelectedRecord(), kNoRecord);
  EXPECT_FALSE(selection.HasRecord());
  EXPECT_EQ(selection.ChipSize(), 0u);
  EXPECT_EQ(surface.ControlText(ids::kCapacityText), "0");
  EXPECT_FALSE(surface.Visible(ids::kQeCheck));
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].record, kNoRecord);
  selection.OnTypeChanged(3);
  selection.OnModelChanged(0);
  EXPECT_EQ(selection.SelectedRecord(), kNoRecord);
}

}  // namespace
}  // namespace tarnwick
