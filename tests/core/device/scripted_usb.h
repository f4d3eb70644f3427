// A scripted stand-in for the hardware seam (UsbApi) only: a bus with devices
// that tests place, answers queued for endpoint 0x83, a limit on how much a
// bulk write takes, and a record of every call. Handles are checked, so a
// transfer on a closed handle fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "protocol/protocol.h"
#include "protocol/usb_api.h"

namespace tarnwick::test {

struct BulkReadCall {
  int endpoint;
  int size;
  int timeoutMs;
};

struct WriteCall {
  int endpoint;
  std::vector<std::uint8_t> data;  // everything handed to the write
  int timeoutMs;
  int result = 0;
};

class ScriptedUsb : public UsbApi {
 public:
  static constexpr int kTimeout = -110;  // what libusb 0.1 returns on a timeout

  // ---- the script ----
  std::vector<UsbDeviceInfo> devices;
  bool openFails = false;
  bool configureFails = false;
  bool claimFails = false;
  bool writesFail = false;
  int bulkWriteLimit = 1 << 30;                   // most bytes one bulk write takes
  std::deque<int> bulkWriteResults;               // forced results of the next bulk writes
  std::deque<std::vector<std::uint8_t>> answers;  // one entry per bulk read
  std::deque<int> readErrors;                     // forced results when no answer is queued

  void AddBox(int bus = 1, int address = 2) {
    devices.push_back({protocol::kVendorId, protocol::kProductId, bus, address});
  }
  void AddOther(int bus = 1, int address = 3) { devices.push_back({0x1234, 0x5678, bus, address}); }
  void Answer(std::vector<std::uint8_t> bytes) { answers.push_back(std::move(bytes)); }

  // ---- the record ----
  std::vector<std::string> calls;  // names in order: "scan", "open 0", "config 1", ...
  std::vector<BulkReadCall> reads;
  std::vector<WriteCall> interruptWrites;
  std::vector<WriteCall> bulkWrites;
  int openHandles() const { return static_cast<int>(live_.size()); }
  std::size_t openedIndex = static_cast<std::size_t>(-1);

  std::vector<UsbDeviceInfo> ScanDevices() override {
    calls.push_back("scan");
    return devices;
  }
  UsbHandle Open(std::size_t index) override {
    calls.push_back("open " + std::to_string(index));
    if (openFails || index >= devices.size()) return nullptr;
    openedIndex = index;
    tokens_.push_back(std::make_unique<int>(static_cast<int>(index)));
    live_.insert(tokens_.back().get());
    return tokens_.back().get();
  }
  int SetConfiguration(UsbHandle h, int configuration) override {
    calls.push_back("config " + std::to_string(configuration));
    if (!Live(h)) return -19;
    return configureFails ? -5 : 0;
  }
  int ClaimInterface(UsbHandle h, int interface) override {
    calls.push_back("claim " + std::to_string(interface));
    if (!Live(h)) return -19;
    return claimFails ? -16 : 0;
  }
  int ReleaseInterface(UsbHandle h, int interface) override {
    calls.push_back("release " + std::to_string(interface));
    return Live(h) ? 0 : -19;
  }
  int Close(UsbHandle h) override {
    calls.push_back("close");
    if (!Live(h)) return -19;
    live_.erase(h);
    return 0;
  }
  int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) override {
    calls.push_back("read " + std::to_string(size));
    reads.push_back({endpoint, size, timeoutMs});
    if (!Live(h)) return -19;
    if (answers.empty()) {
      if (readErrors.empty()) return kTimeout;
      const int r = readErrors.front();
      readErrors.pop_front();
      return r;
    }
    std::vector<std::uint8_t> a = std::move(answers.front());
    answers.pop_front();
    const std::size_t n = std::min(a.size(), static_cast<std::size_t>(size));
    std::copy_n(a.begin(), n, data);
    return static_cast<int>(n);
  }
  int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                int timeoutMs) override {
    calls.push_back("bulk " + std::to_string(size));
    if (!Live(h)) return -19;
    int taken = std::min(size, bulkWriteLimit);
    if (!bulkWriteResults.empty()) {
      taken = bulkWriteResults.front();
      bulkWriteResults.pop_front();
    }
    bulkWrites.push_back(
        {endpoint, std::vector<std::uint8_t>(data, data + size), timeoutMs, taken});
    return taken;
  }
  int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                     int timeoutMs) override {
    calls.push_back("interrupt " + std::to_string(size));
    if (!Live(h)) return -19;
    if (writesFail) return -5;
    interruptWrites.push_back(
        {endpoint, std::vector<std::uint8_t>(data, data + size), timeoutMs, size});
    return size;
  }
  void SetDeviceChangeHandler(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }

 private:
  bool Live(UsbHandle h) {
    const bool live = live_.count(h) != 0;
    EXPECT_TRUE(live) << "transfer or call on a handle that is not open";
    return live;
  }

  std::vector<std::unique_ptr<int>> tokens_;
  std::set<UsbHandle> live_;
  std::function<void()> handler_;
};

}  // namespace tarnwick::test
