#include "core/operations/chip_fill/fill_plan.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick::chip_fill {
namespace {

// A box holds at most a sector of this size while it merges.
constexpr std::uint64_t kLargestUnit = std::uint64_t{1} << 24;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::uint64_t> UnitSize(std::uint8_t sectorCode, std::uint8_t pageCode,
                                      bool wordOrganised) {
  if (sectorCode == 0xFF) return std::nullopt;
  std::uint64_t unit = 0;
  if (sectorCode != 0) {
    if (sectorCode + 10 > 24) return std::nullopt;
    unit = std::uint64_t{1} << (sectorCode + 10);
  } else {
    if (pageCode != 0xFF && pageCode > 24) return std::nullopt;
    unit = pageCode == 0xFF ? 256 : std::uint64_t{1} << pageCode;
    if (wordOrganised) unit *= 2;
  }
  if (unit > kLargestUnit) return std::nullopt;
  return unit;
}

std::optional<FillUnit> ParseFillValue(const std::string& text, bool wordOrganised) {
  if (text.empty()) return std::nullopt;
  // The whole text is the value: one that does not fit the unit is
  // refused, never cut to its last digits (leading zeros are fine).
  const std::uint32_t largest = wordOrganised ? 0xFFFF : 0xFF;
  std::uint32_t value = 0;
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(d);
    if (value > largest) return std::nullopt;
  }
  FillUnit unit;
  if (wordOrganised) {
    unit.size = 2;
    unit.bytes = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  } else {
    unit.bytes = {static_cast<std::uint8_t>(value), 0};
  }
  return unit;
}

Passes PassesFor(std::uint64_t start, std::uint64_t end, std::uint64_t unit) {
  if (unit == 0 || end <= start) return {};
  const std::uint64_t first = start / unit * unit;
  const std::uint64_t last = (end + unit - 1) / unit * unit;
  return {first, (last - first) / unit};
}

std::string ProgressText(const std::string& base, std::uint64_t passes) {
  // Dots are added one at a time and the text starts again once it is
  // longer than 16 characters: the dots shown cycle with this period.
  const std::uint64_t period = base.size() >= 16 ? 1 : 17 - base.size();
  return base + std::string(static_cast<std::size_t>(passes / 2 % period), '.');
}

std::string PartialFillText(std::uint64_t start, std::uint64_t end, std::uint64_t reached,
                            std::uint64_t scale) {
  reached = std::clamp(reached, start, end);
  auto range = [scale](std::uint64_t from, std::uint64_t to) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%08llX-0x%08llX",
                  static_cast<unsigned long long>(from / scale),
                  static_cast<unsigned long long>((to - 1) / scale));
    return std::string(text);
  };
  if (reached == start) return "nothing written, " + range(start, end) + " untouched";
  std::string text = range(start, reached) + " filled";
  if (reached < end) text += ", " + range(reached, end) + " not written";
  return text;
}

std::string PaddedWordText(std::uint8_t lastByte) {
  char text[112];
  std::snprintf(text, sizeof text,
                "the fill file ends inside a word: its last word was written as %02X FF "
                "(padded with FF)",
                lastByte);
  return text;
}

}  // namespace tarnwick::chip_fill
