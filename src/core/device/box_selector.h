// Shows the program only the programmer box it works with: the chosen one,
// every box until one is chosen, or none while the user has still to choose.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "protocol/usb_api.h"

namespace tarnwick {

class BoxSelector : public UsbApi {
 public:
  explicit BoxSelector(UsbApi& inner) : inner_(inner) {}

  // Works with the box at `place` (bus and address); nullopt: every box.
  void Choose(std::optional<UsbDeviceInfo> place);
  // Shows no programmer box at all (other devices stay) until Choose.
  void HideAll();
  // Every device of the bus, whatever is chosen.
  std::vector<UsbDeviceInfo> ScanAll() { return inner_.ScanDevices(); }

  std::vector<UsbDeviceInfo> ScanDevices() override;
  UsbHandle Open(std::size_t index) override;
  int SetConfiguration(UsbHandle h, int c) override { return inner_.SetConfiguration(h, c); }
  int ClaimInterface(UsbHandle h, int i) override { return inner_.ClaimInterface(h, i); }
  int ReleaseInterface(UsbHandle h, int i) override { return inner_.ReleaseInterface(h, i); }
  int Close(UsbHandle h) override { return inner_.Close(h); }
  int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) override {
    return inner_.BulkRead(h, endpoint, data, size, timeoutMs);
  }
  int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                int timeoutMs) override {
    return inner_.BulkWrite(h, endpoint, data, size, timeoutMs);
  }
  int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                     int timeoutMs) override {
    return inner_.InterruptWrite(h, endpoint, data, size, timeoutMs);
  }
  void SetDeviceChangeHandler(std::function<void()> handler) override {
    inner_.SetDeviceChangeHandler(std::move(handler));
  }

 private:
  UsbApi& inner_;
  std::mutex m_;
  bool hideAll_ = false;
  std::optional<UsbDeviceInfo> chosen_;
  std::vector<std::size_t> shown_;  // the last scan's devices, as the inner scan numbers them
};

}  // namespace tarnwick
