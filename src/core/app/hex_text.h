// Hex digits typed into a box, as a number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

// 1 to `maxDigits` hex digits of either case; nothing else.
inline std::optional<std::uint64_t> ParseHexText(const std::string& text,
                                                 std::size_t maxDigits = 8) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<std::uint64_t>(d);
  }
  return v;
}

}  // namespace tarnwick
