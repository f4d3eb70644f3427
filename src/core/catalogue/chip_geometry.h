// What a ChipRecord's texts say about the chip's shape: its size in bytes,
// the page and sector size codes the box takes, the 16-bit organisation.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnwick {

// The size in bytes of a capacity text ("8MB", "512Kbit*16bit", ...),
// computed in 64 bits; 0 when the text names no unit.
std::uint64_t ChipSizeFromCapacity(std::string_view capacity);
std::uint8_t PageSizeCode(std::string_view pageSize);
std::uint8_t SectorSizeCode(std::string_view sectorSize);
// True when the capacity text names a chip organised in 16-bit words.
bool IsWordOrganised(std::string_view capacity);

}  // namespace tarnwick
