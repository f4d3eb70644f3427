// The seam between the program and the box: the libusb 0.1 calls the program
// makes, as an interface. One implementation calls libusb; the virtual box is
// the other. Return values follow libusb 0.1: negative numbers are errors.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tarnwick {

// A device found on a bus, in bus order then device order.
struct UsbDeviceInfo {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int bus = 0;
  int address = 0;
};

using UsbHandle = void*;

class UsbApi {
 public:
  virtual ~UsbApi() = default;

  // usb_init + usb_find_busses + usb_find_devices, then the device list.
  virtual std::vector<UsbDeviceInfo> ScanDevices() = 0;
  // usb_open of the n-th device of the last scan; nullptr on failure.
  virtual UsbHandle Open(std::size_t index) = 0;
  virtual int SetConfiguration(UsbHandle h, int configuration) = 0;
  virtual int ClaimInterface(UsbHandle h, int interface) = 0;
  virtual int ReleaseInterface(UsbHandle h, int interface) = 0;
  virtual int Close(UsbHandle h) = 0;
  virtual int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) = 0;
  virtual int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                        int timeoutMs) = 0;
  virtual int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                             int timeoutMs) = 0;

  // Hot-plug: called (from any thread) whenever devices on the bus change.
  virtual void SetDeviceChangeHandler(std::function<void()> handler) = 0;
};

}  // namespace tarnwick
