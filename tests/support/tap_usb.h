// A UsbApi that sits between the program and the virtual box: every call
// goes through to the box unchanged, while the tap records whole frames and
// transfer sizes, can run a hook after a frame (a user pressing a button at
// that moment) and can replace the box's answer to one identification probe.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "protocol/protocol.h"
#include "protocol/usb_api.h"

namespace tarnwick::test {

class TapUsb : public UsbApi {
 public:
  using Frame = std::vector<std::uint8_t>;
  // Probe number (1-12, counted from the adapter query) and the frame of its
  // CMD_READ_ID; an answer replaces what the box says.
  using IdScript =
      std::function<std::optional<std::array<std::uint8_t, 3>>(int probe, const Frame&)>;
  using FrameHook = std::function<void(const Frame&)>;
  using WriteHook = std::function<void(int written, std::uint64_t totalTaken)>;
  using ReadHook = std::function<void(int asked, int got)>;
  // A result that replaces a read before it reaches the box (nothing: go on).
  using ReadOverride = std::function<std::optional<int>(int asked)>;
  // The same for a frame on the interrupt endpoint: a result replaces the
  // write and the box never sees the frame.
  using FrameOverride = std::function<std::optional<int>(const Frame&)>;

  explicit TapUsb(UsbApi& inner) : inner_(inner) {}

  std::vector<UsbDeviceInfo> ScanDevices() override { return inner_.ScanDevices(); }
  UsbHandle Open(std::size_t index) override { return inner_.Open(index); }
  int SetConfiguration(UsbHandle h, int c) override { return inner_.SetConfiguration(h, c); }
  int ClaimInterface(UsbHandle h, int i) override { return inner_.ClaimInterface(h, i); }
  int ReleaseInterface(UsbHandle h, int i) override { return inner_.ReleaseInterface(h, i); }
  int Close(UsbHandle h) override { return inner_.Close(h); }
  void SetDeviceChangeHandler(std::function<void()> handler) override {
    inner_.SetDeviceChangeHandler(std::move(handler));
  }

  int InterruptWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                     int timeoutMs) override {
    Frame frame(data, data + (size > 0 ? size : 0));
    FrameOverride override;
    {
      std::lock_guard l(m_);
      override = frameOverride_;
    }
    if (override) {
      if (const std::optional<int> r = override(frame)) return *r;
    }
    const int r = inner_.InterruptWrite(h, endpoint, data, size, timeoutMs);
    FrameHook hook;
    {
      std::lock_guard l(m_);
      if (r >= 0 && (size == static_cast<int>(protocol::kOtpShortFrameSize) ||
                     size == static_cast<int>(protocol::kOtpLongFrameSize))) {
        otpFrames_.push_back(frame);
      }
      if (r >= 0 && size == static_cast<int>(protocol::kCommandFrameSize)) {
        frames_.push_back(frame);
        const std::uint8_t code = frame[protocol::kFrameCommand] & protocol::kCommandMask;
        if (code == protocol::CMD_ADAPTER_QUERY) probe_ = 0;
        if (code == protocol::CMD_READ_ID) {
          ++probe_;
          if (idScript_) pendingId_ = idScript_(probe_, frame);
        }
        hook = afterFrame_;
      }
    }
    if (hook) hook(frame);
    return r;
  }

  int BulkRead(UsbHandle h, int endpoint, std::uint8_t* data, int size, int timeoutMs) override {
    std::optional<std::array<std::uint8_t, 3>> id;
    ReadOverride override;
    {
      std::lock_guard l(m_);
      reads_.push_back(size);
      if (size == 3) id = std::exchange(pendingId_, std::nullopt);
      override = readOverride_;
    }
    if (override) {
      if (const std::optional<int> r = override(size)) return *r;
    }
    const int r = inner_.BulkRead(h, endpoint, data, size, timeoutMs);
    if (id && r >= 0) {
      std::copy(id->begin(), id->end(), data);
      return 3;
    }
    ReadHook hook;
    {
      std::lock_guard l(m_);
      hook = afterRead_;
    }
    if (hook) hook(size, r);
    return r;
  }

  int BulkWrite(UsbHandle h, int endpoint, const std::uint8_t* data, int size,
                int timeoutMs) override {
    const int r = inner_.BulkWrite(h, endpoint, data, size, timeoutMs);
    WriteHook hook;
    std::uint64_t total = 0;
    {
      std::lock_guard l(m_);
      writes_.push_back(size);
      if (r > 0) taken_ += static_cast<std::uint64_t>(r);
      total = taken_;
      hook = afterWrite_;
    }
    if (hook) hook(r, total);
    return r;
  }

  void SetIdScript(IdScript s) {
    std::lock_guard l(m_);
    idScript_ = std::move(s);
  }
  void SetAfterFrame(FrameHook h) {
    std::lock_guard l(m_);
    afterFrame_ = std::move(h);
  }
  void SetAfterWrite(WriteHook h) {
    std::lock_guard l(m_);
    afterWrite_ = std::move(h);
  }
  void SetAfterRead(ReadHook h) {
    std::lock_guard l(m_);
    afterRead_ = std::move(h);
  }
  void SetReadOverride(ReadOverride o) {
    std::lock_guard l(m_);
    readOverride_ = std::move(o);
  }
  void SetFrameOverride(FrameOverride o) {
    std::lock_guard l(m_);
    frameOverride_ = std::move(o);
  }
  void ClearRecords() {
    std::lock_guard l(m_);
    frames_.clear();
    otpFrames_.clear();
    reads_.clear();
    writes_.clear();
    taken_ = 0;
  }

  std::vector<Frame> Frames() const {
    std::lock_guard l(m_);
    return frames_;
  }
  // The OTP frames (16 and 45 bytes) the box took, in order.
  std::vector<Frame> OtpFrames() const {
    std::lock_guard l(m_);
    return otpFrames_;
  }
  std::vector<std::uint8_t> Commands() const {
    std::lock_guard l(m_);
    std::vector<std::uint8_t> out;
    for (const Frame& f : frames_)
      out.push_back(f[protocol::kFrameCommand] & protocol::kCommandMask);
    return out;
  }
  // Sizes asked for on endpoint 0x83 and offered on endpoint 1, in order.
  std::vector<int> ReadSizes() const {
    std::lock_guard l(m_);
    return reads_;
  }
  std::vector<int> WriteSizes() const {
    std::lock_guard l(m_);
    return writes_;
  }
  std::uint64_t Taken() const {
    std::lock_guard l(m_);
    return taken_;
  }

 private:
  UsbApi& inner_;
  mutable std::mutex m_;
  std::vector<Frame> frames_;
  std::vector<Frame> otpFrames_;
  std::vector<int> reads_;
  std::vector<int> writes_;
  std::uint64_t taken_ = 0;
  int probe_ = 0;
  IdScript idScript_;
  std::optional<std::array<std::uint8_t, 3>> pendingId_;
  FrameHook afterFrame_;
  WriteHook afterWrite_;
  ReadHook afterRead_;
  ReadOverride readOverride_;
  FrameOverride frameOverride_;
};

}  // namespace tarnwick::test
