// A programmer box's serial number, asked before any link to it is open: the
// window's start-up needs it to find the box --device names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "protocol/protocol.h"
#include "protocol/usb_api.h"

namespace tarnwick {

// Opens the box at `place` (bus and address) on its own, sends CMD_SERIAL and
// closes it again; nullopt when it is not there or does not answer.
std::optional<std::uint32_t> ReadBoxSerial(UsbApi& usb, const UsbDeviceInfo& place);

// The serial number in CMD_SERIAL's answer (bytes 4-6, most significant first).
std::uint32_t SerialFromAnswer(const std::array<std::uint8_t, protocol::kSerialAnswerSize>& answer);

}  // namespace tarnwick
