// The real libusb backend on a machine without the box (and, in containers,
// without any USB at all): scans come back without a box, the link reports
// the missing box, and the hot-plug monitor starts and stops cleanly or not
// at all.
#include "core/device/libusb_api.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/device/udev_monitor.h"
#include "link_fixture.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

using test::Itext;
using test::LinkFixture;

bool HasBox(const std::vector<UsbDeviceInfo>& devices) {
  return std::any_of(devices.begin(), devices.end(), [](const UsbDeviceInfo& d) {
    return d.vendorId == protocol::kVendorId && d.productId == protocol::kProductId;
  });
}

TEST(LibUsbApiTest, WithoutTheBoxNothingOpensAndCheckLinkReports) {
  LibUsbApi usb;
  const auto devices = usb.ScanDevices();
  if (HasBox(devices)) GTEST_SKIP() << "a real programmer box is attached";
  EXPECT_EQ(usb.ScanDevices().size(), devices.size());  // a second scan is harmless
  EXPECT_EQ(usb.Open(devices.size()), nullptr);

  LinkFixture f(usb);
  EXPECT_FALSE(f.link.DevicePresent());
  EXPECT_EQ(f.link.OpenDevice(protocol::kVendorId, protocol::kProductId), nullptr);
  EXPECT_EQ(f.link.CheckLink(true), kLinkUnusable);
  EXPECT_EQ(f.surface.LastStatus(), Itext(34));
  EXPECT_TRUE(f.surface.LastStatusIsError());
  EXPECT_EQ(f.BoxesWith(Itext(34)), 1);
  EXPECT_FALSE(f.surface.Enabled(ids::kChipFill));
  EXPECT_FALSE(f.link.ReopenLink(false));
  std::uint8_t b[4] = {};
  EXPECT_LT(f.link.ReadAnswer(b, 4, 0), 0);
  EXPECT_FALSE(f.channel.SendCommand(protocol::CMD_IDLE, 0));
}

TEST(LibUsbApiTest, CallsOnNoHandleFailWithoutTouchingTheLibrary) {
  LibUsbApi usb;
  std::uint8_t b[4] = {};
  EXPECT_LT(usb.SetConfiguration(nullptr, 1), 0);
  EXPECT_LT(usb.ClaimInterface(nullptr, 0), 0);
  EXPECT_LT(usb.ReleaseInterface(nullptr, 0), 0);
  EXPECT_LT(usb.Close(nullptr), 0);
  EXPECT_LT(usb.BulkRead(nullptr, 0x83, b, 4, 10), 0);
  EXPECT_LT(usb.BulkWrite(nullptr, 1, b, 4, 10), 0);
  EXPECT_LT(usb.InterruptWrite(nullptr, 2, b, 4, 10), 0);
}

TEST(LibUsbApiTest, HotPlugHandlerCanBeSetReplacedAndTornDown) {
  for (int round = 0; round < 3; ++round) {
    LibUsbApi usb;
    usb.SetDeviceChangeHandler([] {});
    usb.SetDeviceChangeHandler(nullptr);
    // Whether udev is reachable depends on the machine; both ways must be safe.
    SUCCEED() << (usb.HotPlugActive() ? "udev monitor running" : "no udev here");
  }
  UdevMonitor monitor([] {});
  const bool started = monitor.Start();
  EXPECT_EQ(monitor.running(), started);
  EXPECT_EQ(monitor.Start(), started);  // a second start changes nothing
}

}  // namespace
}  // namespace tarnwick
