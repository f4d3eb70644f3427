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
#include <thread>
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
  // Stops the socket's timer thread, if it runs.
  ~VirtualBox() override;

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

  // ---- Hot plug (raises the device-change event) ----
  void Plug();
  void Unplug();
  // ---- A fault striking now, as its trigger would (unplug, stall, refuse;
  // the others arm as they do from a trigger).
  void StrikeFault(FaultKind kind);
  // ---- The socket. The real socket has no sensor, so a chip going in or
  // out raises no event: the program only sees it in the identification.
  // Both cancel a removal or insertion the batch ([socket]) had pending.
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
  // The batch chip in the socket, counting from 1; 0 when the socket is empty
  // or holds a chip put in by SwapChip.
  std::uint32_t ChipInSocket() const;
  // The content file of batch chip `number` (1 to [socket] chips); empty for
  // other numbers or without a [chip].
  std::string ChipContentPath(std::uint32_t number) const;
  // Batch chip `number`'s content, read through its file whether or not it
  // is in the socket; empty when its file does not exist yet.
  std::vector<std::uint8_t> ReadChipContent(std::uint32_t number, std::uint64_t address,
                                            std::uint64_t length) const;

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
  // Arms the batch removal after the lamp showed an outcome.
  void OnLampChanged(std::size_t lampsBefore);
  // The timer thread: takes chips out and puts them in when due.
  void SocketLoop();
  void TakeChipOut();
  void PutChipIn(std::uint32_t number);

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

  // The batch in the socket; guarded by mutex_.
  enum class SocketStep { None, Remove, Insert };
  std::optional<ChipDescription> batchChip_;  // the [chip] every batch chip copies
  SocketDescription socket_;
  std::uint32_t inSocket_ = 0;   // batch number of the chip in the socket, 0: none
  std::uint32_t lastPutIn_ = 0;  // highest batch number put in so far
  SocketStep step_ = SocketStep::None;
  SimClock::time_point stepAt_{};
  bool stopping_ = false;
  std::condition_variable socketWake_;
  std::thread socketThread_;

  std::mutex handlerMutex_;
  std::function<void()> handler_;
};

}  // namespace tarnwick::sim
