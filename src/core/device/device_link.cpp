#include "core/device/device_link.h"

#include <array>

#include "core/app/text_ids.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

constexpr int kStaleReadSize = 64;
constexpr int kStaleReadTimeoutMs = 100;
constexpr int kInvalidArgument = -22;

}  // namespace

DeviceLink::DeviceLink(UsbApi& usb, WindowServices& services, const std::atomic<bool>& refusal,
                       const std::atomic<bool>& deviceChanged)
    : usb_(usb), services_(services), refusal_(refusal), deviceChanged_(deviceChanged) {}

void DeviceLink::ResetLink() {
  handle_.store(nullptr);
  open_.store(false);
  vendor_ = protocol::kVendorId;
  product_ = protocol::kProductId;
  bulkOut_ = protocol::kEndpointBulkOut;
  interface_ = protocol::kInterface;
}

bool DeviceLink::DevicePresent() {
  for (const UsbDeviceInfo& d : usb_.ScanDevices()) {
    if (d.vendorId == vendor_ && d.productId == product_) return true;
  }
  return false;
}

UsbHandle DeviceLink::OpenDevice(std::uint16_t vendor, std::uint16_t product) {
  const std::vector<UsbDeviceInfo> devices = usb_.ScanDevices();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    // Only the first box in bus order is tried; a second one stays untouched.
    if (devices[i].vendorId == vendor && devices[i].productId == product) return usb_.Open(i);
  }
  return nullptr;
}

bool DeviceLink::ConfigureAndClaim(UsbHandle handle, int configuration, int interface) {
  if (handle == nullptr) {
    // In firmware-upgrade mode the box re-enumerates; failures there are expected.
    if (!refusal_.load()) services_.ShowStatus(services_.texts().itext(itext::kBoxNotFound), true);
    return false;
  }
  if (usb_.SetConfiguration(handle, configuration) < 0 ||
      usb_.ClaimInterface(handle, interface) < 0) {
    usb_.Close(handle);
    // The closed handle must not be used for transfers afterwards.
    handle_.store(nullptr);
    open_.store(false);
    if (!refusal_.load()) services_.ShowStatus(services_.texts().itext(itext::kBoxNotFound), true);
    return false;
  }
  handle_.store(handle);
  interface_ = interface;
  open_.store(true);
  // Answers left from an earlier connection would be taken for the next
  // command's answer; what this read returns does not matter.
  std::array<std::uint8_t, kStaleReadSize> stale{};
  usb_.BulkRead(handle, protocol::kEndpointBulkIn, stale.data(), kStaleReadSize,
                kStaleReadTimeoutMs);
  return true;
}

bool DeviceLink::CloseLink(UsbHandle handle, int interface) {
  if (handle != nullptr) {
    usb_.ReleaseInterface(handle, interface);
    usb_.Close(handle);
    UsbHandle expected = handle;
    handle_.compare_exchange_strong(expected, nullptr);
  }
  open_.store(false);
  return true;
}

int DeviceLink::ReadAnswer(std::uint8_t* buffer, int count, int timeoutMs) {
  if (buffer == nullptr || count < 0) return kInvalidArgument;
  const UsbHandle h = handle();
  if (h == nullptr) return kNoDeviceError;
  return usb_.BulkRead(h, protocol::kEndpointBulkIn, buffer, count, EffectiveTimeout(timeoutMs));
}

bool DeviceLink::WriteInterrupt(int endpoint, const std::uint8_t* buffer, int count,
                                int timeoutMs) {
  if (buffer == nullptr || count < 0) return false;
  const UsbHandle h = handle();
  if (h == nullptr) return false;
  return usb_.InterruptWrite(h, endpoint, buffer, count, EffectiveTimeout(timeoutMs)) >= 0;
}

int DeviceLink::WriteData(const std::uint8_t* buffer, int count, int timeoutMs) {
  if (buffer == nullptr || count < 0) return kInvalidArgument;
  const UsbHandle h = handle();
  if (h == nullptr) return kNoDeviceError;
  // libusb 0.1 reads a 0 timeout as "wait for ever"; the box never needs that.
  return usb_.BulkWrite(h, bulkOut_, buffer, count, EffectiveTimeout(timeoutMs));
}

bool DeviceLink::ReopenLink(bool showBox) {
  if (DevicePresent()) {
    if (IsOpen()) CloseLink();
    ResetLink();
    ConfigureAndClaim(OpenDevice(vendor_, product_), protocol::kConfiguration,
                      protocol::kInterface);
    if (IsOpen()) return true;
  }
  if (showBox) {
    services_.Box(services_.texts().itext(itext::kBoxNotFound),
                  services_.texts().itext(itext::kNoticeCaption), BoxIcon::Warning);
  }
  return false;
}

int DeviceLink::CheckLink(bool showBox) {
  if (!DevicePresent()) {
    Report(itext::kBoxNotFound, showBox);
    return kLinkUnusable;
  }
  const bool wasOpen = IsOpen();
  if (wasOpen) CloseLink();
  ResetLink();
  ConfigureAndClaim(OpenDevice(vendor_, product_), protocol::kConfiguration, protocol::kInterface);
  if (IsOpen()) return kLinkUsable;
  // A box that worked until now and was not unplugged is given the benefit of
  // the doubt; the next transfer tells.
  if (wasOpen && !deviceChanged_.load()) return kLinkUsable;
  Report(itext::kBoxNotAnswering, showBox);
  return kLinkUnusable;
}

void DeviceLink::Report(int message, bool showBox) {
  services_.DisableCommand(ids::kChipFill);
  const std::string& text = services_.texts().itext(message);
  services_.ShowStatus(text, true);
  if (showBox)
    services_.Box(text, services_.texts().itext(itext::kNoticeCaption), BoxIcon::Warning);
}

}  // namespace tarnwick
