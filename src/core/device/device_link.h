// The USB link to the programmer box: finding it on the bus, opening,
// configuring and claiming it, the three raw transfers, and the two re-open
// routines the operations run before they talk to the box. Written once above
// the UsbApi seam, so it drives libusb and the virtual box alike.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/app/window_services.h"
#include "protocol/protocol.h"
#include "protocol/usb_api.h"

namespace tarnwick {

// Transfer result when no device is open (libusb 0.1 style: -ENODEV).
inline constexpr int kNoDeviceError = -19;

// CheckLink results.
inline constexpr int kLinkUsable = -1;
inline constexpr int kLinkUnusable = -2;

class DeviceLink {
 public:
  // `refusal` (box in firmware-upgrade mode) and `deviceChanged` (a hot-plug
  // event not yet handled by the worker) belong to the session; the link only
  // reads them.
  DeviceLink(UsbApi& usb, WindowServices& services, const std::atomic<bool>& refusal,
             const std::atomic<bool>& deviceChanged);
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // Forgets the handle and the open state and restores the fixed identifiers.
  void ResetLink();
  // Rescans the bus; true when a device with the box's identifiers is on it.
  bool DevicePresent();
  // Rescans and opens the first matching device in bus order; nullptr when
  // none is there or the open fails.
  UsbHandle OpenDevice(std::uint16_t vendor, std::uint16_t product);
  // Selects the configuration, claims the interface, marks the link open and
  // throws away stale answers of an earlier connection. Takes the handle over:
  // it is closed on failure.
  bool ConfigureAndClaim(UsbHandle handle, int configuration, int interface);
  // Releases the interface and closes the handle; always true.
  bool CloseLink(UsbHandle handle, int interface);
  bool CloseLink() { return CloseLink(handle(), interface_); }

  // Bulk read from endpoint 0x83: the count read or a negative error.
  int ReadAnswer(std::uint8_t* buffer, int count, int timeoutMs);
  // Interrupt write (frames go to endpoint 2); true when the library took it.
  bool WriteInterrupt(int endpoint, const std::uint8_t* buffer, int count, int timeoutMs);
  // Bulk write to endpoint 1: the count the box took or a negative error.
  int WriteData(const std::uint8_t* buffer, int count, int timeoutMs);

  // Closes and re-opens the box; with `showBox` a warning box when it fails.
  bool ReopenLink(bool showBox);
  // kLinkUsable (-1) or kLinkUnusable (-2), with the messages of a missing or
  // unusable box.
  int CheckLink(bool showBox);

  bool IsOpen() const { return open_.load(); }
  UsbHandle handle() const { return handle_.load(); }
  std::uint16_t vendorId() const { return vendor_; }
  std::uint16_t productId() const { return product_; }

 private:
  void Report(int message, bool showBox);

  UsbApi& usb_;
  WindowServices& services_;
  const std::atomic<bool>& refusal_;
  const std::atomic<bool>& deviceChanged_;

  // The worker transfers while the window's thread may look at (or, in the
  // close sequence, close) the link.
  std::atomic<UsbHandle> handle_{nullptr};
  std::atomic<bool> open_{false};
  std::uint16_t vendor_ = protocol::kVendorId;
  std::uint16_t product_ = protocol::kProductId;
  int bulkOut_ = protocol::kEndpointBulkOut;
  int interface_ = protocol::kInterface;
};

// A caller's 0 means the default timeout.
constexpr int EffectiveTimeout(int timeoutMs) {
  return timeoutMs == 0 ? protocol::kDefaultTimeoutMs : timeoutMs;
}

}  // namespace tarnwick
