// The 20-byte command frame sent to the box. One instance lives for the whole
// run: the parameter build fills bytes 0-12 and 19 from the selected chip,
// SendCommand changes only the command bits and the payload.
#pragma once

#include <array>
#include <cstdint>

namespace tarnwick {

struct CommandFrame {
  static constexpr std::size_t kSize = 20;
  std::array<std::uint8_t, kSize> bytes{};
};

}  // namespace tarnwick
