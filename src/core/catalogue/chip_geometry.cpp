#include "core/catalogue/chip_geometry.h"

#include <limits>

namespace tarnwick {
namespace {

// Largest power of two whose exponent replaces a page or sector number.
constexpr unsigned kMaxPowerCode = 16;
// Digit runs are read with saturation here so no text can overflow.
constexpr std::uint64_t kNumberLimit = std::numeric_limits<std::uint32_t>::max();

// Leading decimal digits, saturating at kNumberLimit.
std::uint64_t LeadingNumber(std::string_view s) {
  std::uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kNumberLimit) return kNumberLimit;
  }
  return value;
}

// 2^i for i in 0..16 becomes i; any other number is sent as its low byte.
std::uint8_t PowerCode(std::uint64_t n) {
  for (unsigned i = 0; i <= kMaxPowerCode; ++i) {
    if (n == (std::uint64_t{1} << i)) return static_cast<std::uint8_t>(i);
  }
  return static_cast<std::uint8_t>(n & 0xFF);
}

std::uint64_t ShiftSaturated(std::uint64_t value, unsigned shift) {
  if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return value << shift;
}

// The number part of a cut capacity text: `drop` unit characters removed.
std::uint64_t NumberBeforeUnit(std::string_view cut, std::size_t drop) {
  if (cut.size() <= drop) return 0;
  return LeadingNumber(cut.substr(0, cut.size() - drop));
}

}  // namespace

bool IsWordOrganised(std::string_view capacity) {
  return capacity.empty() || capacity.back() != 'B';
}

std::uint64_t ChipSizeFromCapacity(std::string_view capacity) {
  const auto b = capacity.find('B');
  const auto star = capacity.find('*');
  std::string_view cut;
  if (star != std::string_view::npos && (b == std::string_view::npos || star > b)) {
    cut = capacity.substr(0, star + 1);
  } else if (b != std::string_view::npos) {
    cut = capacity.substr(0, b + 1);
  } else {
    return 0;
  }
  std::uint64_t size;
  if (cut.find('G') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 30);
  } else if (cut.find('M') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 20);
  } else if (cut.find('K') != std::string_view::npos) {
    size = ShiftSaturated(NumberBeforeUnit(cut, 2), 10);
  } else {
    size = NumberBeforeUnit(cut, 1);
  }
  const auto words = capacity.find("*16bit");
  if (words != std::string_view::npos && words > 0) size = ShiftSaturated(size, 1);
  return size;
}

std::uint8_t PageSizeCode(std::string_view pageSize) {
  if (pageSize == "N") return 0xFF;
  return PowerCode(LeadingNumber(pageSize));
}

std::uint8_t SectorSizeCode(std::string_view sectorSize) {
  if (sectorSize == "N") return 0;
  if (sectorSize == "F") return 0xFF;
  return PowerCode(LeadingNumber(sectorSize));
}

}  // namespace tarnwick
