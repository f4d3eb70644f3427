// The firmware file and the numbers the upgrade shows, as pure functions:
// the .tfw check bytes, the block count, the transfer scrambling and the
// version and serial texts of the information box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::firmware {

// A .tfw file is the image, then 3 check bytes (most significant first).
inline constexpr std::size_t kCheckBytes = 3;
// BOOT_FINISH carries the byte this far before the file's end.
inline constexpr std::size_t kFinishByteFromEnd = 4;

// The check bytes of `image`: its unsigned 32-bit byte sum, cut to 24 bits.
std::array<std::uint8_t, kCheckBytes> CheckBytes(const std::vector<std::uint8_t>& image);
// `image` followed by its check bytes.
std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& image);
// True when the last 3 bytes of `file` are the check bytes of what stands
// before them. The check bytes hold 24 bits, so the sum is compared as 24
// bits; a file too short to hold an image byte and its check bytes fails.
bool SumMatches(const std::vector<std::uint8_t>& file);
// The byte sent with BOOT_FINISH (0 for a file shorter than 4 bytes).
std::uint8_t FinishByte(const std::vector<std::uint8_t>& file);

// Erase and read-back blocks of 1024 bytes that cover `length`.
std::size_t BlockCount(std::size_t length);
// Scrambles (or unscrambles: it is its own inverse) `n` bytes that stand at
// `filePosition` in the file.
void Scramble(std::uint8_t* data, std::size_t n, std::size_t filePosition);

// "V%X.%X": high nibble plus one, low nibble (0x21 gives V3.1).
std::string VersionText(std::uint8_t version);
// The 24-bit serial number as "%6ld" with blanks turned to '0'.
std::string SerialText(std::uint32_t serial);

}  // namespace tarnwick::firmware
