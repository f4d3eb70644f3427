// The UsbApi seam over the real libusb 0.1 library. Hot-plug events come
// from a udev monitor started with the first device-change handler.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "protocol/usb_api.h"

struct usb_device;

namespace tarnwick {

class UdevMonitor;

class LibUsbApi : public UsbApi {
 public:
  LibUsbApi();
  ~LibUsbApi() override;
  LibUsbApi(const LibUsbApi&) = delete;
  LibUsbApi& operator=(const LibUsbApi&) = delete;

  std::vector<UsbDeviceInfo> ScanDevices() override;
  UsbHandle Open(std::size_t index) override;
  int SetConfiguration(UsbHandle h, int configuration) override;
  int ClaimInterface(UsbHandle h, int interface) override;
  int ReleaseInterface(UsbHandle h, int interface) override;
  int Close(UsbHandle h) override;
  int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) override;
  int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                int timeoutMs) override;
  int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                     int timeoutMs) override;
  void SetDeviceChangeHandler(std::function<void()> handler) override;

  // True while a udev monitor delivers hot-plug events.
  bool HotPlugActive() const;

 private:
  void DeviceChanged();

  // The devices of the last scan, in bus order then device order; Open(n)
  // refers to this list. libusb 0.1 keeps global state, so scans and opens
  // are serialised across all instances (see the .cpp).
  std::vector<struct usb_device*> devices_;

  mutable std::mutex handlerMutex_;
  std::function<void()> handler_;
  std::unique_ptr<UdevMonitor> monitor_;
};

}  // namespace tarnwick
