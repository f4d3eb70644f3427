#include "core/device/box_serial.h"

#include "core/device/command_frame.h"

namespace tarnwick {

namespace {
constexpr int kTimeoutMs = 100;
// Room for an answer left from an earlier connection.
constexpr int kStaleReadSize = 64;
constexpr int kStaleReadTimeoutMs = 100;
}  // namespace

std::uint32_t SerialFromAnswer(
    const std::array<std::uint8_t, protocol::kSerialAnswerSize>& answer) {
  return static_cast<std::uint32_t>(answer[4]) << 16 | static_cast<std::uint32_t>(answer[5]) << 8 |
         answer[6];
}

std::optional<std::uint32_t> ReadBoxSerial(UsbApi& usb, const UsbDeviceInfo& place) {
  const std::vector<UsbDeviceInfo> devices = usb.ScanDevices();
  std::size_t index = devices.size();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].vendorId == protocol::kVendorId &&
        devices[i].productId == protocol::kProductId && devices[i].bus == place.bus &&
        devices[i].address == place.address) {
      index = i;
    }
  }
  if (index == devices.size()) return std::nullopt;
  const UsbHandle h = usb.Open(index);
  if (h == nullptr) return std::nullopt;
  std::optional<std::uint32_t> serial;
  if (usb.SetConfiguration(h, protocol::kConfiguration) >= 0 &&
      usb.ClaimInterface(h, protocol::kInterface) >= 0) {
    std::array<std::uint8_t, kStaleReadSize> stale{};
    usb.BulkRead(h, protocol::kEndpointBulkIn, stale.data(), kStaleReadSize, kStaleReadTimeoutMs);
    CommandFrame frame;
    frame.bytes[0] = protocol::kStartMarker;
    frame.bytes[protocol::kFrameEnd] = protocol::kEndMarker;
    SetFrameCommand(frame, protocol::CMD_SERIAL, nullptr, 0);
    std::array<std::uint8_t, protocol::kSerialAnswerSize> answer{};
    if (usb.InterruptWrite(h, protocol::kEndpointCommand, frame.bytes.data(),
                           static_cast<int>(frame.bytes.size()), kTimeoutMs) >= 0 &&
        usb.BulkRead(h, protocol::kEndpointBulkIn, answer.data(), static_cast<int>(answer.size()),
                     kTimeoutMs) == static_cast<int>(answer.size())) {
      serial = SerialFromAnswer(answer);
    }
    usb.ReleaseInterface(h, protocol::kInterface);
  }
  usb.Close(h);
  return serial;
}

}  // namespace tarnwick
