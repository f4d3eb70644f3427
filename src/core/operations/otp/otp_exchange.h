// The OTP exchanges with the box, one call per command of the OTP frames:
// the frame goes out, and the answer, where the command has one, must come
// back with its status. False (or nothing) is a failed exchange.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/device/command_channel.h"
#include "core/operations/otp/otp_table.h"

namespace tarnwick::otp {

// What OTP_STATUS reports: byte 3 of the answer (1 when locked) and the
// chip's own status byte 4 the user is shown.
struct Status {
  std::uint8_t lock = 0;
  std::uint8_t value = 0;
  bool Locked() const { return lock == 1; }
};

// Longest OTP_READ or OTP_WRITE.
inline constexpr std::size_t kChunk = 32;

bool SendMethod(CommandChannel& channel, const MethodRecord& method);
bool Enter(CommandChannel& channel);
bool Leave(CommandChannel& channel);  // OTP_EXIT
bool Lock(CommandChannel& channel);
std::optional<Status> ReadStatus(CommandChannel& channel);
// `length` at most kChunk.
bool ReadChunk(CommandChannel& channel, std::uint16_t address, std::uint8_t* out,
               std::size_t length);
bool WriteChunk(CommandChannel& channel, std::uint16_t address, const std::uint8_t* data,
                std::size_t length);

}  // namespace tarnwick::otp
