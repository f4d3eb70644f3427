// The rules of the chip selection that need no window: the capacity text,
// the socket picture and the quad-enable controls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The two method bytes the QE configuration job sends for a chip family.
using QeMethodBytes = std::array<std::uint8_t, 2>;

// What static 1017 shows: "64Mbits/8Mbytes" for byte-organised capacities,
// the field unchanged for word-organised ones and fields without a "B" unit.
std::string CapacityText(std::string_view capacityField, std::uint64_t chipSize);

// The socket icon for an operation type, or nullopt to leave the picture.
std::optional<int> SocketPictureFor(std::string_view operationType);

// Shown QE controls and their method bytes, or nullopt to hide them.
std::optional<QeMethodBytes> QeMethodFor(std::string_view type, std::string_view maker,
                                         std::string_view model, std::uint64_t chipSize);

}  // namespace tarnwick
