// The update check's question to the box: the firmware byte, asked on a
// link that nothing else uses meanwhile (the caller makes sure of that).
#pragma once

#include <cstdint>
#include <optional>

namespace tarnwick {

class CommandChannel;
class DeviceLink;

namespace update {

// Re-opens the link without a message, sends CMD_FW_VERSION (100 ms) and
// reads one byte (100 ms). Nothing when the box is absent or silent, sends
// other than one byte, or reports no version (0xFF).
std::optional<std::uint8_t> QueryFirmwareByte(DeviceLink& link, CommandChannel& channel);

}  // namespace update
}  // namespace tarnwick
