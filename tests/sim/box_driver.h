// Talks to a VirtualBox the way a program would, from raw frame bytes built
// here (not from the program's own frame code), so the tests check the box
// against the protocol itself.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/protocol.h"
#include "sim/virtual_box.h"
#include "support/temp_dir.h"

namespace tarnwick::sim::test {

using namespace tarnwick::protocol;

struct Mode {
  std::uint8_t accessClass = 0;
  std::uint8_t subcode = 0;
  bool fiveVolt = false;
};

inline constexpr Mode kSpiMode{0, 0x00, false};

class BoxDriver {
 public:
  explicit BoxDriver(VirtualBox& box) : box_(box) { Connect(); }

  bool Connect() {
    handle_ = nullptr;
    if (box_.ScanDevices().empty()) return false;
    handle_ = box_.Open(0);
    return handle_ && box_.SetConfiguration(handle_, kConfiguration) == 0 &&
           box_.ClaimInterface(handle_, kInterface) == 0;
  }
  UsbHandle Handle() const { return handle_; }

  // The frame's parameters: mode, capacity and page/sector codes.
  void SetMode(Mode m) { mode_ = m; }
  void SetCapacity(std::uint32_t capacity) { capacity_ = capacity; }
  void SetCodes(std::uint8_t page, std::uint8_t sector) {
    pageCode_ = page;
    sectorCode_ = sector;
  }

  std::array<std::uint8_t, kCommandFrameSize> Frame(std::uint8_t code,
                                                    std::vector<std::uint8_t> payload = {}) const {
    std::array<std::uint8_t, kCommandFrameSize> f{};
    f[0] = kStartMarker;
    f[kFrameCommand] = static_cast<std::uint8_t>(code | (mode_.fiveVolt ? kFiveVoltBit : 0));
    f[kFrameClass] = mode_.accessClass;
    f[kFrameSubcode] = mode_.subcode;
    f[kFramePageCode] = pageCode_;
    f[kFrameSectorCode] = sectorCode_;
    for (int i = 0; i < 4; ++i)
      f[kFrameCapacity + i] = static_cast<std::uint8_t>(capacity_ >> (24 - 8 * i));
    for (std::size_t i = 0; i < payload.size() && i < kFramePayloadSize; ++i) {
      f[kFramePayload + i] = payload[i];
    }
    f[kFrameEnd] = kEndMarker;
    return f;
  }

  int Send(std::uint8_t code, std::vector<std::uint8_t> payload = {}) {
    const auto f = Frame(code, std::move(payload));
    return box_.InterruptWrite(handle_, kEndpointCommand, f.data(), static_cast<int>(f.size()),
                               100);
  }
  int SendRaw(const std::vector<std::uint8_t>& bytes) {
    return box_.InterruptWrite(handle_, kEndpointCommand, bytes.data(),
                               static_cast<int>(bytes.size()), 100);
  }
  int SendBoot(std::uint8_t code, std::uint8_t value = 0) {
    return SendRaw({kStartMarker, code, value, kEndMarker});
  }

  // One bulk read; the bytes received, or an empty vector with `rc` set.
  std::vector<std::uint8_t> Read(int size, int* rc = nullptr, int timeoutMs = 100) {
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(size));
    const int n = box_.BulkRead(handle_, kEndpointBulkIn, buf.data(), size, timeoutMs);
    if (rc) *rc = n;
    buf.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buf;
  }
  int Write(const std::vector<std::uint8_t>& data) {
    return box_.BulkWrite(handle_, kEndpointBulkOut, data.data(), static_cast<int>(data.size()),
                          100);
  }

  std::uint32_t ReadId(Mode m) {
    SetMode(m);
    Send(CMD_READ_ID);
    const auto id = Read(3);
    if (id.size() != 3) return 0xDEAD;
    return static_cast<std::uint32_t>(id[0]) << 16 | static_cast<std::uint32_t>(id[1]) << 8 | id[2];
  }

  // Reads a whole stream the way the read operation does.
  std::vector<std::uint8_t> ReadStream(std::size_t total, std::size_t piece = kReadBlock) {
    std::vector<std::uint8_t> out;
    while (out.size() < total) {
      const auto part = Read(static_cast<int>(std::min(piece, total - out.size())));
      if (part.empty()) break;
      out.insert(out.end(), part.begin(), part.end());
    }
    return out;
  }

  // A 16-byte OTP frame with its payload.
  int SendOtpShort(std::uint8_t code, std::vector<std::uint8_t> payload = {}) {
    std::vector<std::uint8_t> f(kOtpShortFrameSize, 0);
    f[0] = kStartMarker;
    f[1] = kOtpShortTag;
    f[2] = code;
    std::copy(payload.begin(), payload.end(), f.begin() + 3);
    f.back() = kEndMarker;
    return SendRaw(f);
  }
  int SendOtpWrite(std::uint16_t address, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> f(kOtpLongFrameSize, 0);
    f[0] = kStartMarker;
    f[1] = kOtpLongTag;
    f[2] = OTP_WRITE;
    f[3] = static_cast<std::uint8_t>(address);
    f[4] = static_cast<std::uint8_t>(address >> 8);
    f[5] = static_cast<std::uint8_t>(data.size());
    f[6] = 0;
    std::copy(data.begin(), data.end(), f.begin() + 7);
    f.back() = kEndMarker;
    return SendRaw(f);
  }

 private:
  VirtualBox& box_;
  UsbHandle handle_ = nullptr;
  Mode mode_ = kSpiMode;
  std::uint32_t capacity_ = 0;
  std::uint8_t pageCode_ = 8;
  std::uint8_t sectorCode_ = 2;
};

inline std::vector<std::uint8_t> Be32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

// A small SPI flash for tests: 64 KiB unless said otherwise, blank or patterned.
inline ChipDescription SmallFlash(const tarnwick::test::TempDir& dir, const std::string& name,
                                  std::uint64_t size = 64 * 1024,
                                  ContentFill fill = ContentFill::Blank) {
  ChipDescription chip;
  chip.model = name;
  chip.id = 0xEF4017;
  chip.size = size;
  chip.otp.size = 256;
  chip.contentPath = dir.file(name + ".bin");
  chip.fill = fill;
  return chip;
}

inline std::unique_ptr<VirtualBox> MakeBox(const BoxDescription& d) {
  std::string error;
  auto box = VirtualBox::Create(d, error);
  EXPECT_TRUE(box) << error;
  return box;
}

}  // namespace tarnwick::sim::test
