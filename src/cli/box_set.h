// Several programmer boxes on one computer: the virtual boxes of several
// description files seen as one bus, and the one box a run works with.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/usb_api.h"

namespace tarnwick::cli {

// Several USB views as one: box k is on bus k+1 at its own address.
class MultiBoxUsb : public UsbApi {
 public:
  explicit MultiBoxUsb(std::vector<std::unique_ptr<UsbApi>> boxes);

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

 private:
  struct Inner {
    UsbApi* box;
    UsbHandle handle;
  };
  std::optional<Inner> Find(UsbHandle h);

  std::vector<std::unique_ptr<UsbApi>> boxes_;
  std::mutex m_;
  // The last scan: for each device, its box and its index there.
  std::vector<std::pair<std::size_t, std::size_t>> scan_;
  std::map<std::uintptr_t, Inner> handles_;
  std::uintptr_t next_ = 1;
};

// The programmer boxes on the bus, in bus order.
std::vector<UsbDeviceInfo> ProgrammerBoxes(UsbApi& usb);

// "BUS:DEVICE" as devices prints it.
std::string BoxPlace(const UsbDeviceInfo& box);

// Shows the program only the chosen box (all of them until one is chosen).
class BoxSelector : public UsbApi {
 public:
  explicit BoxSelector(UsbApi& inner) : inner_(inner) {}

  // Works with the box at `place` (bus and address); nullopt: every box.
  void Choose(std::optional<UsbDeviceInfo> place);

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
  std::optional<UsbDeviceInfo> chosen_;
  std::vector<std::size_t> shown_;  // the last scan's devices, as the inner scan numbers them
};

}  // namespace tarnwick::cli
