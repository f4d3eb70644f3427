#include "core/services/update/firmware_query.h"

#include "core/device/command_channel.h"
#include "core/device/device_link.h"
#include "protocol/protocol.h"

namespace tarnwick::update {

namespace {
constexpr int kCommandTimeoutMs = 100;
constexpr int kAnswerTimeoutMs = 100;
constexpr std::uint8_t kNoVersion = 0xFF;
}  // namespace

std::optional<std::uint8_t> QueryFirmwareByte(DeviceLink& link, CommandChannel& channel) {
  if (!link.ReopenLink(false)) return std::nullopt;
  if (!channel.SendCommand(protocol::CMD_FW_VERSION, kCommandTimeoutMs)) return std::nullopt;
  // Room for more than one byte: a longer answer is not a version either.
  std::uint8_t answer[8] = {};
  if (link.ReadAnswer(answer, static_cast<int>(sizeof answer), kAnswerTimeoutMs) != 1)
    return std::nullopt;
  if (answer[0] == kNoVersion) return std::nullopt;
  return answer[0];
}

}  // namespace tarnwick::update
