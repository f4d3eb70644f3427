// The OTP frames (16-byte short, 45-byte long) and the 45-byte OTP answer, as
// pure byte arrays so the encoding can be checked without a box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/protocol.h"

namespace tarnwick {

using OtpShortFrame = std::array<std::uint8_t, protocol::kOtpShortFrameSize>;
using OtpLongFrame = std::array<std::uint8_t, protocol::kOtpLongFrameSize>;

// A5 01 code payload[12] 5A. The length is taken modulo 256 as the box's
// length byte would; bytes beyond it are zero. A payload longer than the
// frame's room is cut to it rather than written over the end marker.
OtpShortFrame MakeOtpShortFrame(std::uint8_t code, const std::uint8_t* payload, std::size_t length);
// A5 02 code payload[41] 5A, same rules.
OtpLongFrame MakeOtpLongFrame(std::uint8_t code, const std::uint8_t* payload, std::size_t length);

// OTP_READ payload: address and length, both least significant byte first.
std::array<std::uint8_t, 4> OtpReadPayload(std::uint16_t address, std::uint16_t length);

// OTP_WRITE payload: address, length (least significant first), then the data.
// At most 32 data bytes fit; `length` is clamped to that and the returned
// count says how many payload bytes are valid.
struct OtpWritePayload {
  std::array<std::uint8_t, protocol::kOtpLongPayload> bytes{};
  std::size_t size = 0;
};
OtpWritePayload MakeOtpWritePayload(std::uint16_t address, const std::uint8_t* data,
                                    std::size_t length);

// An answer read from endpoint 0x83: A5 03 status data[41] 5A.
struct OtpAnswer {
  std::array<std::uint8_t, protocol::kOtpAnswerSize> bytes{};
  int count = 0;  // what the read returned

  std::uint8_t status() const { return bytes[2]; }
  const std::uint8_t* data() const { return bytes.data() + protocol::kOtpAnswerData; }
};

// Accepted only when exactly 45 bytes arrived, the markers A5 03 .. 5A are in
// place and the status is the one the command expects.
bool AcceptOtpAnswer(const std::uint8_t* bytes, int count, std::uint8_t expectedStatus);
inline bool AcceptOtpAnswer(const OtpAnswer& a, std::uint8_t expectedStatus) {
  return AcceptOtpAnswer(a.bytes.data(), a.count, expectedStatus);
}

}  // namespace tarnwick
