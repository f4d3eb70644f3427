// The virtual programmer box behind the USB seam: an independent model of the
// box firmware (frames on endpoint 2, answers and streams on 0x83, data on
// endpoint 1) with a virtual chip, hot-plug events, a speed model and faults.
// Thread-safe: the program's worker makes the UsbApi calls while a test or
// the GUI thread plugs, unplugs and swaps chips.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/usb_api.h"
#include "sim/box_description.h"
#include "sim/box_firmware.h"
#include "sim/fault_schedule.h"
#include "sim/speed_model.h"

namespace tarnwick::sim {

// libusb 0.1 error codes the box returns.
inline constexpr int kErrNoDevice = -19;  // ENODEV
inline constexpr int kErrInvalid = -22;   // EINVAL
inline constexpr int kErrTimeout = -110;  // ETIMEDOUT

class VirtualBox : public UsbApi {
 public:
  // Opens (or creates) the chip content; nullptr with `error` on failure.
  static std::unique_ptr<VirtualBox> Create(const BoxDescription& description, std::string& error);
  ~VirtualBox() override = default;

  // ---- UsbApi ----
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

  // ---- Hot plug and the socket; each raises the device-change event ----
  void Plug();
  void Unplug();
  bool SwapChip(const ChipDescription& chip, std::string& error);
  void RemoveChip();

  // ---- Observation ----
  bool Plugged() const;
  bool InBootLoader() const;
  std::uint8_t Lamp() const;
  std::vector<std::uint8_t> LampHistory() const;
  std::vector<ReceivedFrame> ReceivedFrames() const;
  // Command codes of the 20-byte frames received, in order.
  std::vector<std::uint8_t> ReceivedCommands() const;
  std::uint64_t BytesTaken() const;     // accepted on endpoint 1
  std::uint64_t BytesStreamed() const;  // chip streams sent plus bytes taken
  std::vector<std::uint8_t> ReadContent(std::uint64_t address, std::uint64_t length) const;
  std::string ContentPath() const;
  bool HasChip() const;
  bool QuadEnable() const;
  std::vector<std::uint8_t> OtpContent() const;
  bool OtpLocked() const;
  std::uint8_t FirmwareVersion() const;
  std::vector<std::string> EventLog() const;
  std::optional<std::uint64_t> FaultSeed() const;

 private:
  struct HandleState {
    std::uint64_t generation = 0;
    bool claimed = false;
  };

  VirtualBox() = default;
  // Checks a transfer's handle; 0 when usable, else the error to return.
  int CheckTransfer(UsbHandle h) const;
  void ApplyFaults(const std::vector<FaultEntry>& faults, bool& changed);
  void DropOff(bool& changed);      // the box leaves the bus
  void Reenumerate(bool& changed);  // the box leaves and comes back
  // Waits (realistic speed only) until the deadline or a bus change.
  void WaitTimeout(std::unique_lock<std::mutex>& lock, int timeoutMs);
  void RaiseDeviceChange();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  BoxFirmware firmware_;
  SpeedModel speed_;
  FaultSchedule faults_;
  bool present_ = true;
  bool stalled_ = false;
  std::uint32_t partialAlways_ = 0;
  std::uint32_t partialOnce_ = 0;
  std::uint64_t commands_ = 0;
  std::uint64_t streamed_ = 0;
  std::uint64_t taken_ = 0;
  std::uint64_t generation_ = 1;
  int address_ = 1;
  std::uint64_t scanGeneration_ = 0;
  std::size_t scanCount_ = 0;
  std::uintptr_t nextHandle_ = 1;
  std::map<std::uintptr_t, HandleState> handles_;

  std::mutex handlerMutex_;
  std::function<void()> handler_;
};

}  // namespace tarnwick::sim
