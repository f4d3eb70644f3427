#include "core/device/command_frame.h"

#include <algorithm>

#include "core/device/byte_order.h"

namespace tarnwick {

void SetFrameCommand(CommandFrame& frame, std::uint8_t code, const std::uint8_t* payload,
                     std::size_t length) {
  std::uint8_t& command = frame.bytes[protocol::kFrameCommand];
  command = static_cast<std::uint8_t>((command & ~protocol::kCommandMask) |
                                      (code & protocol::kCommandMask));
  if (payload == nullptr) return;
  // A longer payload would run over the end marker; the frame has six bytes.
  const std::size_t n = std::min(length, protocol::kFramePayloadSize);
  std::copy_n(payload, n, frame.bytes.begin() + protocol::kFramePayload);
}

std::array<std::uint8_t, 4> BigEndianPayload(std::uint32_t value) {
  std::array<std::uint8_t, 4> out{};
  PutBigEndian32(out.data(), value);
  return out;
}

BootFrame MakeBootFrame(std::uint8_t code, std::uint8_t value) {
  return {protocol::kStartMarker, code, value, protocol::kEndMarker};
}

}  // namespace tarnwick
