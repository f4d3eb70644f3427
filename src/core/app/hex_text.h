// Hex digits typed into a box, as a number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

// 1 to `maxDigits` digits of `base` (10 or 16, hex of either case);
// nothing else.
inline std::optional<std::uint64_t> ParseNumberText(const std::string& text, int base,
                                                    std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) return std::nullopt;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  return v;
}

// 1 to `maxDigits` hex digits of either case; nothing else.
inline std::optional<std::uint64_t> ParseHexText(const std::string& text,
                                                 std::size_t maxDigits = 8) {
  return ParseNumberText(text, 16, maxDigits);
}

}  // namespace tarnwick
