// The link against a scripted bus: finding and opening the box, configure and
// claim with the stale-data read, the re-open routines with their messages,
// and the transfers' endpoints and default timeouts.
#include "core/device/device_link.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link_fixture.h"
#include "resources/ids.h"
#include "scripted_usb.h"

namespace tarnwick {
namespace {

using test::Itext;
using test::LinkFixture;
using test::ScriptedUsb;

struct DeviceLinkTest : ::testing::Test {
  ScriptedUsb usb;
  LinkFixture f{usb};
  DeviceLink& link = f.link;
};

TEST_F(DeviceLinkTest, FindsAndOpensTheFirstBoxInBusOrder) {
  EXPECT_FALSE(link.DevicePresent());
  EXPECT_EQ(link.OpenDevice(protocol::kVendorId, protocol::kProductId), nullptr);
  usb.AddOther(1, 1);
  EXPECT_FALSE(link.DevicePresent());
  usb.AddBox(1, 4);
  usb.AddBox(2, 1);
  EXPECT_TRUE(link.DevicePresent());
  UsbHandle h = link.OpenDevice(protocol::kVendorId, protocol::kProductId);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(usb.openedIndex, 1u);
  EXPECT_EQ(usb.Close(h), 0);
}

TEST_F(DeviceLinkTest, ConfigureAndClaimOpensTheLinkAndDrainsStaleData) {
  usb.AddBox();
  usb.Answer({9, 9, 9});  // left over from an earlier connection
  ASSERT_TRUE(
      link.ConfigureAndClaim(link.OpenDevice(protocol::kVendorId, protocol::kProductId), 1, 0));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_NE(link.handle(), nullptr);
  ASSERT_EQ(usb.reads.size(), 1u);
  EXPECT_EQ(usb.reads[0].endpoint, 0x83);
  EXPECT_EQ(usb.reads[0].size, 64);
  EXPECT_EQ(usb.reads[0].timeoutMs, 100);
  EXPECT_TRUE(usb.answers.empty());
  EXPECT_TRUE(f.surface.StatusLines().empty());

  EXPECT_TRUE(link.CloseLink());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.handle(), nullptr);
  EXPECT_EQ(usb.openHandles(), 0);
}

TEST_F(DeviceLinkTest, ConfigureFailuresCloseTheHandleAndReportUnlessRefused) {
  // No handle at all.
  EXPECT_FALSE(link.ConfigureAndClaim(nullptr, 1, 0));
  EXPECT_EQ(f.surface.LastStatus(), Itext(34));
  EXPECT_TRUE(f.surface.LastStatusIsError());

  usb.AddBox();
  usb.claimFails = true;
  EXPECT_FALSE(
      link.ConfigureAndClaim(link.OpenDevice(protocol::kVendorId, protocol::kProductId), 1, 0));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(usb.openHandles(), 0);
  EXPECT_EQ(link.handle(), nullptr);
  EXPECT_EQ(f.StatusCount(Itext(34)), 2);
  // The closed handle is never used for a transfer.
  std::uint8_t b = 0;
  EXPECT_LT(link.ReadAnswer(&b, 1, 0), 0);
  EXPECT_FALSE(link.WriteInterrupt(2, &b, 1, 0));
  EXPECT_LT(link.WriteData(&b, 1, 0), 0);

  // While the box is in its firmware-upgrade mode the failures stay quiet.
  f.refusal = true;
  usb.claimFails = false;
  usb.configureFails = true;
  EXPECT_FALSE(
      link.ConfigureAndClaim(link.OpenDevice(protocol::kVendorId, protocol::kProductId), 1, 0));
  EXPECT_FALSE(link.ConfigureAndClaim(nullptr, 1, 0));
  EXPECT_EQ(f.StatusCount(Itext(34)), 2);
  EXPECT_EQ(usb.openHandles(), 0);
}

TEST_F(DeviceLinkTest, TransfersUseTheirEndpointsAndTheDefaultTimeout) {
  usb.AddBox();
  ASSERT_TRUE(link.ReopenLink(false));
  const std::uint8_t data[3] = {1, 2, 3};
  EXPECT_TRUE(link.WriteInterrupt(protocol::kEndpointCommand, data, 3, 0));
  EXPECT_TRUE(link.WriteInterrupt(protocol::kEndpointCommand, data, 3, 100));
  EXPECT_EQ(link.WriteData(data, 3, 0), 3);
  EXPECT_EQ(link.WriteData(data, 3, 60000), 3);
  usb.Answer({7, 8});
  std::uint8_t in[8] = {};
  EXPECT_EQ(link.ReadAnswer(in, 8, 0), 2);
  EXPECT_EQ(in[1], 8);
  EXPECT_EQ(link.ReadAnswer(in, 8, 5000), ScriptedUsb::kTimeout);

  ASSERT_EQ(usb.interruptWrites.size(), 2u);
  EXPECT_EQ(usb.interruptWrites[0].endpoint, 2);
  EXPECT_EQ(usb.interruptWrites[0].timeoutMs, 500);
  EXPECT_EQ(usb.interruptWrites[1].timeoutMs, 100);
  ASSERT_EQ(usb.bulkWrites.size(), 2u);
  EXPECT_EQ(usb.bulkWrites[0].endpoint, 1);
  EXPECT_EQ(usb.bulkWrites[0].timeoutMs, 500);
  EXPECT_EQ(usb.bulkWrites[1].timeoutMs, 60000);
  ASSERT_EQ(usb.reads.size(), 3u);  // the stale read, then ours
  EXPECT_EQ(usb.reads[1].timeoutMs, 500);
  EXPECT_EQ(usb.reads[2].timeoutMs, 5000);

  usb.writesFail = true;
  EXPECT_FALSE(link.WriteInterrupt(protocol::kEndpointCommand, data, 3, 0));
}

TEST_F(DeviceLinkTest, ReopenLinkClosesAndReopensAndWarnsWhenAsked) {
  EXPECT_FALSE(link.ReopenLink(false));
  EXPECT_TRUE(f.surface.Boxes().empty());
  EXPECT_FALSE(link.ReopenLink(true));
  EXPECT_EQ(f.BoxesWith(Itext(34)), 1);

  usb.AddBox();
  ASSERT_TRUE(link.ReopenLink(true));
  UsbHandle first = link.handle();
  usb.calls.clear();
  ASSERT_TRUE(link.ReopenLink(true));
  // A working link is closed and opened again, with a fresh bus scan.
  EXPECT_EQ(usb.calls.front(), "scan");
  EXPECT_NE(std::find(usb.calls.begin(), usb.calls.end(), "release 0"), usb.calls.end());
  EXPECT_NE(link.handle(), first);
  EXPECT_EQ(usb.openHandles(), 1);

  usb.configureFails = true;
  EXPECT_FALSE(link.ReopenLink(true));
  EXPECT_EQ(f.BoxesWith(Itext(34)), 2);
  EXPECT_EQ(usb.openHandles(), 0);
}

TEST_F(DeviceLinkTest, CheckLinkWithoutABoxGreysChipFillAndReports) {
  EXPECT_EQ(link.CheckLink(false), kLinkUnusable);
  EXPECT_EQ(f.surface.LastStatus(), Itext(34));
  EXPECT_TRUE(f.surface.LastStatusIsError());
  EXPECT_FALSE(f.surface.Enabled(ids::kChipFill));
  EXPECT_TRUE(f.surface.Boxes().empty());

  EXPECT_EQ(link.CheckLink(true), kLinkUnusable);
  EXPECT_EQ(f.BoxesWith(Itext(34)), 1);
  // The refusal flag does not hide a missing box.
  f.refusal = true;
  EXPECT_EQ(link.CheckLink(false), kLinkUnusable);
  EXPECT_EQ(f.StatusCount(Itext(34)), 3);
}

TEST_F(DeviceLinkTest, CheckLinkReopensAndJudgesAFailedReopen) {
  usb.AddBox();
  EXPECT_EQ(link.CheckLink(true), kLinkUsable);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_TRUE(f.surface.StatusLines().empty());

  // Re-open fails on a link that worked and no device change happened: still usable.
  usb.openFails = true;
  EXPECT_EQ(link.CheckLink(true), kLinkUsable);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(f.surface.LastStatus(), Itext(34));  // from the configure step
  EXPECT_TRUE(f.surface.Boxes().empty());

  // Now the link was closed before: itext 35, greyed chip fill, a box.
  EXPECT_EQ(link.CheckLink(true), kLinkUnusable);
  EXPECT_EQ(f.surface.LastStatus(), Itext(35));
  EXPECT_EQ(f.BoxesWith(Itext(35)), 1);
  EXPECT_FALSE(f.surface.Enabled(ids::kChipFill));

  // An open link after a device change gets no benefit of the doubt.
  usb.openFails = false;
  ASSERT_EQ(link.CheckLink(false), kLinkUsable);
  usb.claimFails = true;
  f.deviceChanged = true;
  EXPECT_EQ(link.CheckLink(false), kLinkUnusable);
  EXPECT_EQ(f.surface.LastStatus(), Itext(35));
  EXPECT_EQ(f.BoxesWith(Itext(35)), 1);
  EXPECT_EQ(usb.openHandles(), 0);
}

}  // namespace
}  // namespace tarnwick
