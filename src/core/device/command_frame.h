// The 20-byte command frame sent to the box. One instance lives for the whole
// run: the parameter build fills bytes 0-12 and 19 from the selected chip,
// SendCommand changes only the command bits and the payload.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/protocol.h"

namespace tarnwick {

struct CommandFrame {
  static constexpr std::size_t kSize = protocol::kCommandFrameSize;
  std::array<std::uint8_t, kSize> bytes{};

  std::uint8_t code() const { return bytes[protocol::kFrameCommand] & protocol::kCommandMask; }
  const std::uint8_t* payload() const { return bytes.data() + protocol::kFramePayload; }
};

// Puts `code` into bits 0-5 of byte 1 (bits 6 and 7 keep the chip's flags) and,
// when `payload` is given, copies `length` bytes (at most the 6 the frame has)
// to bytes 13 onward. Payload bytes are never cleared: a command without payload
// carries what the previous one left there, which chip fill relies on.
void SetFrameCommand(CommandFrame& frame, std::uint8_t code, const std::uint8_t* payload,
                     std::size_t length);

// A 4-byte payload holding `value` most significant byte first (counts,
// addresses and the chip size ride this way).
std::array<std::uint8_t, 4> BigEndianPayload(std::uint32_t value);

// The firmware-upgrade frame: A5, code, value, 5A.
using BootFrame = std::array<std::uint8_t, protocol::kBootFrameSize>;
BootFrame MakeBootFrame(std::uint8_t code, std::uint8_t value);

}  // namespace tarnwick
