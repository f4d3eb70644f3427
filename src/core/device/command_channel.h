// Sending the protocol's frames over the link: the command frame with the
// chip parameters, the firmware-upgrade frame and the two OTP frames, and
// reading the OTP answer. Encoding lives in command_frame.h / otp_frames.h;
// this only puts the bytes on the wire.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/device/command_frame.h"
#include "core/device/device_link.h"
#include "core/device/otp_frames.h"

namespace tarnwick {

class CommandChannel {
 public:
  CommandChannel(DeviceLink& link, CommandFrame& frame) : link_(link), frame_(frame) {}

  // Command code into byte 1 bits 0-5, payload (at most 6 bytes) into bytes
  // 13.. when given, then the 20 bytes to endpoint 2. A 0 timeout means 500 ms.
  bool SendCommand(std::uint8_t code, int timeoutMs, const std::uint8_t* payload = nullptr,
                   std::size_t length = 0);
  // The same with a 4-byte number, most significant byte first (counts,
  // addresses, the chip size).
  bool SendCommandWithNumber(std::uint8_t code, int timeoutMs, std::uint32_t value);
  bool SendBootCommand(std::uint8_t code, int timeoutMs, std::uint8_t value);
  bool SendOtpShort(std::uint8_t code, const std::uint8_t* payload, std::size_t length,
                    int timeoutMs);
  bool SendOtpLong(std::uint8_t code, const std::uint8_t* payload, std::size_t length,
                   int timeoutMs);
  // Reads one 45-byte answer; the count read (or a negative error) is in
  // `answer.count`, and is returned.
  int ReadOtpAnswer(OtpAnswer& answer, int timeoutMs);
  // Reads an answer and applies the acceptance rule.
  bool ReadOtpAnswer(OtpAnswer& answer, std::uint8_t expectedStatus, int timeoutMs);

  DeviceLink& link() { return link_; }
  CommandFrame& frame() { return frame_; }

 private:
  DeviceLink& link_;
  CommandFrame& frame_;
};

// A command in a frame of its own (markers and the code, no chip parameters),
// for the window's thread while the worker owns the shared frame.
bool SendCommandInOwnFrame(DeviceLink& link, std::uint8_t code, int timeoutMs);

}  // namespace tarnwick
