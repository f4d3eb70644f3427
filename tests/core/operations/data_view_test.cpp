// The data view: the file's and the chip's value at one address, and what
// it says when either has no value there.
#include <gtest/gtest.h>

#include "core/app/text_ids.h"
#include "core/operations/data_view/data_view.h"
#include "core/operations/operation_rig.h"
#include "protocol/protocol.h"

namespace tarnwick::test {
namespace {

class DataViewTest : public ChipRigTest {};

TEST_F(DataViewTest, BothValuesAreShownWhereFileAndChipHaveThem) {
  Boot(DefaultBox(), true);
  LoadFile("f.bin", Bytes{0x00, 0x0F, 0xA5, 0x5A});
  const Bytes chip = Chip(0x12, 1);
  const DataViewResult r = ViewData(rig->ctx, "2");
  EXPECT_EQ(r.fileValue, "A5");
  EXPECT_EQ(r.showAddress, 2u);
  const DataViewResult c = ViewData(rig->ctx, "12");
  EXPECT_TRUE(c.chipRead);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", chip[0]);
  EXPECT_EQ(c.chipValue, hex);
  EXPECT_EQ(c.fileValue, I(itext::kOutOfRange));
  EXPECT_EQ(c.state, I(itext::kBeyondFileEnd) + I(itext::kChipValueRead) + "...");
  EXPECT_EQ(surface.LastStatus(), I(itext::kDataViewDone));
}

TEST_F(DataViewTest, AnAddressPastTheChipIsNotAskedOfTheBox) {
  Boot(DefaultBox(), true);
  tap->ClearRecords();
  const DataViewResult r = ViewData(rig->ctx, "800000");  // the chip has 8 MiB
  EXPECT_FALSE(r.chipRead);
  EXPECT_EQ(r.chipValue, I(itext::kOutOfRange));
  EXPECT_EQ(r.state, I(itext::kNoFileLoaded) + I(itext::kBeyondChipSize) + "...");
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_PEEK), 0);
  EXPECT_EQ(ViewData(rig->ctx, "").problem, itext::kDataViewNoAddress);
  EXPECT_EQ(ViewData(rig->ctx, "12G").problem, itext::kCharacterNotAllowed);
}

TEST_F(DataViewTest, NoBoxGivesNoChipValue) {
  sim::BoxDescription d = DefaultBox();
  d.present = false;
  Boot(d);
  const DataViewResult r = ViewData(rig->ctx, "0");
  EXPECT_FALSE(r.chipRead);
  EXPECT_EQ(r.chipValue, I(itext::kNotAvailable));
  // The two findings stand apart, as every other pair does.
  EXPECT_EQ(r.state, I(itext::kNoFileLoaded) + "," + I(itext::kBoxNotFound) + "...");
}

// No chip answers any probe: no value is asked of the box, which would
// answer FF for a chip that is not there.
TEST_F(DataViewTest, AnEmptySocketGivesNoChipValue) {
  sim::BoxDescription d = DefaultBox();
  d.chip.reset();
  Boot(d);
  tap->ClearRecords();
  const DataViewResult r = ViewData(rig->ctx, "10");
  EXPECT_FALSE(r.chipRead);
  EXPECT_EQ(r.chipValue, I(itext::kNotAvailable));
  EXPECT_EQ(r.state, I(itext::kNoFileLoaded) + "," + I(itext::kNoIdAnswer) + "...");
  EXPECT_EQ(CountOf(tap->Commands(), protocol::CMD_PEEK), 0);
}

}  // namespace
}  // namespace tarnwick::test
